// SPDX-License-Identifier: MIT
#include "core/report/axis_ticks.h"

#include <algorithm>
#include <cmath>

namespace hcci {

double round_step(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= rough) return m * power;
    }
    return 10 * power;
}

double label_place(double magnitude) {
    if (!(magnitude > 0) || !std::isfinite(magnitude)) return 0;
    constexpr int shown_digits = 6;
    return std::pow(10.0, std::floor(std::log10(magnitude)) - (shown_digits - 1));
}

std::string AxisTicks::label_suffix() const {
    if (scale == 1) return {};
    return "e" + std::to_string(static_cast<int>(std::lround(std::log10(scale))));
}

AxisTicks study_axis(double from, double to) {
    constexpr int ticks = 8;
    const double interval = round_step((to - from) / ticks);
    if (interval >= label_place(std::max(std::abs(from), std::abs(to)))) {
        return {0, 1, from, to, interval};
    }
    // Close values differ exactly: TO - FROM loses nothing here.
    const double span = to - from;
    const double scale = std::pow(10.0, std::floor(std::log10(interval)));
    return {from, scale, 0, span / scale, std::round(interval / scale)};
}

std::pair<double, double> readable_range(std::pair<double, double> range, int ticks) {
    const auto [low, high] = range;
    const double least = ticks * label_place(std::max(std::abs(low), std::abs(high)));
    if (!(high - low < least)) return range;
    const double middle = 0.5 * (low + high);
    return {middle - 0.5 * least, middle + 0.5 * least};
}

}  // namespace hcci
