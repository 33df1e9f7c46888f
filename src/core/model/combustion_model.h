// SPDX-License-Identifier: MIT
#pragma once

#include "core/model/engine_geometry.h"

// The two-chamber thermodynamic model: pressures in bar, temperatures in kelvin, volumes as heights
// over the whole piston area. Advanced once per crank step.

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

    // The previous point of the traces, saved at the start of every step.
    double prev_piston_pos = 0;
    double prev_united_pressure = 0;
    double prev_united_temperature = 0;
    double prev_main_pressure = 0;
    double prev_main_temperature = 0;
    double prev_aux_pressure = 0;
    double prev_aux_temperature = 0;
};

// Phases by crank angle, at the defaults: 1 united compression (< 57), 2 first division with
// auxiliary ignition (57..79), 3 united with main combustion (79 < a <= 101), 4 second division
// (101 < a <= 123), 5 united expansion (> 123).
int phase_of(const EngineGeometry& geometry, double crank_angle);

inline bool is_divided_phase(int phase) {
    return phase == 2 || phase == 4;
}

// Cycle-start reset: piston at bottom dead centre, previous points, split state and the chamber
// pressures cleared.
void reset_model(CombustionModel& model, const EngineGeometry& geometry);

// A step in three calls, so that the caller can draw the step's trace segments between the
// update and the hand-over, which changes none of the quantities the segments show:
//
//   update_model   previous-point copies, new piston position, chamber update of the phase
//   (the trace segments, drawn by the caller)
//   hand_over      the split state after phases 1 and 3, the merge state after phases 2 and 4
//
// update_model returns the phase that ran.
int update_model(CombustionModel& model, const EngineGeometry& geometry, double crank_angle,
                 const CrankPosition& crank);
void hand_over(CombustionModel& model, const EngineGeometry& geometry, int phase);

// Whether every quantity of the current state is a finite number.
bool state_is_finite(const CombustionModel& model);

// The whole step without drawing. Returns the phase that ran.
int step_model(CombustionModel& model, const EngineGeometry& geometry, double crank_angle,
               const CrankPosition& crank);

}  // namespace hcci
