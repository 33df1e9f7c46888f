// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

// Comparison with a value printed to six significant digits: the printed value is the true one
// rounded, so they differ by at most half a unit in the sixth significant digit.

namespace hcci {

inline constexpr int printed_significant_digits = 6;

inline double half_unit_in_last_printed_digit(double printed) {
    if (printed == 0) return 0;
    const double leading = std::floor(std::log10(std::fabs(printed)));
    return 0.5 * std::pow(10.0, leading - (printed_significant_digits - 1));
}

inline ::testing::AssertionResult matches_printed(double actual, double printed) {
    // A little slack for the printed value's own binary representation.
    const double tolerance = half_unit_in_last_printed_digit(printed) * (1 + 1e-9);
    if (std::fabs(actual - printed) <= tolerance) return ::testing::AssertionSuccess();
    std::ostringstream message;
    message << std::setprecision(17) << actual << " is not " << printed
            << " to six significant digits (difference " << std::setprecision(3) << actual - printed
            << ", allowed " << tolerance << ")";
    return ::testing::AssertionFailure() << message.str();
}

}  // namespace hcci
