// SPDX-License-Identifier: MIT
#pragma once

#include "core/model/engine_geometry.h"

// The two-chamber thermodynamic model of the original engine: adiabatic chambers with ignition
// factors scheduled by crank angle. Pressures in bar, temperatures in kelvin, volumes as
// heights over the whole piston area. Advanced once per crank step.

namespace hcci {

struct CombustionModel {
    double piston_pos = 0;

    // Current state.
    double united_pressure = 0;
    double united_temperature = 0;
    double main_pressure = 0;
    double main_temperature = 0;
    double main_volume = 0;
    double aux_pressure = 0;
    double aux_temperature = 0;
    double aux_volume = 0;

    // Split state: handed by a united phase to the divided phase that follows it.
    double main_split_pressure = 0;
    double aux_split_pressure = 0;
    double main_split_temperature = 0;
    double aux_split_temperature = 0;
    double main_split_volume = 0;
    double aux_split_volume = 0;
    double split_piston_pos = 0;

    // Merge state: handed by a divided phase to the united phase that follows it.
    double merged_temperature = 0;
    double merged_pressure = 0;
    double merge_piston_pos = 0;
};

// Cycle-start reset: piston at bottom dead centre, split state and the chamber pressures
// cleared.
void reset_model(CombustionModel& model, const EngineGeometry& geometry);

// One step: the new piston position and the chamber update of the phase, then its hand-over
// (the split state after phases 1 and 3, the merge state after phases 2 and 4), which changes
// none of the quantities the step's trace segments show.
void step_model(CombustionModel& model, const EngineGeometry& geometry, int phase,
                double crank_angle, double piston_pos);

// Whether every quantity of the current state is a finite number.
bool state_is_finite(const CombustionModel& model);

}  // namespace hcci
