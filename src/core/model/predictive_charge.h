// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <vector>

#include "core/model/gas_properties.h"

// A charge of the predictive model: the united charge, or one chamber while divided. It has a
// volume V (height units over the whole piston area), a mass m = p V / T (bar x height units per
// K), its mean temperature T, which carries its energy, and the temperature of its unburned gas
// T_u, which decides ignition. Its fuel is shared out in u, the unburnt share of the fuel that a
// unit of charge mass held at bottom dead centre: the unignited fuel in zones of the unburned
// gas's spread of temperature, each with its Livengood-Wu integral, and the ignited fuel in
// pools, each burning from the step it ignited on.

namespace hcci {

inline constexpr int most_zones = 50;

struct IgnitionZone {
    double fuel = 0;      // unignited u; 0 once ignited
    double integral = 0;  // Livengood-Wu
};

struct IgnitedPool {
    double u = 0;  // unburnt
    double u_at_ignition = 0;
    int ignition_step = 0;
    double ignition_angle = 0;  // crank degrees
    double duration = 0;        // degrees of a burn in crank angle; 0 for a burn in time
    bool burnt_out = false;     // nothing left, for ever after
};

struct Charge {
    double volume = 0, mass = 0, temperature = 0;
    double unburned_temperature = 0;
    int zone_count = 0;
    std::array<IgnitionZone, most_zones> zones{};
    std::vector<IgnitedPool> pools;  // in the order they ignited, or were merged in

    double pressure() const { return mass * temperature / volume; }
    double unignited() const;
    double unburnt() const;
};

// The charge at bottom dead centre, its fuel in `zones` equal zones.
Charge fresh_charge(double volume, double pressure, double temperature, int zones);

// The chambers as a division starts from the united charge: split by volume at its
// temperatures, each with a copy of its fuel.
void split_charge(const Charge& united, double main_volume, double aux_volume, Charge& main,
                  Charge& aux);

// The temperature of two charges merged, conserving their energy: m u(T) = m_a u(T_a) +
// m_b u(T_b); with constant properties the mass-weighted mean.
double merged_temperature(const Charge& a, const Charge& b, const GasProperties& gas);

// The united charge a merge makes: mass, energy and fuel conserved; zones of the same index
// joined, their integrals weighted by their fuel; pools ignited on the same step (with the same
// duration) joined. With `unburned_apart`, its T_u is each charge's brought adiabatically to the
// merged pressure, weighted by the charge's unburned fuel (m times its unburnt u), or T where
// neither has any; otherwise T_u = T.
Charge merged_charge(const Charge& a, const Charge& b, const GasProperties& gas,
                     bool unburned_apart);

// A pool the charge keeps, joined with one that ignited with it; weight scales its fuel.
void add_pool(Charge& charge, const IgnitedPool& pool, double weight);

}  // namespace hcci
