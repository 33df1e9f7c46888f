// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The window-level values that pace, freeze and restart the animation, and the key commands that
// change them. No toolkit here: the window only translates its events into these calls.

namespace hcci {

struct RunControl {
    double stepe = 0;  // pacing count of each step
    int stopp = 0;     // 1: frozen
    int loopy = 0;     // 1: the current cycle is to end and the next to start
};

inline constexpr double default_stepe = 50000;
inline constexpr double fixed_stepe = 10000;

inline constexpr std::uint16_t key_escape = 27;
inline constexpr std::uint16_t key_enter = 13;

enum class CommandResult { carry_on, end_program };

// The key commands of a typed character: Escape ends the program; Enter toggles the restart;
// "," and "." make the pace a tenth faster or slower; "/" sets the fixed pace; Space toggles the
// freeze and drops the pacing to 0. Any other character does nothing. A product that would not
// be finite leaves stepe as it was.
CommandResult apply_key(RunControl& run, std::uint16_t key_ascii);

// The number of pacing counts a step burns: the whole part of stepe, none below 1.
double pacing_count(double stepe);

}  // namespace hcci
