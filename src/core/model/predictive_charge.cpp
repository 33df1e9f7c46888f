// SPDX-License-Identifier: MIT
#include "core/model/predictive_charge.h"

#include <cmath>

namespace hcci {

double Charge::unignited() const {
    double u = 0;
    for (int k = 0; k < zone_count; ++k) u += zones[static_cast<std::size_t>(k)].fuel;
    return u;
}

double Charge::unburnt() const {
    double u = unignited();
    for (const IgnitedPool& pool : pools) u += pool.u;
    return u;
}

Charge fresh_charge(double volume, double pressure, double temperature, int zones) {
    Charge c;
    c.volume = volume;
    c.temperature = temperature;
    c.unburned_temperature = temperature;
    c.mass = pressure * volume / temperature;
    c.zone_count = zones;
    for (int k = 0; k < zones; ++k) c.zones[static_cast<std::size_t>(k)].fuel = 1.0 / zones;
    return c;
}

void split_charge(const Charge& united, double main_volume, double aux_volume, Charge& main,
                  Charge& aux) {
    for (auto [part, volume] : {std::pair{&main, main_volume}, std::pair{&aux, aux_volume}}) {
        *part = united;
        part->volume = volume;
        part->mass = united.mass * volume / united.volume;
    }
}

double merged_temperature(const Charge& a, const Charge& b, const GasProperties& gas) {
    const double mass = a.mass + b.mass;
    if (!gas.variable) return (a.mass * a.temperature + b.mass * b.temperature) / mass;
    const double energy = (a.mass * internal_energy(gas, a.temperature) +
                           b.mass * internal_energy(gas, b.temperature)) /
                          mass;
    return temperature_of_energy(gas, energy);
}

void add_pool(Charge& charge, const IgnitedPool& pool, double weight) {
    for (IgnitedPool& same : charge.pools) {
        if (same.ignition_step == pool.ignition_step && same.duration == pool.duration) {
            same.u += weight * pool.u;
            same.u_at_ignition += weight * pool.u_at_ignition;
            same.burnt_out = same.burnt_out && pool.burnt_out;
            return;
        }
    }
    IgnitedPool added = pool;
    added.u = weight * pool.u;
    added.u_at_ignition = weight * pool.u_at_ignition;
    charge.pools.push_back(added);
}

namespace {

// The charge's unburned gas brought adiabatically to a pressure.
double unburned_at(const Charge& c, const GasProperties& gas, double pressure) {
    const double g = gamma_less_one(gas, c.unburned_temperature);
    return c.unburned_temperature * std::pow(pressure / c.pressure(), g / (1 + g));
}

}  // namespace

Charge merged_charge(const Charge& a, const Charge& b, const GasProperties& gas,
                     bool unburned_apart) {
    Charge m;
    m.volume = a.volume + b.volume;
    m.mass = a.mass + b.mass;
    m.temperature = merged_temperature(a, b, gas);
    m.unburned_temperature = m.temperature;
    if (unburned_apart) {
        const double pressure = m.pressure();
        const double wa = a.mass * a.unburnt(), wb = b.mass * b.unburnt();
        if (wa + wb > 0) {
            m.unburned_temperature =
                (wa * unburned_at(a, gas, pressure) + wb * unburned_at(b, gas, pressure)) /
                (wa + wb);
        }
    }
    const double wa = a.mass / m.mass;
    const double wb = b.mass / m.mass;
    m.zone_count = a.zone_count;
    for (std::size_t k = 0; k < static_cast<std::size_t>(m.zone_count); ++k) {
        const double ua = wa * a.zones[k].fuel;
        const double ub = wb * b.zones[k].fuel;
        m.zones[k].fuel = ua + ub;
        m.zones[k].integral =
            m.zones[k].fuel > 0
                ? (ua * a.zones[k].integral + ub * b.zones[k].integral) / m.zones[k].fuel
                : 0;
    }
    m.pools.reserve(a.pools.size() + b.pools.size());
    for (auto [charge, weight] : {std::pair{&a, wa}, std::pair{&b, wb}}) {
        for (const IgnitedPool& pool : charge->pools) add_pool(m, pool, weight);
    }
    return m;
}

}  // namespace hcci
