// SPDX-License-Identifier: MIT
#pragma once

#include "core/model/engine_parameters.h"

// Engine dimensions, charge constants and the schedule of one cycle, and the crank and piston
// kinematics. Lengths are drawing units; volumes are heights over the whole piston area.

namespace hcci {

struct EngineGeometry {
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

// Each chamber's volume as a division starting with the piston there would give it: its
// clearance and its share of the piston's travel.
inline double main_split_volume(const EngineGeometry& g, double piston_pos) {
    return g.main_clearance + (piston_pos - g.total_clearance) * g.main_share;
}
inline double aux_split_volume(const EngineGeometry& g, double piston_pos) {
    return g.aux_clearance + (piston_pos - g.total_clearance) * (1 - g.main_share);
}

// Phases by crank angle, at the defaults: 1 united compression (< 57), 2 first division (57..79),
// 3 united again (79 < a <= 101), 4 second division (101 < a <= 123), 5 united expansion
// (> 123). The partition's timing is every model's.
int phase_of(const EngineGeometry& geometry, double crank_angle);

inline bool is_divided_phase(int phase) {
    return phase == 2 || phase == 4;
}

}  // namespace hcci
