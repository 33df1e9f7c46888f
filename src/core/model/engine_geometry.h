// SPDX-License-Identifier: MIT
#pragma once

#include "core/model/engine_parameters.h"

// Engine dimensions, charge constants and the schedule of one cycle, and the crank and piston
// kinematics. Lengths are drawing units; volumes are heights over the whole piston area.

namespace hcci {

// The predictive model's constants, from its parameters.
struct FuelConstants {
    double delay_prefactor_ms = 0;  // A phi^-nphi chi^-nO2
    double pressure_exponent = 0;   // np
    double activation_temperature = 0;  // E / R, with R 1.987 cal/(mol K): K
    double adiabatic_rise = 0;          // K a unit of fuel share burned raises the charge: y_f LHV / c_v
    double step_seconds = 0;            // 0.02 degrees at the engine speed
    double aux_burn_duration = 0;       // degrees
    double main_burn_duration = 0;
};

struct EngineGeometry {
    EngineModelKind model = EngineModelKind::scheduled;
    double pi = 0;
    double crank_radius = 0;
    double rod_length = 0;
    double gamma = 0;
    double kelvin_per_unit = 0;
    double temperature_base_y = 0;
    double pressure_base_y = 0;
    double half_bore = 0;
    double main_share = 0;
    double main_clearance = 0;
    double aux_clearance = 0;
    double total_clearance = 0;
    double bdc_height = 0;
    double start_temperature = 0;
    double bdc_pressure = 0;  // bar
    double engine_speed = 0;  // rpm

    // The schedule, in crank degrees (90 is top dead centre): phases, ignition windows and
    // factors.
    double first_split_angle = 0;
    double first_merge_angle = 0;
    double second_split_angle = 0;
    double second_merge_angle = 0;
    double aux_ignition_start = 0;
    double aux_ignition_end = 0;
    double aux_ignition_factor = 0;
    double main_ignition_start = 0;
    double main_ignition_end = 0;
    double main_ignition_rise = 0;

    FuelConstants fuel;
};

// The constants of the engine the parameters describe (which must pass check_parameters),
// computed in an order of arithmetic that gives the original engine's exact double values at
// the defaults.
EngineGeometry make_engine_geometry(const EngineParameters& parameters = {});

struct CrankPosition {
    double crank_x = 0;  // across the cylinder axis
    double crank_y = 0;  // along the axis, positive towards the cylinder head
};

CrankPosition crank_position(const EngineGeometry& geometry, double crank_angle);

// Gas height of the united charge: distance from the head to the piston, clearance included.
double piston_position(const EngineGeometry& geometry, const CrankPosition& crank);

// Travel of the piston from top dead centre (0 to 100): the common abscissa of engine and diagrams.
inline double crown_x(const EngineGeometry& geometry, double piston_pos) {
    return piston_pos - geometry.total_clearance;
}

}  // namespace hcci
