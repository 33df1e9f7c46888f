// SPDX-License-Identifier: MIT
#include "core/model/gas_properties.h"

#include <algorithm>
#include <cmath>

namespace hcci {
namespace {

using gatowski::a;
using gatowski::b;
using gatowski::knee;

// c_v at the knee, where u goes on linearly.
const double knee_cv = gas_constant / (a - b * knee);

// u(T) below the knee, J/kg.
double fitted_energy(double temperature) {
    return -(gas_constant / b) * std::log(a - b * temperature);
}

// Below the knee, the temperature after adding q: a - b T_new = (a - b T) exp(-b q / R).
double fitted_temperature_after(double temperature, double q) {
    return (a - (a - b * temperature) * std::exp(-b * q / gas_constant)) / b;
}

// Below the knee, u(to) - u(from) = (R / b) ln((a - b from) / (a - b to)).
double fitted_change(double from, double to) {
    return (gas_constant / b) * std::log((a - b * from) / (a - b * to));
}

}  // namespace

GasProperties constant_gas(double gamma) {
    return {false, gamma, gas_constant / (gamma - 1)};
}

GasProperties variable_gas() {
    return {true, 0, 0};
}

double gamma_less_one(const GasProperties& gas, double temperature) {
    if (!gas.variable) return gas.gamma - 1;
    return a - b * std::min(temperature, knee);
}

double specific_heat(const GasProperties& gas, double temperature) {
    return gas.variable ? gas_constant / gamma_less_one(gas, temperature) : gas.cv;
}

double internal_energy(const GasProperties& gas, double temperature) {
    if (!gas.variable) return gas.cv * temperature;
    if (temperature <= knee) return fitted_energy(temperature);
    return fitted_energy(knee) + knee_cv * (temperature - knee);
}

double temperature_of_energy(const GasProperties& gas, double energy) {
    if (!gas.variable) return energy / gas.cv;
    const double at_knee = fitted_energy(knee);
    if (energy > at_knee) return knee + (energy - at_knee) / knee_cv;
    return (a - std::exp(-b * energy / gas_constant)) / b;
}

double energy_change(const GasProperties& gas, double from, double to) {
    if (!gas.variable) return gas.cv * (to - from);
    if (from <= knee && to <= knee) return fitted_change(from, to);
    const auto part_below = [](double t) { return std::min(t, knee); };
    const auto part_above = [](double t) { return std::max(t, knee) - knee; };
    return fitted_change(part_below(from), part_below(to)) +
           knee_cv * (part_above(to) - part_above(from));
}

double temperature_after(const GasProperties& gas, double temperature, double q) {
    if (!gas.variable) return temperature + q / gas.cv;
    if (temperature <= knee) {
        // Nothing added: exp(0) is 1, so the fit gives its own rounding of T without exp.
        if (q == 0) return (a - (a - b * temperature)) / b;
        // Heat taken away never reaches the knee from below (the energy to it is >= 0), so
        // its log need not be taken.
        if (q < 0) return fitted_temperature_after(temperature, q);
        const double to_knee = fitted_change(temperature, knee);
        if (q <= to_knee) return fitted_temperature_after(temperature, q);
        return knee + (q - to_knee) / knee_cv;
    }
    const double linear = temperature + q / knee_cv;
    if (linear >= knee) return linear;
    // Down through the knee: what is left below it follows the fit.
    return fitted_temperature_after(knee, q + (temperature - knee) * knee_cv);
}

double compressed(const GasProperties& gas, double temperature, double volume_ratio) {
    return temperature * std::pow(volume_ratio, gamma_less_one(gas, temperature));
}

}  // namespace hcci
