// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"

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
// The scheduled ignition parameters play no part here. Its state is shown as the original
// model's record, so that the traces, the CSV and the analysis read it alike.

namespace hcci {

enum class ChargeName { united, main, aux };

// A charge catching fire: where, when and with how much of its fuel unburnt.
struct Ignition {
    ChargeName charge;
    int step;
    double angle_atdc;
    double share_of_fuel;
};

// What a model with fuel says besides the record: each charge's fuel burned (1 - sum of u),
// not defined where the charge is not present, and the heat released so far, J per litre
// displaced.
struct FuelReadings {
    double united_burned = 0, main_burned = 0, aux_burned = 0;
    double heat_released = 0;
    double fuel_burned = 0;  // over the whole charge, by mass
    std::vector<Ignition> ignitions;
};

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

struct PredictiveModel {
    CombustionModel state;  // as shown
    Charge united, main, aux;
    bool divided = false;
    int step = -1;
    FuelReadings readings;
};

void reset(PredictiveModel& model, const EngineGeometry& geometry);
int update(PredictiveModel& model, const EngineGeometry& geometry, double crank_angle,
           const CrankPosition& crank);
void hand_over(PredictiveModel& model, const EngineGeometry& geometry, int phase);
inline const CombustionModel& shown_state(const PredictiveModel& model) {
    return model.state;
}
inline const FuelReadings* fuel_readings(const PredictiveModel& model) {
    return &model.readings;
}
bool is_finite(const PredictiveModel& model);

// The ignition delay in ms at a pressure (bar) and temperature (K).
double ignition_delay_ms(const FuelConstants& fuel, double pressure, double temperature);

// The chambers as a division starts from the united charge, and the united charge a merge
// makes of them.
void split_charge(const Charge& united, double main_volume, double aux_volume, Charge& main,
                  Charge& aux);
Charge merged_charge(const Charge& a, const Charge& b);

}  // namespace hcci
