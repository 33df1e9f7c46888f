// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/stepper.h"

// One sweep of the model alone, as the stepper runs it for every consumer: the angle grows by
// repeated addition, and each step computes the crank position and then the model step.

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
    Stepper stepper(parameters);
    run_sweep(stepper, no_look, [&steps](const Stepper& s) {
        steps.push_back({s.step_index(), s.crank_angle(), s.phase(), s.crank(), s.state()});
    });
    return steps;
}

// The sweep is the same for every test: computed once.
inline const std::vector<SweepStep>& model_sweep() {
    static const std::vector<SweepStep> steps = run_model_sweep();
    return steps;
}

}  // namespace hcci
