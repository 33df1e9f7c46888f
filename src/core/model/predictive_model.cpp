// SPDX-License-Identifier: MIT
#include "core/model/predictive_model.h"

#include <cmath>
#include <vector>

#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"

namespace hcci {
namespace {

constexpr double atmosphere_bar = 1.01325;

using P = EngineParameters;
constexpr std::string_view group = "Fuel and predictive ignition";

const std::array<ParameterInfo, 11> own_parameters{{
    {"equivalence_ratio",
     &P::equivalence_ratio,
     "",
     "fuel to air over the stoichiometric ratio",
     {0.05, true, 1, true},
     group,
     "Equivalence ratio (\u03c6)",
     0.01},
    {"oxygen_percent",
     &P::oxygen_percent,
     "%",
     "oxygen in the charge, by volume",
     {1, true, 21, true},
     group,
     "Oxygen in the charge",
     0.5},
    {"fuel_heating_value",
     &P::fuel_heating_value,
     "MJ/kg",
     "the fuel's lower heating value",
     {0, false, 100, true},
     group,
     "Fuel's lower heating value",
     0.5},
    {"stoichiometric_air_fuel_ratio",
     &P::stoichiometric_air_fuel_ratio,
     "",
     "air to fuel by mass at stoichiometry",
     {1, false, 100, true},
     group,
     "Stoichiometric air-fuel ratio",
     0.1},
    {"ignition_delay_prefactor",
     &P::ignition_delay_prefactor,
     "ms",
     "A of the ignition delay A (p/1 atm)^-np phi^-nphi chi^-nO2 exp(E/(R T))",
     {0, false, 10, true},
     group,
     "Ignition delay: prefactor A",
     0.001},
    {"ignition_delay_pressure_exponent",
     &P::ignition_delay_pressure_exponent,
     "",
     "np of the ignition delay",
     {0, true, 5, true},
     group,
     "Ignition delay: pressure exponent",
     0.01},
    {"ignition_delay_phi_exponent",
     &P::ignition_delay_phi_exponent,
     "",
     "nphi of the ignition delay",
     {0, true, 5, true},
     group,
     "Ignition delay: \u03c6 exponent",
     0.01},
    {"ignition_delay_oxygen_exponent",
     &P::ignition_delay_oxygen_exponent,
     "",
     "nO2 of the ignition delay",
     {0, true, 5, true},
     group,
     "Ignition delay: oxygen exponent",
     0.01},
    {"ignition_activation_energy",
     &P::ignition_activation_energy,
     "cal/mol",
     "E of the ignition delay",
     {0, true, 100000, true},
     group,
     "Ignition delay: activation energy",
     100},
    {"aux_burn_duration",
     &P::aux_burn_duration,
     "degrees",
     "the auxiliary charge's burn from its ignition (Wiebe)",
     {0, false, 180, true},
     group,
     "Auxiliary charge's burn duration",
     0.5},
    {"main_burn_duration",
     &P::main_burn_duration,
     "degrees",
     "the burn of a charge ignited outside the auxiliary chamber (Wiebe)",
     {0, false, 180, true},
     group,
     "Main charge's burn duration",
     0.5},
}};

// Each charge's fuel burned (1 - sum of u) where the charge is present, and the heat released
// so far, J per litre displaced.
const std::array<ChannelInfo, 2> channels{{
    {"burned", "", true, "the charge's fuel burned, 1 - the unburnt share"},
    {"heat_released", "J/L", false, "the heat the fuel has released so far"},
}};

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

class PredictiveModel final : public EngineModel {
public:
    explicit PredictiveModel(const EngineParameters& parameters)
        : geometry_(make_engine_geometry(parameters)), fuel_(make_fuel_constants(parameters)) {
        united_.volume = geometry_.bdc_height;
        united_.temperature = geometry_.start_temperature;
        united_.mass = geometry_.bdc_pressure * geometry_.bdc_height / geometry_.start_temperature;
        united_.has_unignited = true;
        united_.unignited_u = 1;
    }

    void step(const ModelStep& s) override;
    void record(CycleRecord& record, int index) const override;
    bool finite() const override;
    void finish(CycleRecord& record) const override;

private:
    double advance(Charge& c, ChargeName name, double volume, double crank_angle, int step);
    void hand_over();
    double fuel_burned() const;

    EngineGeometry geometry_;
    FuelConstants fuel_;
    Charge united_, main_, aux_;
    bool divided_ = false;
    // As shown after the step: the piston, the united charge (while divided, the chambers
    // merged) and the chambers (while united, the split that a division would start from).
    double piston_pos_ = 0;
    double united_pressure_ = 0, united_temperature_ = 0;
    double main_pressure_ = 0, main_temperature_ = 0, main_volume_ = 0;
    double aux_pressure_ = 0, aux_temperature_ = 0, aux_volume_ = 0;
    // The split a division starts from: the piston where the united charge last stood.
    double main_split_volume_ = 0, aux_split_volume_ = 0, split_piston_pos_ = 0;
    double heat_released_ = 0;
    std::vector<Ignition> ignitions_;
};

// One step of a charge, to the step's volume; returns the heat released, bar x height units.
double PredictiveModel::advance(Charge& c, ChargeName name, double volume, double crank_angle,
                                int step) {
    const EngineGeometry& g = geometry_;
    c.temperature = c.temperature * std::pow(c.volume / volume, g.gamma - 1);
    c.volume = volume;
    if (c.has_unignited && c.unignited_u > 0) {
        c.integral +=
            fuel_.step_seconds / (ignition_delay_ms(fuel_, c.pressure(), c.temperature) / 1000);
        if (c.integral >= 1) {
            const double duration =
                name == ChargeName::aux ? fuel_.aux_burn_duration : fuel_.main_burn_duration;
            add_pool(c, {c.unignited_u, crank_angle, c.unignited_u, duration}, 1);
            ignitions_.push_back({name, step, angle_atdc(crank_angle), c.unignited_u});
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
    const double rise = fuel_.adiabatic_rise * burnt;
    c.temperature += rise;
    return c.mass * rise / (g.gamma - 1);
}

void PredictiveModel::step(const ModelStep& s) {
    const EngineGeometry& g = geometry_;
    const bool divided = is_divided_phase(s.phase);
    piston_pos_ = s.piston_pos;
    // A division starts from the united charge as the step before left it; its end merges.
    if (divided && !divided_) {
        split_charge(united_, main_split_volume_, aux_split_volume_, main_, aux_);
    } else if (!divided && divided_) {
        united_ = merged_charge(main_, aux_);
    }
    divided_ = divided;
    double heat = 0;
    if (divided) {
        const double closer = split_piston_pos_ - piston_pos_;
        main_volume_ = main_split_volume_ - closer * g.main_share;
        aux_volume_ = aux_split_volume_ - closer * (1 - g.main_share);
        heat += advance(main_, ChargeName::main, main_volume_, s.crank_angle, s.index);
        heat += advance(aux_, ChargeName::aux, aux_volume_, s.crank_angle, s.index);
        main_pressure_ = main_.pressure();
        main_temperature_ = main_.temperature;
        aux_pressure_ = aux_.pressure();
        aux_temperature_ = aux_.temperature;
        const Charge merged = merged_charge(main_, aux_);
        united_pressure_ = merged.pressure();
        united_temperature_ = merged.temperature;
    } else {
        heat += advance(united_, ChargeName::united, piston_pos_, s.crank_angle, s.index);
        united_pressure_ = united_.pressure();
        united_temperature_ = united_.temperature;
        hand_over();
    }
    // Energies in bar x height units are J per litre displaced.
    heat_released_ += heat;
}

// The state a division would start from, as the traces and the analysis read it.
void PredictiveModel::hand_over() {
    main_pressure_ = aux_pressure_ = united_pressure_;
    main_temperature_ = aux_temperature_ = united_temperature_;
    main_split_volume_ = main_split_volume(geometry_, piston_pos_);
    aux_split_volume_ = aux_split_volume(geometry_, piston_pos_);
    split_piston_pos_ = piston_pos_;
}

double PredictiveModel::fuel_burned() const {
    if (!divided_) return burned_share(united_);
    const double mass = main_.mass + aux_.mass;
    return 1 - (main_.mass * main_.unburnt() + aux_.mass * aux_.unburnt()) / mass;
}

void PredictiveModel::record(CycleRecord& record, int index) const {
    const auto i = static_cast<std::size_t>(index);
    const auto put = [&](ChargeName name, double p, double t, double v) {
        ChargeRecord& c = record.charges[static_cast<std::size_t>(name)];
        c.pressure[i] = p;
        c.temperature[i] = t;
        c.volume[i] = v;
    };
    put(ChargeName::united, united_pressure_, united_temperature_, piston_pos_);
    put(ChargeName::main, main_pressure_, main_temperature_,
        divided_ ? main_volume_ : main_split_volume_);
    put(ChargeName::aux, aux_pressure_, aux_temperature_,
        divided_ ? aux_volume_ : aux_split_volume_);
    // The channels in the entry's order: united, main and aux burned, then the heat released.
    const double absent = std::nan("");
    record.channels[0].values[i] = divided_ ? absent : burned_share(united_);
    record.channels[1].values[i] = divided_ ? burned_share(main_) : absent;
    record.channels[2].values[i] = divided_ ? burned_share(aux_) : absent;
    record.channels[3].values[i] = heat_released_;
}

bool PredictiveModel::finite() const {
    for (const double value :
         {piston_pos_, united_pressure_, united_temperature_, main_pressure_, main_temperature_,
          main_volume_, aux_pressure_, aux_temperature_, aux_volume_}) {
        if (!std::isfinite(value)) return false;
    }
    for (const Charge* c : {&united_, &main_, &aux_}) {
        if (!std::isfinite(c->mass) || !std::isfinite(c->temperature) ||
            !std::isfinite(c->integral) || !std::isfinite(c->unburnt())) {
            return false;
        }
    }
    return std::isfinite(heat_released_);
}

void PredictiveModel::finish(CycleRecord& record) const {
    record.ignitions = ignitions_;
    record.fuel = FuelTotals{heat_released_, fuel_burned()};
}

}  // namespace

FuelConstants make_fuel_constants(const EngineParameters& p) {
    FuelConstants f;
    f.delay_prefactor_ms = p.ignition_delay_prefactor *
                           std::pow(p.equivalence_ratio, -p.ignition_delay_phi_exponent) *
                           std::pow(p.oxygen_percent, -p.ignition_delay_oxygen_exponent);
    f.pressure_exponent = p.ignition_delay_pressure_exponent;
    f.activation_temperature = p.ignition_activation_energy / 1.987;
    const double fuel_fraction =
        p.equivalence_ratio / (p.equivalence_ratio + p.stoichiometric_air_fuel_ratio);
    const double cv = 287 / (p.gamma - 1);  // J/(kg K)
    f.adiabatic_rise = fuel_fraction * (p.fuel_heating_value * 1e6) / cv;
    f.step_seconds = angle_step / (6 * p.engine_speed);
    f.aux_burn_duration = p.aux_burn_duration;
    f.main_burn_duration = p.main_burn_duration;
    return f;
}

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

const EngineModelEntry& predictive_engine_model() {
    static const EngineModelEntry entry{
        .name = "predictive",
        .summary = "both ignitions follow from the charge's own state",
        .parameters = own_parameters,
        .orders = {},
        .defaults = {},
        .channels = channels,
        .make = [](const EngineParameters& p) -> std::unique_ptr<EngineModel> {
            return std::make_unique<PredictiveModel>(p);
        },
    };
    return entry;
}

}  // namespace hcci
