// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/sweep.h"

// One sweep of the original engine's model alone, stepped here as the record's loop steps it:
// the angle grows by repeated addition, and each step computes the crank position, the phase,
// the piston and then the model step.

namespace hcci {

struct SweepStep {
    int index = 0;
    double crank_angle = 0;
    int phase = 0;
    CrankPosition crank;
    CombustionModel model;  // the state after the step
};

inline std::vector<SweepStep> run_model_sweep(const EngineParameters& parameters = {}) {
    std::vector<SweepStep> steps;
    steps.reserve(steps_per_sweep);
    const EngineGeometry g = make_engine_geometry(parameters);
    CombustionModel model;
    reset_model(model, g);
    const std::span<const double> angles = sweep_angles();
    for (int i = 0; i < steps_per_sweep; ++i) {
        const double angle = angles[static_cast<std::size_t>(i)];
        const CrankPosition crank = crank_position(g, angle);
        const int phase = phase_of(g, angle);
        step_model(model, g, phase, angle, piston_position(g, crank));
        steps.push_back({i, angle, phase, crank, model});
    }
    return steps;
}

// The sweep is the same for every test: computed once.
inline const std::vector<SweepStep>& model_sweep() {
    static const std::vector<SweepStep> steps = run_model_sweep();
    return steps;
}

}  // namespace hcci
