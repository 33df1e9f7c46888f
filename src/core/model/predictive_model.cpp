// SPDX-License-Identifier: MIT
#include "core/model/predictive_model.h"

#include <cmath>
#include <vector>

#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"
#include "core/model/ignition_zones.h"
#include "core/model/predictive_parameters.h"

namespace hcci {
namespace {

constexpr double atmosphere_bar = 1.01325;

// Each charge's fuel burned and unburned gas's temperature where the charge is present, and the
// heat released and lost so far, J per litre displaced.
const std::array<ChannelInfo, 4> channels{{
    {"burned", "", true, "the charge's fuel burned, 1 - the unburnt share"},
    {"unburned_temperature", "K", true,
     "the temperature of the charge's unburned gas, which decides its ignition"},
    {"heat_released", "J/L", false, "the heat the fuel has released so far"},
    {"heat_lost", "J/L", false, "the heat lost to the walls so far"},
}};
// The record's columns of those: a per-charge channel's three charges, then the whole's.
constexpr std::size_t burned_column = 0;
constexpr std::size_t unburned_column = 3;
constexpr std::size_t released_column = 6;
constexpr std::size_t lost_column = 7;

// The charges run hotter than the original engine's: its own start temperature, so that its
// default engine fires (it does from about 377.5 K).
const std::array<ParameterDefault, 1> own_defaults{{{&EngineParameters::start_temperature, 400}}};

std::size_t index_of(ChargeName name) {
    return static_cast<std::size_t>(name);
}

// Nothing burned before a pool ignites: exactly 0, though the zones' fuel may not sum to 1 exactly.
double burned_share(const Charge& charge) {
    return charge.pools.empty() ? 0 : 1 - charge.unburnt();
}

// T_u follows T through compression and heat loss: T_u <- T_u T_new / T, kept equal to T where
// it was.
void move_temperature(Charge& c, double temperature) {
    c.unburned_temperature = temperature * (c.unburned_temperature / c.temperature);
    c.temperature = temperature;
}

class PredictiveModel final : public EngineModel {
public:
    explicit PredictiveModel(const EngineParameters& parameters);

    void step(const ModelStep& s) override;
    void record(CycleRecord& record, int index) const override;
    bool finite() const override;
    void finish(CycleRecord& record) const override;

private:
    // One step of a charge, to the step's volume; the heat its fuel released, J/L.
    double advance(Charge& c, ChargeName name, double volume, double crank_angle, int step);
    void ignite(Charge& c, ChargeName name, double crank_angle, int step);
    // The share of fuel the charge's pools burn over the step.
    double burn(Charge& c, double crank_angle, int step) const;
    void hand_over();
    double fuel_burned() const;
    // m u(T) of the charges present, J/L.
    double internal_energy_now() const;

    EngineGeometry geometry_;
    FuelConstants fuel_;
    GasProperties gas_;
    EngineSize size_;
    bool heat_transfer_ = false;
    std::array<WallLoss, 3> walls_{};      // united, main, aux
    std::array<double, 3> mass_factor_{};  // each charge's m^-0.2, for its heat loss
    Charge united_, main_, aux_;
    bool divided_ = false;
    bool any_ignited_ = false;  // until a zone of the engine ignites, T_u = T everywhere
    bool divided_before_ = false;
    // As shown after the step: the piston, the united charge (while divided, the chambers
    // merged) and the chambers (while united, the split that a division would start from).
    double piston_pos_ = 0;
    double united_pressure_ = 0, united_temperature_ = 0;
    double main_pressure_ = 0, main_temperature_ = 0, main_volume_ = 0;
    double aux_pressure_ = 0, aux_temperature_ = 0, aux_volume_ = 0;
    // The split a division starts from: the piston where the united charge last stood.
    double main_split_volume_ = 0, aux_split_volume_ = 0, split_piston_pos_ = 0;
    double heat_released_ = 0, heat_lost_ = 0, work_ = 0;
    double fuel_energy_ = 0, energy_start_ = 0;
    std::array<ChargeEnergy, 3> books_{};
    std::array<double, 3> burned_{};  // each present charge's fuel burned, after the step
    std::vector<Ignition> ignitions_;
};

PredictiveModel::PredictiveModel(const EngineParameters& parameters)
    : geometry_(make_engine_geometry(parameters)),
      fuel_(make_fuel_constants(parameters)),
      gas_(make_gas(parameters)),
      size_(make_engine_size(parameters.bore_mm, parameters.stroke_mm, parameters.engine_speed)),
      heat_transfer_(parameters.heat_transfer == "woschni") {
    const double wall = parameters.wall_temperature;
    const double dt = fuel_.step_seconds;
    walls_[index_of(ChargeName::united)] = make_wall_loss(size_, united_footing(size_), wall, dt);
    walls_[index_of(ChargeName::main)] =
        make_wall_loss(size_, main_footing(size_, geometry_.main_share), wall, dt);
    walls_[index_of(ChargeName::aux)] =
        make_wall_loss(size_, aux_footing(size_, geometry_.main_share), wall, dt);
    united_ =
        fresh_charge(geometry_.bdc_height, geometry_.bdc_pressure, geometry_.start_temperature,
                     static_cast<int>(fuel_.zone_factors.size()));
    mass_factor_[index_of(ChargeName::united)] = std::pow(united_.mass, -0.2);
    fuel_energy_ = united_.mass / gas_constant * fuel_.fuel_energy;
    books_[index_of(ChargeName::united)].supplied = fuel_energy_;
    energy_start_ = internal_energy_now();
}

double PredictiveModel::advance(Charge& c, ChargeName name, double volume, double crank_angle,
                                int step) {
    ChargeEnergy& books = books_[index_of(name)];
    // Compression, its work booked so that the energy balance closes exactly.
    const double before = c.temperature;
    const double after = compressed(gas_, before, c.volume / volume);
    work_ -= c.mass / gas_constant * energy_change(gas_, before, after);
    move_temperature(c, after);
    c.volume = volume;
    if (heat_transfer_) {
        const double q =
            walls_[index_of(name)].per_kg(mass_factor_[index_of(name)], c.volume, c.temperature);
        const double lost = c.mass * q / gas_constant;
        books.lost += lost;
        heat_lost_ += lost;
        move_temperature(c, temperature_after(gas_, c.temperature, -q));
    }
    ignite(c, name, crank_angle, step);
    const double burnt = burn(c, crank_angle, step);
    const double unburned_before = c.unburned_temperature;
    const double mean_before = c.temperature;
    double heat = 0;
    if (gas_.variable) {
        const double q = burnt * fuel_.fuel_energy;
        c.temperature = temperature_after(gas_, c.temperature, q);
        heat = c.mass * q / gas_constant;
    } else {
        const double rise = fuel_.adiabatic_rise * burnt;
        c.temperature += rise;
        heat = c.mass * rise / (gas_.gamma - 1);
    }
    // The unburned gas is compressed by the pressure the burn adds, at constant volume p ~ T.
    if (burnt > 0) {
        const double g = gamma_less_one(gas_, unburned_before);
        c.unburned_temperature =
            unburned_before * std::pow(c.temperature / mean_before, g / (1 + g));
    }
    c.unburned_temperature =
        fuel_.mixing_at_once
            ? c.temperature
            : c.temperature - (c.temperature - c.unburned_temperature) * fuel_.mixing;
    books.released += heat;
    return heat;
}

void PredictiveModel::ignite(Charge& c, ChargeName name, double crank_angle, int step) {
    double fuel = 0;
    int zones = 0;
    double pressure_part = -1;  // computed once, where a zone is left
    for (std::size_t k = 0; k < static_cast<std::size_t>(c.zone_count); ++k) {
        IgnitionZone& zone = c.zones[k];
        if (!(zone.fuel > 0)) continue;
        if (pressure_part < 0) {
            pressure_part = fuel_.delay_prefactor_ms *
                            std::pow(c.pressure() / atmosphere_bar, -fuel_.pressure_exponent);
        }
        const double temperature = c.unburned_temperature * fuel_.zone_factors[k];
        const double delay_ms =
            pressure_part * std::exp(fuel_.activation_temperature / temperature);
        zone.integral += fuel_.step_seconds / (delay_ms / 1000);
        if (zone.integral >= 1) {
            fuel += zone.fuel;
            zone.fuel = 0;
            ++zones;
        }
    }
    if (zones == 0) return;
    const double duration = fuel_.burn_in_time        ? 0
                            : name == ChargeName::aux ? fuel_.aux_burn_duration
                                                      : fuel_.main_burn_duration;
    add_pool(c, {fuel, fuel, step, crank_angle, duration, false}, 1);
    ignitions_.push_back({name, step, angle_atdc(crank_angle), fuel, zones});
    any_ignited_ = true;
}

double PredictiveModel::burn(Charge& c, double crank_angle, int step) const {
    double burnt = 0;
    for (IgnitedPool& pool : c.pools) {
        if (pool.burnt_out) continue;
        const double progress =
            fuel_.burn_in_time
                ? (step - pool.ignition_step) * (fuel_.step_seconds * 1000 / fuel_.zone_burn_ms)
                : (crank_angle - pool.ignition_angle) / pool.duration;
        const double x = 1 - std::exp(-5 * (progress * progress * progress));
        const double u = pool.u_at_ignition * (1 - x);
        burnt += pool.u - u;
        pool.u = u;
        pool.burnt_out = x == 1;  // and so it stays: nothing more burns
    }
    return burnt;
}

void PredictiveModel::step(const ModelStep& s) {
    const EngineGeometry& g = geometry_;
    const bool divided = is_divided_phase(s.phase);
    piston_pos_ = s.piston_pos;
    // A division starts from the united charge as the step before left it; its end merges.
    if (divided && !divided_) {
        split_charge(united_, main_split_volume_, aux_split_volume_, main_, aux_);
        mass_factor_[index_of(ChargeName::main)] = std::pow(main_.mass, -0.2);
        mass_factor_[index_of(ChargeName::aux)] = std::pow(aux_.mass, -0.2);
        if (!divided_before_) {
            books_[index_of(ChargeName::main)].supplied =
                fuel_energy_ * (main_.mass / united_.mass);
            books_[index_of(ChargeName::aux)].supplied = fuel_energy_ * (aux_.mass / united_.mass);
            divided_before_ = true;
        }
    } else if (!divided && divided_) {
        united_ = merged_charge(main_, aux_, gas_, any_ignited_ && !fuel_.mixing_at_once);
        mass_factor_[index_of(ChargeName::united)] = std::pow(united_.mass, -0.2);
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
        united_temperature_ = merged_temperature(main_, aux_, gas_);
        united_pressure_ =
            (main_.mass + aux_.mass) * united_temperature_ / (main_.volume + aux_.volume);
        burned_[index_of(ChargeName::main)] = burned_share(main_);
        burned_[index_of(ChargeName::aux)] = burned_share(aux_);
    } else {
        heat += advance(united_, ChargeName::united, piston_pos_, s.crank_angle, s.index);
        united_pressure_ = united_.pressure();
        united_temperature_ = united_.temperature;
        burned_[index_of(ChargeName::united)] = burned_share(united_);
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

double PredictiveModel::internal_energy_now() const {
    const auto of = [this](const Charge& c) {
        return c.mass / gas_constant * internal_energy(gas_, c.temperature);
    };
    return divided_ ? of(main_) + of(aux_) : of(united_);
}

void PredictiveModel::record(CycleRecord& record, int index) const {
    const auto i = static_cast<std::size_t>(index);
    const auto put = [&](ChargeName name, double p, double t, double v) {
        ChargeRecord& c = record.charges[index_of(name)];
        c.pressure[i] = p;
        c.temperature[i] = t;
        c.volume[i] = v;
    };
    put(ChargeName::united, united_pressure_, united_temperature_, piston_pos_);
    put(ChargeName::main, main_pressure_, main_temperature_,
        divided_ ? main_volume_ : main_split_volume_);
    put(ChargeName::aux, aux_pressure_, aux_temperature_,
        divided_ ? aux_volume_ : aux_split_volume_);
    const double absent = std::nan("");
    const std::array<const Charge*, 3> present{
        divided_ ? nullptr : &united_, divided_ ? &main_ : nullptr, divided_ ? &aux_ : nullptr};
    for (std::size_t c = 0; c < present.size(); ++c) {
        const Charge* charge = present[c];
        record.channels[burned_column + c].values[i] = charge != nullptr ? burned_[c] : absent;
        record.channels[unburned_column + c].values[i] =
            charge != nullptr ? charge->unburned_temperature : absent;
    }
    record.channels[released_column].values[i] = heat_released_;
    record.channels[lost_column].values[i] = heat_lost_;
}

bool PredictiveModel::finite() const {
    for (const double value : {piston_pos_, united_pressure_, united_temperature_, main_pressure_,
                               main_temperature_, main_volume_, aux_pressure_, aux_temperature_,
                               aux_volume_, heat_released_, heat_lost_, work_}) {
        if (!std::isfinite(value)) return false;
    }
    for (const Charge* c : {&united_, &main_, &aux_}) {
        if (!std::isfinite(c->mass) || !std::isfinite(c->temperature) ||
            !std::isfinite(c->unburned_temperature)) {
            return false;
        }
    }
    // The fuel of the charges present; a zone's integral only ever grows by finite amounts of
    // finite states.
    for (const double burned : burned_) {
        if (!std::isfinite(burned)) return false;
    }
    return true;
}

void PredictiveModel::finish(CycleRecord& record) const {
    record.ignitions = ignitions_;
    FuelTotals totals;
    totals.heat_released = heat_released_;
    totals.fuel_burned = fuel_burned();
    totals.fuel_energy = fuel_energy_;
    totals.heat_lost = heat_lost_;
    totals.charges = books_;
    totals.work = work_;
    totals.internal_energy_start = energy_start_;
    totals.internal_energy_end = internal_energy_now();
    totals.displacement_l = size_.displacement_l;
    record.fuel = totals;
    record.chamber_peaks_in_first_division = true;
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
    const double cv = gas_constant / (p.gamma - 1);  // J/(kg K)
    f.fuel_energy = fuel_fraction * (p.fuel_heating_value * 1e6);
    f.adiabatic_rise = fuel_fraction * (p.fuel_heating_value * 1e6) / cv;
    f.step_seconds = angle_step / (6 * p.engine_speed);
    f.aux_burn_duration = p.aux_burn_duration;
    f.main_burn_duration = p.main_burn_duration;
    f.burn_in_time = p.burn == "time";
    f.zone_burn_ms = p.zone_burn_ms;
    f.mixing_at_once = !(p.merge_mixing_ms > 0);
    f.mixing = f.mixing_at_once ? 0 : std::exp(-f.step_seconds * 1000 / p.merge_mixing_ms);
    for (const double z : zone_quantiles(static_cast<int>(p.ignition_zones))) {
        f.zone_factors.push_back(1 + p.thermal_stratification * z);
    }
    return f;
}

GasProperties make_gas(const EngineParameters& p) {
    return p.properties == "variable" ? variable_gas() : constant_gas(p.gamma);
}

double ignition_delay_ms(const FuelConstants& fuel, double pressure, double temperature) {
    return fuel.delay_prefactor_ms * std::pow(pressure / atmosphere_bar, -fuel.pressure_exponent) *
           std::exp(fuel.activation_temperature / temperature);
}

const EngineModelEntry& predictive_engine_model() {
    static const EngineModelEntry entry{
        .name = "predictive",
        .summary = "both ignitions follow from the charge's own state",
        .parameters = predictive_parameters(),
        .choices = predictive_choices(),
        .orders = {},
        .defaults = own_defaults,
        .channels = channels,
        .books_fuel = true,
        .make = [](const EngineParameters& p) -> std::unique_ptr<EngineModel> {
            return std::make_unique<PredictiveModel>(p);
        },
    };
    return entry;
}

}  // namespace hcci
