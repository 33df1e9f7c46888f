// SPDX-License-Identifier: MIT
#include "core/animate/cycle_driver.h"

#include <stdexcept>
#include <string>

#include "core/draw/diagram_grid.h"
#include "core/draw/engine_outline.h"
#include "core/draw/moving_parts.h"
#include "core/draw/trace_segments.h"
#include "core/model/readout.h"

namespace hcci {

CycleDriver::CycleDriver(DrawingSurface& surface, RunControl& run,
                         const EngineParameters& parameters)
    : surface_(&surface), run_(run) {
    now_.parameters = parameters;
}

Advance CycleDriver::advance() {
    switch (now_.state) {
        case DriverState::drawing_background:
            begin_cycle();
            run_step();
            return Advance::stepped;
        case DriverState::sweeping:
        case DriverState::frozen:
            return pass_freeze_point();
        case DriverState::waiting:
            // The wait ignores the freeze: Enter starts the next cycle, which freezes after its
            // first step.
            if (run_.loopy == 0) return Advance::waiting;
            restart();
            return Advance::stepped;
        case DriverState::ended:
            break;
    }
    return Advance::ended;
}

Advance CycleDriver::pass_freeze_point() {
    // Freezing beats a pending restart.
    if (run_.stopp == 1) {
        now_.state = DriverState::frozen;
        return Advance::frozen;
    }
    now_.state = DriverState::sweeping;
    if (run_.loopy == 1) {
        restart();
        return Advance::stepped;
    }
    if (run_step()) return Advance::stepped;
    now_.state = DriverState::waiting;
    return advance();
}

bool CycleDriver::run_to(int step, const std::function<bool()>& out_of_time) {
    if (step < step_index() || step > last_step) {
        throw std::logic_error("no step " + std::to_string(step) + " ahead in this sweep");
    }
    for (int steps = 1; step_index() < step; ++steps) {
        if (advance() != Advance::stepped) {
            throw std::logic_error("the cycle stopped before step " + std::to_string(step));
        }
        if (steps % steps_per_time_check == 0 && step_index() < step && out_of_time()) {
            return false;
        }
    }
    return true;
}

void CycleDriver::end_program() {
    surface_->Cls();
    now_.state = DriverState::ended;
}

DriverSnapshot CycleDriver::snapshot() const {
    return now_;
}

void CycleDriver::restore(const DriverSnapshot& snapshot) {
    now_ = snapshot;
}

double CycleDriver::pacing() const {
    if (now_.state != DriverState::sweeping || is_first_step(crank_angle())) return 0;
    return pacing_count(run_.stepe);
}

void CycleDriver::begin_cycle() {
    now_.stepper = Stepper(now_.parameters);
    draw_diagram_grid(*surface_, geometry());
    draw_engine_outline(*surface_, geometry());
    draw_diagram_axes(*surface_, geometry());
    run_.stepe = default_stepe;
    ++now_.cycles;
    now_.state = DriverState::sweeping;
}

void CycleDriver::restart() {
    surface_->Cls();
    run_.loopy = 0;
    begin_cycle();
    run_step();
}

bool CycleDriver::run_step() {
    Stepper& stepper = now_.stepper;
    if (!stepper.update()) return false;
    now_.readout = readout_value(stepper.crank_angle());
    // The segments show the updated values; the hand-over that follows changes none of them.
    draw_trace_segments(*surface_, geometry(), model(), crank_angle(), phase());
    stepper.hand_over();
    if (piston_positions_ != nullptr) {
        piston_positions_->push_back(model().piston_pos);
    } else {
        draw_moving_parts(*surface_, geometry(), crank_angle(), model().prev_piston_pos,
                          model().piston_pos);
    }
    return true;
}

}  // namespace hcci
