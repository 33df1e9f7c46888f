// SPDX-License-Identifier: MIT
#pragma once

// The charge's gas: its ratio of specific heats and its internal energy per kg, either constant
// or falling linearly with temperature, gamma(T) = 1.392 - 8.13e-5 T (Gatowski et al., SAE
// 841359, the fit used in heat-release analysis). With gamma - 1 = a - b T and R = 287 J/(kg K),
// c_v = R / (a - b T) and u(T) = -(R / b) ln(a - b T); above 3000 K the fit is left and u goes
// on linearly with c_v(3000), so that gamma stays above 1.

namespace hcci {

inline constexpr double gas_constant = 287;  // J/(kg K)

struct GasProperties {
    bool variable = false;
    double gamma = 1.4;  // constant properties
    double cv = 0;       // J/(kg K), constant properties: R / (gamma - 1)
};

namespace gatowski {
inline constexpr double a = 0.392;    // gamma - 1 at 0 K
inline constexpr double b = 8.13e-5;  // 1/K
inline constexpr double knee = 3000;  // K: above it u is linear
}  // namespace gatowski

GasProperties constant_gas(double gamma);
GasProperties variable_gas();

// gamma - 1 at a temperature (K).
double gamma_less_one(const GasProperties& gas, double temperature);
// c_v at a temperature, J/(kg K).
double specific_heat(const GasProperties& gas, double temperature);
// u(T), J/kg: constant c_v T, or Gatowski's (whose zero is arbitrary: only differences count).
double internal_energy(const GasProperties& gas, double temperature);
// The temperature whose u is that, K.
double temperature_of_energy(const GasProperties& gas, double energy);
// u(T_new) - u(T): the same as the difference of internal_energy, with no large terms cancelling.
double energy_change(const GasProperties& gas, double from, double to);
// The temperature after adding q J/kg at constant volume (q < 0 takes it away): u(T_new) =
// u(T) + q, in closed form on each side of the knee.
double temperature_after(const GasProperties& gas, double temperature, double q);
// Adiabatic compression over a step: T (V / V_new)^(gamma(T) - 1), gamma at the temperature
// before it.
double compressed(const GasProperties& gas, double temperature, double volume_ratio);

}  // namespace hcci
