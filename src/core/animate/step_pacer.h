// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "core/animate/cycle_driver.h"
#include "core/animate/run_control.h"

// Real-time pacing of the driver's steps on an event loop, and the keys in step with them.
//
// A step waits its pacing count times 20 ns after the one before; due times accumulate, so a late
// timer never slows the animation. Steps run in batches, at most one per display frame and about
// 8 ms of work each:
//
//            tick: the steps due now                 tick: the steps due now
//   held ──────────────────────────────► armed ◄───────────────────────────┐
//    ▲   (the first tick, or a key that     │  └───────────────────────────┘
//    │    released a freeze or the wait:    │   next tick at the later of the next step's
//    │    the next step is due at once)     │   due time and one frame after the batch began
//    │                                      │
//    └──────────────────────────────────────┘
//      the driver is frozen, waiting after the sweep or ended: no timer, nothing due
//
// A key first runs every step that fell due before it arrived, then changes the run-control
// values at the freeze point now in force, the one the next step will pass. So keys that arrive
// within one step act together and keys a step apart act a step apart, however the steps are
// batched. Unpaced steps (stepe below 1) have no time of their own: a key acts at once. While
// the driver is held, every key acts at the freeze point it holds at.

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

struct KeyResult {
    int steps = 0;             // steps that fell due before the key and ran first
    bool end_program = false;  // Escape: the program ends at once
};

class StepPacer {
public:
    // now() returns a monotonic time in nanoseconds.
    // Steps due longer than `max_lag` ago are dropped rather than caught up with (a stalled
    // machine); a caller that ticks seldom on purpose allows more than its interval.
    StepPacer(CycleDriver& driver, RunControl& run, std::function<double()> now,
              double max_lag = max_lag_ns);

    // Runs every step that is due. While held (first call, after a freeze or the end-of-sweep
    // wait) the next step is due at once.
    TickResult tick();

    // A typed character that arrived at the given time (on the clock's scale, not later than
    // now).
    KeyResult key_typed(std::uint16_t key_ascii, double arrival_ns);

    bool armed() const { return armed_; }
    // When tick() is to be called next, while armed.
    double next_tick_ns() const;

private:
    double delay_ns() const;
    // Runs the steps due by `until`, within the work budget from `budget_start`.
    Advance run_steps_due_by(double until, double budget_start, int& steps);

    CycleDriver& driver_;
    RunControl& run_;
    std::function<double()> now_;
    double max_lag_;
    bool armed_ = false;
    double last_step_ns_ = 0;  // when the last step was due
    double next_due_ns_ = 0;
    double batch_start_ns_ = 0;
};

}  // namespace hcci
