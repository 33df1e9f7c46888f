// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// The manual page's parts that the registry of models and parameters holds, in roff, so that
// the manual cannot fall behind the program.

namespace hcci {

// Every parameter under its group: name, default, allowed range, meaning and unit, the order it
// keeps, and the model it shapes when only one; the model first.
std::string parameters_manual();

// Every view: its name and what it shows.
std::string views_manual();

// The text with each line that is exactly `marker` replaced by `replacement`.
std::string with_marker_replaced(std::string_view text, std::string_view marker,
                                 std::string_view replacement);

}  // namespace hcci
