// SPDX-License-Identifier: MIT
#include "core/model/engine_geometry.h"

#include <cmath>

#include "core/model/sweep.h"

namespace hcci {

EngineGeometry make_engine_geometry(const EngineParameters& p) {
    EngineGeometry g;
    g.pi = 4.0 * std::atan(1.0);
    g.crank_radius = 50;
    g.rod_length = p.rod_length;
    g.gamma = p.gamma;
    g.kelvin_per_unit = 11;
    g.temperature_base_y = 145;
    g.pressure_base_y = -145;
    g.half_bore = g.crank_radius * 2.5;
    g.main_share = p.main_share;
    // The divisors are 11 and 49 for the ratios 12 and 50, exactly.
    g.main_clearance = ((g.main_share * 2) * g.crank_radius) / (p.main_compression_ratio - 1);
    g.aux_clearance = (((1 - g.main_share) * 2) * g.crank_radius) / (p.aux_compression_ratio - 1);
    g.total_clearance = g.main_clearance + g.aux_clearance;
    g.bdc_height = g.total_clearance + 2 * g.crank_radius;
    g.start_temperature = p.start_temperature;
    g.bdc_pressure = p.bdc_pressure;
    g.engine_speed = p.engine_speed;
    // After top dead centre into crank angles: -33 + 90 is 57 exactly, and so on.
    g.first_split_angle = crank_angle_at(p.first_split_atdc);
    g.first_merge_angle = crank_angle_at(p.first_merge_atdc);
    g.second_split_angle = crank_angle_at(p.second_split_atdc);
    g.second_merge_angle = crank_angle_at(p.second_merge_atdc);
    g.aux_ignition_start = crank_angle_at(p.aux_ignition_start_atdc);
    g.aux_ignition_end = crank_angle_at(p.aux_ignition_end_atdc);
    g.aux_ignition_factor = p.aux_ignition_factor;
    g.main_ignition_start = crank_angle_at(p.main_ignition_start_atdc);
    g.main_ignition_end = crank_angle_at(p.main_ignition_end_atdc);
    g.main_ignition_rise = p.main_ignition_rise;
    return g;
}

CrankPosition crank_position(const EngineGeometry& g, double crank_angle) {
    const double crank_angle_rad = (crank_angle * g.pi) / 180;
    return {g.crank_radius * std::cos(crank_angle_rad), g.crank_radius * std::sin(crank_angle_rad)};
}

double piston_position(const EngineGeometry& g, const CrankPosition& crank) {
    return ((g.crank_radius + g.rod_length) + g.total_clearance) -
           (crank.crank_y + std::sqrt(std::pow(g.rod_length, 2) - std::pow(crank.crank_x, 2)));
}

int phase_of(const EngineGeometry& g, double crank_angle) {
    if (crank_angle < g.first_split_angle) return 1;
    if (crank_angle <= g.first_merge_angle) return 2;
    if (crank_angle <= g.second_split_angle) return 3;
    if (crank_angle <= g.second_merge_angle) return 4;
    return 5;
}

}  // namespace hcci
