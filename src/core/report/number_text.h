// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers as a person reads and types them, and what a person typed as it is quoted back: the
// one place where numbers become text and text becomes numbers.

namespace hcci {

// The shortest text that reads back to the same double ("0.1", "1e-05", "57.00000000000255").
std::string shortest_text(double value);
void append_shortest(std::string& out, double value);

// A fixed number of decimals; never "-0.00" for a value that rounds to nothing.
std::string fixed_text(double value, int decimals);

// Numbers as a person reads them: rounded to what they mean, without the digits that say
// nothing. To a number of decimals, trailing zeros dropped: 0.12000000000000002 to 2 decimals
// is "0.12", -11.019999999999342 "-11.02", 2.50 "2.5"; whatever rounds to nothing is "0" (never
// "-0", "0.00" or "-4.9738e-14").
std::string rounded_text(double value, int decimals);
// To a number of significant digits of the magnitude (the value itself unless another is
// given): a difference of two values of 480 is read to their last digit, not its own. An
// exponent only beyond what decimals show well, as printf's %g does ("1.5e+07", "2e-06").
std::string significant_text(double value, int digits);
std::string significant_text(double value, int digits, double magnitude);

// A decimal number making up the whole text: an optional sign, digits with or without a point,
// an optional exponent ("inf" and "nan" are spelled-out numbers, not finite ones).
struct DecimalRead {
    enum class Kind { number, not_a_number, out_of_range } kind;
    double value = 0;  // a number's
};
DecimalRead read_decimal(std::string_view text);
// The number, or nothing for any other text or a number beyond the range of doubles.
std::optional<double> parse_decimal(std::string_view text);
// Why a number is beyond the range of doubles, for a message: "is beyond the range of numbers
// (...)".
std::string out_of_range_text();

// The text in single quotes, each control character (a newline, say) written as an escape, so
// that a message stays one line.
std::string quoted(std::string_view text);

// A whole number of decimal digits only (no sign, no space, no exponent) from 0 to largest.
std::optional<int> parse_whole(std::string_view text, int largest);

}  // namespace hcci
