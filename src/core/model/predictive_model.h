// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/model/engine_parameters.h"
#include "core/model/gas_properties.h"
#include "core/model/predictive_charge.h"
#include "core/model/wall_heat.h"

// The predictive engine model: both ignitions follow from the charge's own state
// (predictive_charge.h). A step, for each charge present, in this order:
//   compression to the step's volume, T <- T (V / V_new)^(gamma(T) - 1) (gas_properties.h), its
//     work booked as -m (u(T_new) - u(T));
//   heat lost to the walls (wall_heat.h): u(T_new) = u(T) - q;
//   each unignited zone k adds dt / tau(p, T_u (1 + s z_k)) to its Livengood-Wu integral
//     (Livengood and Wu, 1955), tau the ignition delay of He et al. (Combust. Flame 142, 2005)
//     for iso-octane, and ignites on the step its integral reaches 1 (ignition_zones.h); the
//     zones igniting on one step make one pool, which burns from the next;
//   each pool burns on a Wiebe curve x = 1 - exp(-5 ((t - t_i) / D)^3), in time or in crank
//     degrees, the fuel burned adding y_f LHV per kg of it: u(T_new) = u(T) + q;
//   the unburned gas's temperature T_u follows compression and heat loss as T does, the burn
//     only by the pressure it adds (isentropically), and mixes toward T:
//     T_u <- T - (T - T_u) exp(-dt / tau_mix).
// Until a zone of the engine ignites, T_u = T. A division splits the united charge by volume;
// its end merges the chambers conserving mass, energy and fuel.
//
// The scheduled ignition parameters play no part here. The model's entry (engine_model.h) is
// predictive_engine_model(); what this header shows is its physics, for tests.

namespace hcci {

// The model's constants, from its parameters.
struct FuelConstants {
    double delay_prefactor_ms = 0;      // A phi^-nphi chi^-nO2
    double pressure_exponent = 0;       // np
    double activation_temperature = 0;  // E / R, with R 1.987 cal/(mol K): K
    double fuel_energy = 0;             // J a kg of charge holds in its fuel: y_f LHV
    double adiabatic_rise = 0;  // K a unit of fuel share burned raises the charge at constant gamma
    double step_seconds = 0;    // 0.02 degrees at the engine speed
    double aux_burn_duration = 0;  // degrees, with the burn in crank angle
    double main_burn_duration = 0;
    bool burn_in_time = false;
    double zone_burn_ms = 0;
    double mixing = 0;                 // exp(-dt / tau_mix): what is left of T - T_u after a step
    bool mixing_at_once = true;        // tau_mix = 0: T_u = T at every moment
    std::vector<double> zone_factors;  // 1 + s z_k
};

FuelConstants make_fuel_constants(const EngineParameters& parameters);
GasProperties make_gas(const EngineParameters& parameters);

// The ignition delay in ms at a pressure (bar) and temperature (K).
double ignition_delay_ms(const FuelConstants& fuel, double pressure, double temperature);

}  // namespace hcci
