// SPDX-License-Identifier: MIT
#include "core/model/predictive_model.h"

#include <cmath>

#include "core/model/sweep.h"

namespace hcci {
namespace {

constexpr double atmosphere_bar = 1.01325;

double burned_share(const Charge& charge) {
    return 1 - charge.unburnt();
}

// A pool that the charge keeps, joined with one that ignited with it.
void add_pool(Charge& charge, const IgnitedPool& pool, double weight) {
    for (int i = 0; i < charge.ignited_count; ++i) {
        IgnitedPool& same = charge.ignited[static_cast<std::size_t>(i)];
        if (same.ignition_angle == pool.ignition_angle && same.duration == pool.duration) {
            same.u += weight * pool.u;
            same.u_at_ignition += weight * pool.u_at_ignition;
            return;
        }
    }
    if (charge.ignited_count == static_cast<int>(charge.ignited.size())) {
        // No sweep makes this many; should one, the latest-ignited pool takes the rest.
        IgnitedPool& last = charge.ignited.back();
        last.u += weight * pool.u;
        last.u_at_ignition += weight * pool.u_at_ignition;
        return;
    }
    charge.ignited[static_cast<std::size_t>(charge.ignited_count++)] = {
        weight * pool.u, pool.ignition_angle, weight * pool.u_at_ignition, pool.duration};
}

// One step of a charge, to the step's volume; returns the heat released, bar x height units.
double advance(Charge& c, ChargeName name, double volume, double crank_angle, int step,
               const EngineGeometry& g, FuelReadings& readings) {
    c.temperature = c.temperature * std::pow(c.volume / volume, g.gamma - 1);
    c.volume = volume;
    const FuelConstants& fuel = g.fuel;
    if (c.has_unignited && c.unignited_u > 0) {
        c.integral +=
            fuel.step_seconds / (ignition_delay_ms(fuel, c.pressure(), c.temperature) / 1000);
        if (c.integral >= 1) {
            const double duration =
                name == ChargeName::aux ? fuel.aux_burn_duration : fuel.main_burn_duration;
            add_pool(c, {c.unignited_u, crank_angle, c.unignited_u, duration}, 1);
            readings.ignitions.push_back({name, step, angle_atdc(crank_angle), c.unignited_u});
            c.has_unignited = false;
            c.unignited_u = 0;
        }
    }
    double burnt = 0;
    for (int i = 0; i < c.ignited_count; ++i) {
        IgnitedPool& pool = c.ignited[static_cast<std::size_t>(i)];
        const double progress = (crank_angle - pool.ignition_angle) / pool.duration;
        const double x = 1 - std::exp(-5 * (progress * progress * progress));
        const double u = pool.u_at_ignition * (1 - x);
        burnt += pool.u - u;
        pool.u = u;
    }
    const double rise = fuel.adiabatic_rise * burnt;
    c.temperature += rise;
    return c.mass * rise / (g.gamma - 1);
}

// The shown record of the united charge at this step.
void show_united(CombustionModel& m, const Charge& united) {
    m.united_pressure = united.pressure();
    m.united_temperature = united.temperature;
}

void show_readings(PredictiveModel& model, bool divided) {
    FuelReadings& r = model.readings;
    if (divided) {
        r.main_burned = burned_share(model.main);
        r.aux_burned = burned_share(model.aux);
        r.united_burned = std::nan("");
        const double mass = model.main.mass + model.aux.mass;
        r.fuel_burned =
            1 -
            (model.main.mass * model.main.unburnt() + model.aux.mass * model.aux.unburnt()) / mass;
    } else {
        r.united_burned = burned_share(model.united);
        r.main_burned = r.aux_burned = std::nan("");
        r.fuel_burned = r.united_burned;
    }
}

}  // namespace

double Charge::unburnt() const {
    double u = has_unignited ? unignited_u : 0;
    for (int i = 0; i < ignited_count; ++i) u += ignited[static_cast<std::size_t>(i)].u;
    return u;
}

double ignition_delay_ms(const FuelConstants& fuel, double pressure, double temperature) {
    return fuel.delay_prefactor_ms * std::pow(pressure / atmosphere_bar, -fuel.pressure_exponent) *
           std::exp(fuel.activation_temperature / temperature);
}

void split_charge(const Charge& united, double main_volume, double aux_volume, Charge& main,
                  Charge& aux) {
    for (auto [part, volume] : {std::pair{&main, main_volume}, std::pair{&aux, aux_volume}}) {
        *part = united;
        part->volume = volume;
        part->mass = united.mass * volume / united.volume;
    }
}

Charge merged_charge(const Charge& a, const Charge& b) {
    Charge m;
    m.volume = a.volume + b.volume;
    m.mass = a.mass + b.mass;
    m.temperature = (a.mass * a.temperature + b.mass * b.temperature) / m.mass;
    const double wa = a.mass / m.mass;
    const double wb = b.mass / m.mass;
    m.has_unignited = a.has_unignited || b.has_unignited;
    if (m.has_unignited) {
        const double ua = a.has_unignited ? wa * a.unignited_u : 0;
        const double ub = b.has_unignited ? wb * b.unignited_u : 0;
        m.unignited_u = ua + ub;
        m.integral = m.unignited_u > 0 ? (ua * a.integral + ub * b.integral) / m.unignited_u : 0;
    }
    for (auto [charge, weight] : {std::pair{&a, wa}, std::pair{&b, wb}}) {
        for (int i = 0; i < charge->ignited_count; ++i) {
            add_pool(m, charge->ignited[static_cast<std::size_t>(i)], weight);
        }
    }
    return m;
}

void reset(PredictiveModel& model, const EngineGeometry& g) {
    model = PredictiveModel{};
    reset_model(model.state, g);
    Charge& united = model.united;
    united.volume = g.bdc_height;
    united.temperature = g.start_temperature;
    united.mass = g.bdc_pressure * g.bdc_height / g.start_temperature;
    united.has_unignited = true;
    united.unignited_u = 1;
}

int update(PredictiveModel& model, const EngineGeometry& g, double crank_angle,
           const CrankPosition& crank) {
    CombustionModel& m = model.state;
    const int phase = phase_of(g, crank_angle);
    const bool divided = is_divided_phase(phase);
    ++model.step;
    m.prev_piston_pos = m.piston_pos;
    if (divided) {
        m.prev_main_pressure = m.main_pressure;
        m.prev_aux_pressure = m.aux_pressure;
        m.prev_main_temperature = m.main_temperature;
        m.prev_aux_temperature = m.aux_temperature;
    } else {
        m.prev_united_pressure = m.united_pressure;
        m.prev_united_temperature = m.united_temperature;
    }
    m.piston_pos = piston_position(g, crank);
    // A division starts from the united charge as the step before left it; its end merges.
    if (divided && !model.divided) {
        split_charge(model.united, m.main_split_volume, m.aux_split_volume, model.main, model.aux);
    } else if (!divided && model.divided) {
        model.united = merged_charge(model.main, model.aux);
    }
    model.divided = divided;
    FuelReadings& r = model.readings;
    double heat = 0;
    if (divided) {
        const double closer = m.split_piston_pos - m.piston_pos;
        m.main_volume = m.main_split_volume - closer * g.main_share;
        m.aux_volume = m.aux_split_volume - closer * (1 - g.main_share);
        heat += advance(model.main, ChargeName::main, m.main_volume, crank_angle, model.step, g, r);
        heat += advance(model.aux, ChargeName::aux, m.aux_volume, crank_angle, model.step, g, r);
        m.main_pressure = model.main.pressure();
        m.main_temperature = model.main.temperature;
        m.aux_pressure = model.aux.pressure();
        m.aux_temperature = model.aux.temperature;
        show_united(m, merged_charge(model.main, model.aux));
    } else {
        heat +=
            advance(model.united, ChargeName::united, m.piston_pos, crank_angle, model.step, g, r);
        show_united(m, model.united);
    }
    // Energies in bar x height units are J per litre displaced.
    r.heat_released += heat;
    show_readings(model, divided);
    return phase;
}

void hand_over(PredictiveModel& model, const EngineGeometry& g, int phase) {
    CombustionModel& m = model.state;
    if (is_divided_phase(phase)) {
        m.merged_temperature = m.united_temperature;
        m.merged_pressure = m.united_pressure;
        m.merge_piston_pos = m.piston_pos;
        return;
    }
    // The state a division would start from, as the traces and the analysis read it.
    m.main_pressure = m.aux_pressure = m.united_pressure;
    m.main_temperature = m.aux_temperature = m.united_temperature;
    m.main_split_pressure = m.aux_split_pressure = m.united_pressure;
    m.main_split_temperature = m.aux_split_temperature = m.united_temperature;
    m.main_split_volume = g.main_clearance + (m.piston_pos - g.total_clearance) * g.main_share;
    m.aux_split_volume = g.aux_clearance + (m.piston_pos - g.total_clearance) * (1 - g.main_share);
    m.split_piston_pos = m.piston_pos;
}

bool is_finite(const PredictiveModel& model) {
    if (!state_is_finite(model.state)) return false;
    for (const Charge* c : {&model.united, &model.main, &model.aux}) {
        if (!std::isfinite(c->mass) || !std::isfinite(c->temperature) ||
            !std::isfinite(c->integral) || !std::isfinite(c->unburnt())) {
            return false;
        }
    }
    return std::isfinite(model.readings.heat_released);
}

}  // namespace hcci
