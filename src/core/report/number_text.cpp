// SPDX-License-Identifier: MIT
#include "core/report/number_text.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace hcci {
namespace {

// The shortest digits that read back to a finite, non-zero magnitude, and the power of ten of
// the last one: magnitude = digits × 10^exponent.
struct ShortestDigits {
    char digits[17];  // a double needs 17 at most
    int count = 0;
    int exponent = 0;
};

// Taken from {fmt}'s shortest text, in whichever notation it chose ("1e+16", "57.00000000000255",
// "0.001"): the digits without the point and without leading or trailing zeros, the exponent
// counting the places they moved.
ShortestDigits shortest_digits(double magnitude) {
    char text[32];
    const char* const end = fmt::format_to_n(text, sizeof text, "{}", magnitude).out;
    ShortestDigits result;
    bool after_point = false;
    const char* c = text;
    for (; c != end && *c != 'e'; ++c) {
        if (*c == '.') {
            after_point = true;
            continue;
        }
        if (after_point) --result.exponent;
        if (*c == '0' && result.count == 0) continue;
        result.digits[result.count++] = *c;
    }
    if (c != end) {  // e+16, e-05
        const bool negative = *++c == '-';
        int power = 0;
        while (++c != end) power = power * 10 + (*c - '0');
        result.exponent += negative ? -power : power;
    }
    while (result.digits[result.count - 1] == '0') {
        --result.count;
        ++result.exponent;
    }
    return result;
}

// Laid out as std::to_chars lays out a double given no format: the shorter of fixed and
// scientific notation, fixed on a tie; a scientific exponent signed and of two digits at least
// (1e+05, 1e-05, 0.001, 10000); a whole number in fixed notation written exactly (2^60 is
// 1152921504606846976, not its shortest digits followed by zeros).
void append_laid_out(std::string& out, double magnitude, const ShortestDigits& shortest) {
    const int count = shortest.count;
    const int exponent = shortest.exponent;
    const std::string_view digits(shortest.digits, static_cast<std::size_t>(count));
    const int scientific_exponent = exponent + count - 1;
    const int exponent_digits = std::abs(scientific_exponent) >= 100 ? 3 : 2;
    const int scientific_length = count + (count > 1 ? 1 : 0) + 2 + exponent_digits;
    // The digits and zeros; or a point among the digits; or 0.00 and the digits.
    int fixed_length = count + exponent;
    if (exponent < 0) fixed_length = -exponent < count ? count + 1 : 2 - exponent;
    if (scientific_length < fixed_length) {
        out += digits.front();
        if (count > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += scientific_exponent < 0 ? "e-" : "e+";
        const int power = std::abs(scientific_exponent);
        if (power < 10) out += '0';
        out += std::to_string(power);
    } else if (exponent >= 0) {
        char whole[32];  // below 1e22 here
        out.append(whole, fmt::format_to_n(whole, sizeof whole, "{:.0f}", magnitude).out);
    } else if (-exponent < count) {
        const int whole_digits = count + exponent;
        const auto before_point = static_cast<std::size_t>(whole_digits);
        out += digits.substr(0, before_point);
        out += '.';
        out += digits.substr(before_point);
    } else {
        out += "0.";
        const int zeros = -exponent - count;
        out.append(static_cast<std::size_t>(zeros), '0');
        out += digits;
    }
}

// Whether the text (after its sign) spells out inf, infinity or nan rather than digits.
bool spelled_out(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && text.front() != '.' && (text.front() < '0' || text.front() > '9');
}

// Whether the digits before the exponent hold anything but zeros.
bool has_non_zero_digit(std::string_view text) {
    for (const char c : text) {
        if (c == 'e' || c == 'E') return false;
        if (c >= '1' && c <= '9') return true;
    }
    return false;
}

}  // namespace

std::string shortest_text(double value) {
    std::string text;
    append_shortest(text, value);
    return text;
}

void append_shortest(std::string& out, double value) {
    if (std::signbit(value)) out += '-';
    const double magnitude = std::abs(value);
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += "inf";
    } else if (magnitude == 0) {
        out += '0';
    } else {
        append_laid_out(out, magnitude, shortest_digits(magnitude));
    }
}

std::string fixed_text(double value, int decimals) {
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    if (decimals < 0) decimals = 6;  // as printf takes a negative precision
    // 400 characters is the longest text there has ever been room for; anything longer is
    // written shortest ("0." and more than 398 decimals, say, made in no time).
    constexpr std::size_t longest = 400;
    if (std::isfinite(value) && static_cast<std::size_t>(decimals) + 2 > longest) {
        return shortest_text(value);
    }
    std::string text = fmt::format("{:.{}f}", value, decimals);
    if (text.size() > longest) return shortest_text(value);
    return text;
}

std::string rounded_text(double value, int decimals) {
    if (!std::isfinite(value)) return shortest_text(value);
    std::string text = fixed_text(value, std::max(0, decimals));
    if (text.find('e') != std::string::npos) return text;  // too long for fixed
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string significant_text(double value, int digits) {
    return significant_text(value, digits, value);
}

std::string significant_text(double value, int digits, double magnitude) {
    if (!std::isfinite(value)) return shortest_text(value);
    digits = std::max(1, digits);
    magnitude = std::abs(magnitude);
    if (magnitude == 0 || !std::isfinite(magnitude)) magnitude = std::abs(value);
    if (magnitude == 0) return "0";
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const int decimals = digits - 1 - exponent;
    if (exponent >= -4 && exponent < digits) return rounded_text(value, decimals);
    const double unit = std::pow(10.0, -decimals);
    const double rounded = std::round(value / unit) * unit;
    if (rounded == 0) return "0";
    return fmt::format("{:.{}g}", rounded, digits);
}

DecimalRead read_decimal(std::string_view text) {
    // A plus is taken as well as a minus.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* const end = text.data() + text.size();
    double value = 0;
    const auto result = fast_float::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) return {DecimalRead::Kind::not_a_number};
    // Digits that round to infinity, or to zero without being zero, lie beyond the range.
    if (!spelled_out(text) && (std::isinf(value) || (value == 0 && has_non_zero_digit(text)))) {
        return {DecimalRead::Kind::out_of_range};
    }
    return {DecimalRead::Kind::number, value};
}
std::optional<double> parse_decimal(std::string_view text) {
    const DecimalRead read = read_decimal(text);
    if (read.kind != DecimalRead::Kind::number) return std::nullopt;
    return read.value;
}

std::string out_of_range_text() {
    return "is beyond the range of numbers (from 4.9e-324 to 1.8e308 in size, or 0)";
}

std::string quoted(std::string_view text) {
    std::string result = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            result += "\\n";
        } else if (c == '\t') {
            result += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char digits[] = "0123456789abcdef";
            result += "\\x";
            result += digits[byte >> 4];
            result += digits[byte & 0xF];
        } else {
            result += c;
        }
    }
    return result + "'";
}

std::optional<int> parse_whole(std::string_view text, int largest) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value > static_cast<unsigned>(largest)) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace hcci
