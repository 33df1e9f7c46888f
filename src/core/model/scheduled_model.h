// SPDX-License-Identifier: MIT
#pragma once

#include "core/model/combustion_model.h"

// The engine model of the original program behind the stepper: adiabatic chambers with
// ignition factors scheduled by crank angle. Its state is the record the traces show.
//
// Every engine model offers the stepper the same free functions over its own record: reset,
// update (returning the phase), hand_over, shown_state (the CombustionModel whose values the
// traces, the CSV and the analysis read), fuel_readings (nothing for a model without fuel) and
// is_finite.

namespace hcci {

struct ScheduledModel {
    CombustionModel state;
};

inline void reset(ScheduledModel& model, const EngineGeometry& geometry) {
    reset_model(model.state, geometry);
}
inline int update(ScheduledModel& model, const EngineGeometry& geometry, double crank_angle,
                  const CrankPosition& crank) {
    return update_model(model.state, geometry, crank_angle, crank);
}
inline void hand_over(ScheduledModel& model, const EngineGeometry& geometry, int phase) {
    hand_over(model.state, geometry, phase);
}
inline const CombustionModel& shown_state(const ScheduledModel& model) {
    return model.state;
}
struct FuelReadings;
inline const FuelReadings* fuel_readings(const ScheduledModel&) {
    return nullptr;
}
inline bool is_finite(const ScheduledModel& model) {
    return state_is_finite(model.state);
}

}  // namespace hcci
