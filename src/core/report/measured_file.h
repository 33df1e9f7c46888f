// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "core/model/measured_trace.h"

// A measured pressure trace as a person writes it: a row a line, the crank angle in degrees
// after top dead centre and the pressure in bar, separated by a comma (or spaces, or a tab);
// a header line first if wanted; `#` starts a comment, to the line's end; blank lines are
// skipped. Any step of angle, from -360 to 360 degrees, the angles increasing; an angle given
// twice in a row is a jump of the pressure there (the partition opening).

namespace hcci {

// The most rows a trace may have: a cycle at a hundredth of a degree is 72 000.
inline constexpr std::size_t largest_measured_rows = 2'000'000;

// Why a file is no trace: the line it is on (from 1; 0 for the file as a whole) and what is
// wrong, one line.
struct MeasuredProblem {
    std::size_t line = 0;
    std::string problem;
};

std::variant<MeasuredTrace, MeasuredProblem> read_measured_trace(std::string_view text);

// "line 7: the pressure 'x' is not a number", or the problem alone for the whole file.
std::string measured_problem_text(const MeasuredProblem& problem);

}  // namespace hcci
