#include "step_pacer.h"

#include <algorithm>
#include <utility>

namespace hcci {

StepPacer::StepPacer(CycleDriver& driver, std::function<double()> now)
    : driver_(driver), now_(std::move(now)) {}

double StepPacer::delay_ns() const {
    return driver_.pacing() * nanoseconds_per_count;
}

double StepPacer::next_tick(double batch_start) const {
    return std::max(due_ns_, batch_start + frame_interval_ns);
}

TickResult StepPacer::tick() {
    const double start = now_();
    if (!armed_ || start - due_ns_ > max_lag_ns) due_ns_ = start;  // resume, or drop a backlog
    batch_start_ns_ = start;
    TickResult result;
    double now = start;
    while (due_ns_ <= now) {
        result.last = driver_.advance();
        if (result.last != Advance::stepped) {
            armed_ = false;
            return result;
        }
        ++result.steps;
        last_step_ns_ = due_ns_;
        due_ns_ = last_step_ns_ + delay_ns();
        now = now_();
        if (now - start >= batch_budget_ns) break;
    }
    armed_ = true;
    result.armed = true;
    result.next_tick_ns = next_tick(start);
    return result;
}

TickResult StepPacer::pace_changed() {
    TickResult result;
    if (!armed_) return result;
    driver_.repace();
    due_ns_ = last_step_ns_ + delay_ns();
    result.armed = true;
    result.next_tick_ns = next_tick(batch_start_ns_);
    return result;
}

}  // namespace hcci
