// SPDX-License-Identifier: MIT
#pragma once

// Heat lost to the walls, by the HCCI form of Woschni's correlation (Chang et al., SAE
// 2004-01-2996): h = 3.4 L^-0.2 p^0.8 T^-0.73 w^0.8 in W/(m^2 K), p in kPa, L the charge's
// height in m, T in K, w = 2.28 times the mean piston speed in m/s (Chang's combustion term, a
// sixth of Woschni's, is left out).
//
// A charge stands on its share s of the piston area A_p = pi B^2 / 4 (1 united, main_share the
// main chamber, the rest the auxiliary one). Its volume V, in height units over the whole piston
// area (a height unit is l = stroke / 100), makes a height L = V l / s and a wall area
// A_w = 2 s A_p + P L, with the perimeter P = pi B united, pi B (1 + sqrt(1 - main_share)) the
// main chamber (liner and partition) and pi B sqrt(1 - main_share) the auxiliary one.

namespace hcci {

// Woschni-Chang's coefficient, W/(m^2 K).
double woschni_chang_coefficient(double height_m, double pressure_kpa, double temperature_k,
                                 double gas_speed_m_per_s);

// The engine's size in metres and its gas speed.
struct EngineSize {
    double bore_m = 0, stroke_m = 0;
    double piston_area_m2 = 0;  // pi B^2 / 4
    double unit_m = 0;          // a height unit: stroke / 100
    double displacement_l = 0;  // A_p S, litres
    double gas_speed = 0;       // w = 2.28 * 2 S N / 60, m/s
};
EngineSize make_engine_size(double bore_mm, double stroke_mm, double engine_speed_rpm);

// A charge's footing: its share of the piston area and its walls' perimeter, m.
struct ChargeFooting {
    double share = 1;
    double perimeter_m = 0;
};
ChargeFooting united_footing(const EngineSize& size);
ChargeFooting main_footing(const EngineSize& size, double main_share);
ChargeFooting aux_footing(const EngineSize& size, double main_share);

// The heat a charge loses over a step, per kg of it, with the correlation folded into a form
// cheap enough for every step. With p = m T / V (bar, m in bar x height units per K) the
// correlation is h = c m^0.8 T^0.07 / V, and the charge's mass in kg is m 1e5 A_p l / R, so
// q = k m^-0.2 T^0.07 (T - T_wall) (2 s A_p / V + P l / s) in J/kg.
struct WallLoss {
    double factor = 0;     // k, for this footing, the engine's size, speed and the step's time
    double base_area = 0;  // 2 s A_p, m^2, times 1 / V
    double side_area = 0;  // P l / s, m^2
    double wall_temperature = 0;

    // J/kg over the step, at the charge's state after its compression; mass_factor is m^-0.2.
    double per_kg(double mass_factor, double volume, double temperature) const;
};
WallLoss make_wall_loss(const EngineSize& size, const ChargeFooting& footing,
                        double wall_temperature_k, double step_seconds);

// The same by the correlation as written, J/kg: for tests and for reading.
double wall_loss_per_kg(const EngineSize& size, const ChargeFooting& footing,
                        double wall_temperature_k, double step_seconds, double mass, double volume,
                        double temperature);

}  // namespace hcci
