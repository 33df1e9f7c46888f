// SPDX-License-Identifier: MIT
#include "web/wasm/json_text.h"

#include <cmath>

#include "core/report/number_text.h"

namespace hcci::json {

std::string string(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;  // UTF-8 passes as it is
        }
    }
    return out + "\"";
}

std::string number(double value) {
    return std::isfinite(value) ? shortest_text(value) : "null";
}

}  // namespace hcci::json
