// SPDX-License-Identifier: MIT
#include "core/animate/run_control.h"

#include <cmath>

namespace hcci {
namespace {

constexpr std::uint16_t key_comma = ',';
constexpr std::uint16_t key_full_stop = '.';
constexpr std::uint16_t key_slash = '/';
constexpr std::uint16_t key_space = ' ';

void scale_stepe(RunControl& run, double factor) {
    const double product = run.stepe * factor;
    if (std::isfinite(product)) run.stepe = product;
}

}  // namespace

CommandResult apply_key(RunControl& run, std::uint16_t key_ascii) {
    // Independent tests, not a chain of alternatives.
    if (key_ascii == key_escape) return CommandResult::end_program;
    if (key_ascii == key_enter) run.loopy = (run.loopy + 1) % 2;
    if (key_ascii == key_comma) scale_stepe(run, 0.9);
    if (key_ascii == key_full_stop) scale_stepe(run, 1.1);
    if (key_ascii == key_slash) run.stepe = fixed_stepe;
    if (key_ascii == key_space) {
        run.stopp = (run.stopp + 1) % 2;
        run.stepe = 0;
    }
    return CommandResult::carry_on;
}

double pacing_count(double stepe) {
    if (!(stepe >= 1)) return 0;
    return std::floor(stepe);
}

}  // namespace hcci
