// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "core/model/engine_parameters.h"

// The predictive engine model: both ignitions follow from the charge's own state. Each charge
// (the united charge, or the two chambers while divided) has a volume V (height units), a mass
// m = p V / T (bar x height units per K), a temperature T and its fuel in pools; a pool holds
// u, its unburnt share of the fuel that a unit of charge mass held at bottom dead centre.
//
// A step, for each charge present: adiabatic compression to the step's volume; the one
// unignited pool adds dt / tau(p, T) to its Livengood-Wu integral (Livengood and Wu, 1955),
// tau being the ignition delay of He et al. (Combust. Flame 142, 2005) for iso-octane, and
// ignites when the integral reaches 1; each ignited pool burns on a Wiebe curve, raising T by
// the adiabatic rise times its fuel burned; then p = m T / V. A division splits the united
// charge by volume, at one temperature, each chamber a copy of its pools; the end of one merges
// the chambers conserving mass, energy and fuel.
//
// The scheduled ignition parameters play no part here. The model's entry (engine_model.h) is
// predictive_engine_model(); what this header shows is its physics, for tests.

namespace hcci {

// The model's constants, from its parameters.
struct FuelConstants {
    double delay_prefactor_ms = 0;      // A phi^-nphi chi^-nO2
    double pressure_exponent = 0;       // np
    double activation_temperature = 0;  // E / R, with R 1.987 cal/(mol K): K
    double adiabatic_rise = 0;     // K a unit of fuel share burned raises the charge: y_f LHV / c_v
    double step_seconds = 0;       // 0.02 degrees at the engine speed
    double aux_burn_duration = 0;  // degrees
    double main_burn_duration = 0;
};

FuelConstants make_fuel_constants(const EngineParameters& parameters);

struct IgnitedPool {
    double u = 0;
    double ignition_angle = 0;  // crank degrees
    double u_at_ignition = 0;
    double duration = 0;  // degrees
};

struct Charge {
    double volume = 0, mass = 0, temperature = 0;
    bool has_unignited = false;
    double unignited_u = 0;
    double integral = 0;  // Livengood-Wu, of the unignited pool
    // At most one pool ignites a charge at a time, and merges join pools that ignited
    // together: a sweep makes a handful.
    std::array<IgnitedPool, 8> ignited{};
    int ignited_count = 0;

    double pressure() const { return mass * temperature / volume; }
    double unburnt() const;
};

// The ignition delay in ms at a pressure (bar) and temperature (K).
double ignition_delay_ms(const FuelConstants& fuel, double pressure, double temperature);

// The chambers as a division starts from the united charge, and the united charge a merge
// makes of them.
void split_charge(const Charge& united, double main_volume, double aux_volume, Charge& main,
                  Charge& aux);
Charge merged_charge(const Charge& a, const Charge& b);

}  // namespace hcci
