// SPDX-License-Identifier: MIT
#include "core/animate/cycle_replay.h"

namespace hcci {

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
    // A live driver put back to an earlier step (the explorer does) is replayed afresh too.
    if (!driver_ || cycle_ != live.cycles() || driver_->shared_record() != live.shared_record() ||
        driver_->step_index() > live.step_index()) {
        if (driver_) surface_.Cls();
        run_ = RunControl{};
        driver_.emplace(surface_, run_, live.shared_record());
        cycle_ = live.cycles();
    }
    return driver_->run_to(live.step_index(), out_of_time);
}

void replay_cycle(DrawingSurface& surface, const CycleDriver& live) {
    CycleReplay replay(surface);
    replay.catch_up(live, [] { return false; });
}

}  // namespace hcci
