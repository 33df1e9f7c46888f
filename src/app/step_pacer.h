#pragma once

#include <functional>

#include "cycle_driver.h"

// Real-time pacing of the driver's steps on an event loop. A step waits its pacing count times
// 20 ns after the one before; due times accumulate, so a late timer never slows the animation.
// Steps run in batches of at most one per display frame and about 8 ms of work each.

namespace hcci {

inline constexpr double nanoseconds_per_count = 20;
inline constexpr double frame_interval_ns = 16e6;
inline constexpr double batch_budget_ns = 8e6;
inline constexpr double max_lag_ns = 100e6;

struct TickResult {
    int steps = 0;  // steps run in this batch
    Advance last = Advance::stepped;
    bool armed = false;       // whether the caller must call tick() again
    double next_tick_ns = 0;  // when, on the clock's scale
};

class StepPacer {
public:
    // now() returns a monotonic time in nanoseconds.
    StepPacer(CycleDriver& driver, std::function<double()> now);

    // Runs every step that is due. Without an armed schedule (first call, after a freeze or the
    // end-of-sweep wait) the next step is due at once.
    TickResult tick();

    // The pace changed: the step waiting for its delay now waits for the new one.
    // Returns the new time of the next tick when a schedule is armed.
    TickResult pace_changed();

    bool armed() const { return armed_; }

private:
    double delay_ns() const;
    double next_tick(double batch_start) const;

    CycleDriver& driver_;
    std::function<double()> now_;
    bool armed_ = false;
    double last_step_ns_ = 0;
    double due_ns_ = 0;
    double batch_start_ns_ = 0;
};

}  // namespace hcci
