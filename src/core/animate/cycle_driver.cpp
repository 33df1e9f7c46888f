// SPDX-License-Identifier: MIT
#include "core/animate/cycle_driver.h"

#include "core/animate/readout.h"
#include "core/draw/diagram_grid.h"
#include "core/draw/engine_outline.h"
#include "core/draw/moving_parts.h"
#include "core/draw/trace_segments.h"
#include "core/model/sweep.h"

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
    const double next_angle = now_.crank_angle + angle_step;
    if (within_sweep(next_angle)) {
        now_.crank_angle = next_angle;
        run_step();
        return Advance::stepped;
    }
    now_.state = DriverState::waiting;
    return advance();
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
    if (now_.state != DriverState::sweeping || is_first_step(now_.crank_angle)) return 0;
    return pacing_count(run_.stepe);
}

void CycleDriver::begin_cycle() {
    now_.geometry = make_engine_geometry(now_.parameters);
    draw_diagram_grid(*surface_, now_.geometry);
    draw_engine_outline(*surface_, now_.geometry);
    draw_diagram_axes(*surface_, now_.geometry);
    reset_model(now_.model, now_.geometry);
    run_.stepe = default_stepe;
    now_.crank_angle = sweep_start_angle;
    now_.step_index = -1;
    ++now_.cycles;
    now_.state = DriverState::sweeping;
}

void CycleDriver::restart() {
    surface_->Cls();
    run_.loopy = 0;
    begin_cycle();
    run_step();
}

void CycleDriver::run_step() {
    ++now_.step_index;
    const CrankPosition crank = crank_position(now_.geometry, now_.crank_angle);
    now_.readout = readout_value(now_.crank_angle);
    // The segments show the updated values; the hand-over that follows changes none of them.
    now_.phase = update_model(now_.model, now_.geometry, now_.crank_angle, crank);
    draw_trace_segments(*surface_, now_.geometry, now_.model, now_.crank_angle, now_.phase);
    hand_over(now_.model, now_.geometry, now_.phase);
    draw_moving_parts(*surface_, now_.geometry, now_.crank_angle, now_.model.prev_piston_pos,
                      now_.model.piston_pos);
}

}  // namespace hcci
