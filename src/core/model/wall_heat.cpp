// SPDX-License-Identifier: MIT
#include "core/model/wall_heat.h"

#include <cmath>
#include <numbers>

#include "core/model/gas_properties.h"

namespace hcci {
namespace {

constexpr double pascal_per_bar = 1e5;
constexpr double kpa_per_bar = 100;
constexpr double chang_constant = 3.4;
constexpr double piston_speed_factor = 2.28;

}  // namespace

double woschni_chang_coefficient(double height_m, double pressure_kpa, double temperature_k,
                                 double gas_speed_m_per_s) {
    return chang_constant * std::pow(height_m, -0.2) * std::pow(pressure_kpa, 0.8) *
           std::pow(temperature_k, -0.73) * std::pow(gas_speed_m_per_s, 0.8);
}

EngineSize make_engine_size(double bore_mm, double stroke_mm, double engine_speed_rpm) {
    EngineSize s;
    s.bore_m = bore_mm / 1000;
    s.stroke_m = stroke_mm / 1000;
    s.piston_area_m2 = std::numbers::pi * s.bore_m * s.bore_m / 4;
    s.unit_m = s.stroke_m / 100;
    s.displacement_l = s.piston_area_m2 * s.stroke_m * 1000;
    s.gas_speed = piston_speed_factor * 2 * s.stroke_m * engine_speed_rpm / 60;
    return s;
}

ChargeFooting united_footing(const EngineSize& size) {
    return {1, std::numbers::pi * size.bore_m};
}

ChargeFooting main_footing(const EngineSize& size, double main_share) {
    return {main_share, std::numbers::pi * size.bore_m * (1 + std::sqrt(1 - main_share))};
}

ChargeFooting aux_footing(const EngineSize& size, double main_share) {
    return {1 - main_share, std::numbers::pi * size.bore_m * std::sqrt(1 - main_share)};
}

WallLoss make_wall_loss(const EngineSize& size, const ChargeFooting& footing,
                        double wall_temperature_k, double step_seconds) {
    // h = 3.4 w^0.8 (l / s)^-0.2 (100 m T / V)^0.8 T^-0.73 V^-0.2 = c m^0.8 T^0.07 / V, and
    // q = h A_w (T - T_wall) dt / m_kg with m_kg = m 1e5 A_p l / R and A_w = V (2 s A_p / V +
    // P l / s).
    const double c = chang_constant * std::pow(size.gas_speed, 0.8) *
                     std::pow(size.unit_m / footing.share, -0.2) * std::pow(kpa_per_bar, 0.8);
    WallLoss loss;
    loss.factor =
        c * step_seconds * gas_constant / (pascal_per_bar * size.piston_area_m2 * size.unit_m);
    loss.base_area = 2 * footing.share * size.piston_area_m2;
    loss.side_area = footing.perimeter_m * size.unit_m / footing.share;
    loss.wall_temperature = wall_temperature_k;
    return loss;
}

double WallLoss::per_kg(double mass_factor, double volume, double temperature) const {
    return factor * mass_factor * std::pow(temperature, 0.07) * (temperature - wall_temperature) *
           (base_area / volume + side_area);
}

double wall_loss_per_kg(const EngineSize& size, const ChargeFooting& footing,
                        double wall_temperature_k, double step_seconds, double mass, double volume,
                        double temperature) {
    const double height = volume * size.unit_m / footing.share;
    const double pressure_kpa = kpa_per_bar * mass * temperature / volume;
    const double h = woschni_chang_coefficient(height, pressure_kpa, temperature, size.gas_speed);
    const double wall_area = 2 * footing.share * size.piston_area_m2 + footing.perimeter_m * height;
    const double mass_kg = mass * pascal_per_bar * size.piston_area_m2 * size.unit_m / gas_constant;
    return h * wall_area * (temperature - wall_temperature_k) * step_seconds / mass_kg;
}

}  // namespace hcci
