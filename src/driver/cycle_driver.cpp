// SPDX-License-Identifier: MIT
#include "cycle_driver.h"

#include "diagram_grid.h"
#include "engine_outline.h"
#include "moving_parts.h"
#include "readout.h"
#include "sweep.h"
#include "trace_segments.h"

namespace hcci {

CycleDriver::CycleDriver(DrawingSurface& surface, RunControl& run,
                         const EngineParameters& parameters)
    : surface_(&surface), run_(run), parameters_(parameters) {}

Advance CycleDriver::advance() {
    switch (state_) {
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
        state_ = DriverState::frozen;
        return Advance::frozen;
    }
    state_ = DriverState::sweeping;
    if (run_.loopy == 1) {
        restart();
        return Advance::stepped;
    }
    const double next_angle = crank_angle_ + angle_step;
    if (within_sweep(next_angle)) {
        crank_angle_ = next_angle;
        run_step();
        return Advance::stepped;
    }
    state_ = DriverState::waiting;
    return advance();
}

void CycleDriver::end_program() {
    surface_->Cls();
    state_ = DriverState::ended;
}

DriverSnapshot CycleDriver::snapshot() const {
    return {state_,      parameters_, geometry_, model_, crank_angle_,
            step_index_, phase_,      readout_,  cycles_};
}

void CycleDriver::restore(const DriverSnapshot& s) {
    state_ = s.state;
    parameters_ = s.parameters;
    geometry_ = s.geometry;
    model_ = s.model;
    crank_angle_ = s.crank_angle;
    step_index_ = s.step_index;
    phase_ = s.phase;
    readout_ = s.readout;
    cycles_ = s.cycles;
}

double CycleDriver::pacing() const {
    if (state_ != DriverState::sweeping || is_first_step(crank_angle_)) return 0;
    return pacing_count(run_.stepe);
}

void CycleDriver::begin_cycle() {
    geometry_ = make_engine_geometry(parameters_);
    draw_diagram_grid(*surface_, geometry_);
    draw_engine_outline(*surface_, geometry_);
    draw_diagram_axes(*surface_, geometry_);
    reset_model(model_, geometry_);
    run_.stepe = default_stepe;
    crank_angle_ = sweep_start_angle;
    step_index_ = -1;
    ++cycles_;
    state_ = DriverState::sweeping;
}

void CycleDriver::restart() {
    surface_->Cls();
    run_.loopy = 0;
    begin_cycle();
    run_step();
}

void CycleDriver::run_step() {
    ++step_index_;
    const CrankPosition crank = crank_position(geometry_, crank_angle_);
    readout_ = readout_value(crank_angle_);
    // The segments show the updated values; the hand-over that follows changes none of them.
    phase_ = update_model(model_, geometry_, crank_angle_, crank);
    draw_trace_segments(*surface_, geometry_, model_, crank_angle_, phase_);
    hand_over(model_, geometry_, phase_);
    draw_moving_parts(*surface_, geometry_, crank_angle_, model_.prev_piston_pos,
                      model_.piston_pos);
}

}  // namespace hcci
