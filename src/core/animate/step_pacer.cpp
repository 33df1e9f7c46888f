// SPDX-License-Identifier: MIT
#include "core/animate/step_pacer.h"

#include <algorithm>
#include <utility>

namespace hcci {

StepPacer::StepPacer(CycleDriver& driver, RunControl& run, std::function<double()> now,
                     double max_lag)
    : driver_(driver), run_(run), now_(std::move(now)), max_lag_(max_lag) {}

double StepPacer::delay_ns() const {
    return driver_.pacing() * nanoseconds_per_count;
}

double StepPacer::next_tick_ns() const {
    return std::max(next_due_ns_, batch_start_ns_ + frame_interval_ns);
}

Advance StepPacer::run_steps_due_by(double until, double budget_start, int& steps) {
    while (next_due_ns_ <= until) {
        const Advance advanced = driver_.advance();
        if (advanced != Advance::stepped) {
            armed_ = false;
            return advanced;
        }
        ++steps;
        last_step_ns_ = next_due_ns_;
        next_due_ns_ = last_step_ns_ + delay_ns();
        if (now_() - budget_start >= batch_budget_ns) break;
    }
    armed_ = true;
    return Advance::stepped;
}

TickResult StepPacer::tick() {
    const double start = now_();
    batch_start_ns_ = start;
    // Resume at once after a hold, or drop the backlog of a stalled machine.
    if (!armed_ || start - next_due_ns_ > max_lag_) next_due_ns_ = start;
    TickResult result;
    result.last = run_steps_due_by(start, start, result.steps);
    result.armed = armed_;
    if (armed_) result.next_tick_ns = next_tick_ns();
    return result;
}

KeyResult StepPacer::key_typed(std::uint16_t key_ascii, double arrival_ns) {
    KeyResult result;
    if (key_ascii == key_escape) {
        result.end_program = true;  // quitting acts at once, not at a freeze point
        return result;
    }
    if (armed_ && pacing_count(run_.stepe) > 0) run_steps_due_by(arrival_ns, now_(), result.steps);
    apply_key(run_, key_ascii);
    // A new pace applies to the delay already running.
    if (armed_) next_due_ns_ = last_step_ns_ + delay_ns();
    return result;
}

}  // namespace hcci
