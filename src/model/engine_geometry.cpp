#include "engine_geometry.h"

#include <cmath>

namespace hcci {

EngineGeometry make_engine_geometry() {
    EngineGeometry g;
    g.pi = 4.0 * std::atan(1.0);
    g.crank_radius = 50;
    g.rod_length = 200;
    g.gamma = 1.4;
    g.kelvin_per_unit = 11;
    g.temperature_base_y = 145;
    g.pressure_base_y = -145;
    g.half_bore = g.crank_radius * 2.5;
    g.main_share = 0.75;
    g.main_clearance = ((g.main_share * 2) * g.crank_radius) / 11;
    g.aux_clearance = (((1 - g.main_share) * 2) * g.crank_radius) / 49;
    g.total_clearance = g.main_clearance + g.aux_clearance;
    g.bdc_height = g.total_clearance + 2 * g.crank_radius;
    g.start_temperature = 323;
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

}  // namespace hcci
