// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>

#include "core/animate/cycle_driver.h"

// The picture after a step depends on that step alone (keys change only the pace, the freeze and
// the restart), so a live driver's picture can be drawn afresh onto another surface by running a
// second driver, without keys, to the same step. CycleReplay does it in slices, so that a window
// can go on handling events in between.

namespace hcci {

class CycleReplay {
public:
    // The surface must be fresh (as after Cls); it must outlive the replay.
    explicit CycleReplay(DrawingSurface& surface);

    // Runs replay steps until the surface shows what the live driver's surface shows, or until
    // out_of_time() says so (asked every few steps). Returns whether it has caught up. A live
    // restart since the last call starts the replay over.
    bool catch_up(const CycleDriver& live, const std::function<bool()>& out_of_time);

private:
    DrawingSurface& surface_;
    RunControl run_;
    std::optional<CycleDriver> driver_;
    long cycle_ = 0;  // the live cycle being replayed
};

// The whole replay at once.
void replay_cycle(DrawingSurface& surface, const CycleDriver& live);

}  // namespace hcci
