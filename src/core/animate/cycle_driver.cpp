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

CycleDriver::CycleDriver(DrawingSurface& surface, RunControl& run, SharedRecord record)
    : surface_(&surface), run_(run) {
    if (!record) throw std::invalid_argument("a driver needs a cycle to draw");
    now_.record = std::move(record);
}

CycleDriver::CycleDriver(DrawingSurface& surface, RunControl& run,
                         const EngineParameters& parameters)
    : CycleDriver(surface, run, share_cycle(parameters)) {}

double CycleDriver::crank_angle() const {
    return now_.step < 0 ? sweep_start_angle : CycleRecord::crank_angle(now_.step);
}

int CycleDriver::phase() const {
    return now_.step < 0 ? 0 : now_.record->phase[static_cast<std::size_t>(now_.step)];
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
    now_.step = -1;
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
    if (now_.step == last_step) return false;
    const int step = ++now_.step;
    now_.readout = readout_value(crank_angle());
    draw_trace_segments(*surface_, record(), step);
    if (!without_moving_parts_ && step > 0) {
        const auto i = static_cast<std::size_t>(step);
        draw_moving_parts(*surface_, geometry(), crank_angle(), record().piston_pos[i - 1],
                          record().piston_pos[i]);
    }
    return true;
}

}  // namespace hcci
