// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a label's caption falls into lines. No toolkit here: the width of a piece of text is asked
// of the caller.

namespace hcci {

// Breaks the text at spaces only, never inside a word (a "/" or "_" joins), into lines of at most
// `width` where the words allow; a word wider than that stands on a line of its own. The spaces
// at a break go; spaces at the very end stay with the last line.
std::vector<std::string> wrap_at_spaces(std::string_view text, double width,
                                        const std::function<double(std::string_view)>& measure);

}  // namespace hcci
