// SPDX-License-Identifier: MIT
#include "core/report/number_text.h"

#include <charconv>
#include <cmath>

namespace hcci {

std::string shortest_text(double value) {
    std::string text;
    append_shortest(text, value);
    return text;
}

void append_shortest(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string fixed_text(double value, int decimals) {
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    char buffer[400];  // the longest double in fixed notation, with its decimals
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return shortest_text(value);
    return std::string(buffer, result.ptr);
}

DecimalRead read_decimal(std::string_view text) {
    // from_chars takes a minus but not a plus.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size()) return {DecimalRead::Kind::not_a_number};
    if (error == std::errc::result_out_of_range) return {DecimalRead::Kind::out_of_range};
    if (error != std::errc()) return {DecimalRead::Kind::not_a_number};
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
