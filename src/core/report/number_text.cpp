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

std::optional<double> parse_decimal(std::string_view text) {
    // from_chars takes a minus but not a plus.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
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
