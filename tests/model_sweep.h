// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/sweep.h"

// One sweep of the model alone, run the way the driver runs it: the angle grows by repeated
// addition, and each step computes the crank position and then the model step.

namespace hcci {

struct SweepStep {
    int index = 0;
    double crank_angle = 0;
    int phase = 0;
    CrankPosition crank;
    CombustionModel model;  // the state after the step
};

inline std::vector<SweepStep> run_model_sweep(const EngineGeometry& geometry,
                                              CombustionModel& model) {
    std::vector<SweepStep> steps;
    steps.reserve(steps_per_sweep);
    reset_model(model, geometry);
    int index = 0;
    for (double angle = sweep_start_angle; within_sweep(angle); angle = angle + angle_step) {
        const CrankPosition crank = crank_position(geometry, angle);
        const int phase = step_model(model, geometry, angle, crank);
        steps.push_back({index++, angle, phase, crank, model});
    }
    return steps;
}

inline std::vector<SweepStep> run_model_sweep() {
    const EngineGeometry geometry = make_engine_geometry();
    CombustionModel model;
    return run_model_sweep(geometry, model);
}

// The sweep is the same for every test: computed once.
inline const std::vector<SweepStep>& model_sweep() {
    static const std::vector<SweepStep> steps = run_model_sweep();
    return steps;
}

}  // namespace hcci
