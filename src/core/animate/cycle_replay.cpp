// SPDX-License-Identifier: MIT
#include "core/animate/cycle_replay.h"

namespace hcci {
namespace {

// Steps between two looks at the clock: a few hundred microseconds of drawing at any scale.
constexpr int steps_per_time_check = 64;

}  // namespace

CycleReplay::CycleReplay(DrawingSurface& surface) : surface_(surface) {}

bool CycleReplay::catch_up(const CycleDriver& live, const std::function<bool()>& out_of_time) {
    switch (live.state()) {
        case DriverState::drawing_background:
        case DriverState::ended:
            return true;  // nothing drawn to replay
        case DriverState::sweeping:
        case DriverState::frozen:
        case DriverState::waiting:
            break;
    }
    if (!driver_ || cycle_ != live.cycles() || driver_->parameters() != live.parameters()) {
        if (driver_) surface_.Cls();
        run_ = RunControl{};
        driver_.emplace(surface_, run_, live.parameters());
        cycle_ = live.cycles();
    }
    int steps = 0;
    while (driver_->step_index() < live.step_index()) {
        driver_->advance();
        if (++steps % steps_per_time_check == 0 && out_of_time()) {
            return driver_->step_index() >= live.step_index();
        }
    }
    return true;
}

void replay_cycle(DrawingSurface& surface, const CycleDriver& live) {
    CycleReplay replay(surface);
    replay.catch_up(live, [] { return false; });
}

}  // namespace hcci
