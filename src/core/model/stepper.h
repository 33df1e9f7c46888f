// SPDX-License-Identifier: MIT
#pragma once

#include <variant>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/engine_parameters.h"
#include "core/model/predictive_model.h"
#include "core/model/scheduled_model.h"
#include "core/model/sweep.h"

// One sweep of one engine, a step at a time: the step's accumulated crank angle, its crank
// position, the phase it selects and the engine model's state. Everything that runs the cycle
// (the driver that draws it, the CSV, the analysis, the points the tooltips read, the check of
// the parameters) runs it through a Stepper.
//
// A step is two calls, so that a caller can look in between, where the traces are drawn:
//
//   update      the next step's angle and crank position, its phase, the model's update
//   hand_over   the split state after a united phase, the merge state after a divided one
//
// The engine models sit behind it, each a record with its free functions (scheduled_model.h
// says which); adding one is a file of its own and its name in EngineModel.

namespace hcci {

using EngineModel = std::variant<ScheduledModel, PredictiveModel>;

class Stepper {
public:
    // Before the first step of a sweep of the engine the parameters describe.
    explicit Stepper(const EngineParameters& parameters = {});

    // The next step's update; false, with nothing changed, once the last step has run.
    bool update();
    void hand_over();
    // Both.
    bool step();

    // The step that ran last: its index (-1 before the first), accumulated angle, crank
    // position and phase.
    int step_index() const { return step_; }
    double crank_angle() const { return crank_angle_; }
    const CrankPosition& crank() const { return crank_; }
    int phase() const { return phase_; }
    bool complete() const { return step_ == last_step; }

    const EngineGeometry& geometry() const { return geometry_; }
    // After the update, or after the hand-over, of the step that ran last.
    const CombustionModel& state() const;
    // The fuel of a model that has one (burned shares, heat released, ignitions), or nothing.
    const FuelReadings* fuel() const;
    // Whether every quantity of the model is a finite number.
    bool finite() const;

private:
    EngineGeometry geometry_;
    EngineModel model_;
    int step_ = -1;
    double crank_angle_ = sweep_start_angle;
    CrankPosition crank_;
    int phase_ = 0;
};

// The one loop over a whole sweep: `updated` sees each step between its update and its
// hand-over (as the traces are drawn), `handed_over` after the hand-over.
template <class Updated, class HandedOver>
void run_sweep(Stepper& stepper, Updated&& updated, HandedOver&& handed_over) {
    while (stepper.update()) {
        updated(static_cast<const Stepper&>(stepper));
        stepper.hand_over();
        handed_over(static_cast<const Stepper&>(stepper));
    }
}

// For a run_sweep that looks at one of the two moments only.
inline constexpr auto no_look = [](const Stepper&) {};

}  // namespace hcci
