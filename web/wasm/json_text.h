// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// JSON as the page reads it: strings escaped, numbers in their shortest exact text, a number
// that is not finite as null.

namespace hcci::json {

std::string string(std::string_view text);
std::string number(double value);
inline std::string boolean(bool value) {
    return value ? "true" : "false";
}
// "key":value, for the inside of an object.
inline std::string member(std::string_view key, std::string_view value) {
    return string(key) + ":" + std::string(value);
}

}  // namespace hcci::json
