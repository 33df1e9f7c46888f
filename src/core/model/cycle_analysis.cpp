// SPDX-License-Identifier: MIT
#include "core/model/cycle_analysis.h"

#include <cmath>

namespace hcci {
namespace {

void take_peak(Peak& peak, double value, int step, double crank_angle) {
    if (value > peak.value) peak = {value, step, angle_atdc(crank_angle)};
}

// The running heat release at each step, for the phasing angles.
// The model's own books of its fuel, and what follows from them.
void take_fuel(CycleAnalysis& a, const FuelTotals& books, const std::vector<Ignition>& ignitions) {
    FuelFigures& f = a.fuel;
    f.present = true;
    f.ignitions = ignitions;
    f.heat_released = books.heat_released;
    f.fuel_burned = books.fuel_burned;
    f.fuel_energy = books.fuel_energy;
    f.heat_lost = books.heat_lost;
    f.charges = books.charges;
    f.booked_work = books.work;
    f.work_difference = a.work - books.work;
    f.first_law_residual = books.heat_released - books.heat_lost - books.work -
                           (books.internal_energy_end - books.internal_energy_start);
    f.displacement_l = books.displacement_l;
    if (books.fuel_energy > 0) f.combustion_efficiency = books.heat_released / books.fuel_energy;
    f.misfire = !(f.combustion_efficiency >= misfire_combustion_efficiency);
    f.partial_burn = !f.misfire && f.combustion_efficiency < full_burn_combustion_efficiency;
    if (!f.misfire) {
        f.fuel_conversion_efficiency = books.work / books.fuel_energy;
        f.thermal_efficiency = books.work / books.heat_released;
    }
}

// Reads the figures off the record's segments, a step at a time.
class Analyser {
public:
    explicit Analyser(const CycleRecord& record)
        : r_(record), g_(record.geometry), fuel_heat_(record.channel("heat_released")) {
        heat_points_.reserve(record.phase.size());
    }

    void add_step(int step, StepHeat& heat);
    CycleAnalysis result() const;

private:
    struct Segment {
        double pressure_before, pressure_after;
        double volume_before, volume_after;
        double volume_change;
    };
    double value(const std::vector<double>& v, int step) const {
        return v[static_cast<std::size_t>(step)];
    }
    void add_segment(const Segment& segment, double& heat, Peak& rise, int step, double crank_angle,
                     double previous_angle);
    void add_merge(int step);
    // The internal energy sum(p V) / (gamma - 1) of the charges present at the step.
    double internal_energy(int step) const;

    const CycleRecord& r_;
    const EngineGeometry& g_;
    // The fuel's own heat released so far, where the model books it: the phasing reads it.
    const RecordChannel* fuel_heat_;
    CycleAnalysis analysis_;
    int merges_ = 0;
    double work_scale_ = 0;  // the sum of the work's terms without their signs
    std::vector<HeatSegment> heat_points_;
};

double Analyser::internal_energy(int step) const {
    const ChargeRecord& united = r_.charge(ChargeName::united);
    const ChargeRecord& main = r_.charge(ChargeName::main);
    const ChargeRecord& aux = r_.charge(ChargeName::aux);
    const double pv = r_.divided(step) ? value(main.pressure, step) * value(main.volume, step) +
                                             value(aux.pressure, step) * value(aux.volume, step)
                                       : value(united.pressure, step) * value(r_.piston_pos, step);
    return pv / (g_.gamma - 1);
}

void Analyser::add_segment(const Segment& s, double& heat, Peak& rise, int step, double crank_angle,
                           double previous_angle) {
    const double gamma = g_.gamma;
    const double mean_pressure = 0.5 * (s.pressure_before + s.pressure_after);
    const double pressure_change = s.pressure_after - s.pressure_before;
    analysis_.work += mean_pressure * s.volume_change;
    work_scale_ += std::abs(mean_pressure * s.volume_change);
    heat += gamma / (gamma - 1) * mean_pressure * s.volume_change +
            1 / (gamma - 1) * (0.5 * (s.volume_before + s.volume_after)) * pressure_change;
    take_peak(rise, pressure_change / (crank_angle - previous_angle), step, crank_angle);
}

// The first united step after a division starts from the merged charge, which the step before
// holds as its united state.
void Analyser::add_merge(int step) {
    if (merges_ >= static_cast<int>(analysis_.merges.size())) return;
    Merge& merge = analysis_.merges[static_cast<std::size_t>(merges_++)];
    const int before = step - 1;
    merge.step = before;
    merge.angle_deg = angle_atdc(CycleRecord::crank_angle(before));
    merge.main_pressure = value(r_.charge(ChargeName::main).pressure, before);
    merge.aux_pressure = value(r_.charge(ChargeName::aux).pressure, before);
    merge.merged_pressure = value(r_.charge(ChargeName::united).pressure, before);
    merge.main_pressure_change = merge.merged_pressure - merge.main_pressure;
    merge.aux_pressure_change = merge.merged_pressure - merge.aux_pressure;
    // At N rpm a step of angle_step degrees takes angle_step / (6 N / 1000) ms.
    const double step_ms = angle_step / (6 * g_.engine_speed / 1000);
    merge.main_pressure_rate_bar_per_ms = merge.main_pressure_change / step_ms;
    merge.aux_pressure_rate_bar_per_ms = merge.aux_pressure_change / step_ms;
    const double merged_energy =
        merge.merged_pressure * value(r_.piston_pos, before) / (g_.gamma - 1);
    merge.energy_j_per_l = merged_energy - internal_energy(before);
}

void Analyser::add_step(int step, StepHeat& step_heat) {
    const double crank_angle = CycleRecord::crank_angle(step);
    const bool divided = r_.divided(step);
    const auto at = [&](ChargeName charge, const std::vector<double> ChargeRecord::*channel) {
        return value(r_.charge(charge).*channel, step);
    };
    // A model may say that its chambers' own peaks lie in the first division: the second starts
    // from the united charge in expansion.
    const bool chamber_peaks = !r_.chamber_peaks_in_first_division || r_.divisions.empty() ||
                               step <= r_.divisions.front().last_step;
    if (divided && chamber_peaks) {
        take_peak(analysis_.main.peak_pressure, at(ChargeName::main, &ChargeRecord::pressure), step,
                  crank_angle);
        take_peak(analysis_.main.peak_temperature, at(ChargeName::main, &ChargeRecord::temperature),
                  step, crank_angle);
        take_peak(analysis_.aux.peak_pressure, at(ChargeName::aux, &ChargeRecord::pressure), step,
                  crank_angle);
        take_peak(analysis_.aux.peak_temperature, at(ChargeName::aux, &ChargeRecord::temperature),
                  step, crank_angle);
    } else if (!divided) {
        take_peak(analysis_.united.peak_pressure, at(ChargeName::united, &ChargeRecord::pressure),
                  step, crank_angle);
        take_peak(analysis_.united.peak_temperature,
                  at(ChargeName::united, &ChargeRecord::temperature), step, crank_angle);
    }
    const double energy = internal_energy(step);
    if (step == 0) analysis_.energy_start = energy;
    analysis_.energy_end = energy;
    // The first step of a sweep draws no segment.
    step_heat = {};
    if (step == 0) return;
    const int before = step - 1;
    const double previous_angle = CycleRecord::crank_angle(before);
    const double travel = value(r_.piston_pos, step) - value(r_.piston_pos, before);
    const auto segment = [&](ChargeName charge, double volume_change) {
        const ChargeRecord& c = r_.charge(charge);
        return Segment{value(c.pressure, before), value(c.pressure, step), value(c.volume, before),
                       value(c.volume, step), volume_change};
    };
    if (divided) {
        // At the first step of a division the chambers start from their split volumes; the gas
        // each holds is its share of the charge at bottom dead centre.
        if (!r_.divided(before) && analysis_.main_compression_ratio == 0) {
            const double at_bdc = g_.bdc_height / value(r_.piston_pos, before);
            analysis_.main_compression_ratio =
                value(r_.charge(ChargeName::main).volume, before) * at_bdc / g_.main_clearance;
            analysis_.aux_compression_ratio =
                value(r_.charge(ChargeName::aux).volume, before) * at_bdc / g_.aux_clearance;
        }
        const double share = g_.main_share;
        add_segment(segment(ChargeName::main, share * travel), step_heat.main,
                    analysis_.main.max_pressure_rise, step, crank_angle, previous_angle);
        add_segment(segment(ChargeName::aux, (1 - share) * travel), step_heat.aux,
                    analysis_.aux.max_pressure_rise, step, crank_angle, previous_angle);
    } else {
        if (r_.divided(before)) add_merge(step);
        // The segment starts at the merged charge: no segment crosses a merge.
        add_segment(segment(ChargeName::united, travel), step_heat.united,
                    analysis_.united.max_pressure_rise, step, crank_angle, previous_angle);
    }
    const double heat = step_heat.united + step_heat.main + step_heat.aux;
    const double phasing_heat =
        fuel_heat_ != nullptr ? value(fuel_heat_->values, step) - value(fuel_heat_->values, before)
                              : heat;
    heat_points_.push_back({previous_angle, crank_angle, phasing_heat});
    analysis_.heat_release += heat;
}

CycleAnalysis Analyser::result() const {
    CycleAnalysis a = analysis_;
    const EngineGeometry& g = g_;
    a.imep_bar = a.work / (2 * g.crank_radius);
    a.energy_added = a.work + (a.energy_end - a.energy_start);
    a.compression_ratio = g.bdc_height / g.total_clearance;
    a.otto_efficiency = 1 - std::pow(a.compression_ratio, 1 - g.gamma);
    a.main_otto_efficiency = 1 - std::pow(a.main_compression_ratio, 1 - g.gamma);
    a.aux_otto_efficiency = 1 - std::pow(a.aux_compression_ratio, 1 - g.gamma);
    a.engine_speed_rpm = g.engine_speed;
    // At N rpm the crank turns 6 N degrees a second.
    const double degrees_per_ms = 6 * g.engine_speed / 1000;
    for (ChargeFigures* charge : {&a.united, &a.main, &a.aux}) {
        take_ringing(*charge, g.gamma, degrees_per_ms);
    }
    a.first_non_finite_step = r_.first_non_finite_step;
    a.chamber_peaks_in_first_division = r_.chamber_peaks_in_first_division;
    if (r_.fuel) take_fuel(a, *r_.fuel, r_.ignitions);
    // A cycle that gains no energy (motored) has no efficiency; rounding alone moves a trace.
    if (a.energy_added > 1e-9 * work_scale_) a.indicated_efficiency = a.work / a.energy_added;
    // Nor has a misfire, whatever its trace's noise says; and its ringing is no knock.
    if (a.fuel.misfire) {
        a.indicated_efficiency = not_defined;
        for (ChargeFigures* charge : {&a.united, &a.main, &a.aux}) {
            charge->over_ringing_limit = false;
        }
        return a;
    }
    // Rounding alone releases a trace of heat in an adiabatic cycle: that is no heat release.
    if (!(a.heat_release > 1e-9 * work_scale_) && fuel_heat_ == nullptr) return a;
    // The phasing of the fuel's own heat release where the model books it (the apparent one
    // takes a fixed gamma and the walls' losses with it), of the apparent one otherwise.
    const double total = fuel_heat_ != nullptr ? fuel_heat_->values.back() : a.heat_release;
    if (!(total > 0)) return a;
    const std::array<double, 3> phasing = phasing_angles(heat_points_, total);
    a.ca10_deg = angle_atdc(phasing[0]);
    a.ca50_deg = angle_atdc(phasing[1]);
    a.ca90_deg = angle_atdc(phasing[2]);
    a.burn_duration_deg = a.ca90_deg - a.ca10_deg;
    return a;
}

}  // namespace

std::array<double, 3> phasing_angles(std::span<const HeatSegment> segments, double total) {
    std::array<double, 3> angles = {not_defined, not_defined, not_defined};
    const double fractions[] = {0.1, 0.5, 0.9};
    std::size_t next = 0;
    double released = 0;
    for (const HeatSegment& segment : segments) {
        const double before = released;
        released += segment.heat;
        while (next < 3 && released >= fractions[next] * total) {
            const double within = (fractions[next] * total - before) / segment.heat;
            angles[next] =
                segment.angle_before + within * (segment.angle_after - segment.angle_before);
            ++next;
        }
        if (next == 3) break;
    }
    return angles;
}

void take_ringing(ChargeFigures& charge, double gamma, double degrees_per_ms) {
    if (charge.max_pressure_rise.step < 0 || charge.peak_pressure.step < 0) return;
    charge.max_pressure_rise_bar_per_ms = charge.max_pressure_rise.value * degrees_per_ms;
    constexpr double beta_s = 0.05e-3;
    constexpr double pascal_per_bar = 1e5;
    constexpr double gas_constant = 287;
    const double rise_pa_per_s = charge.max_pressure_rise_bar_per_ms * pascal_per_bar * 1e3;
    const double peak_pa = charge.peak_pressure.value * pascal_per_bar;
    const double beta_rise = beta_s * rise_pa_per_s;
    const double intensity = beta_rise * beta_rise / (2 * gamma * peak_pa) *
                             std::sqrt(gamma * gas_constant * charge.peak_temperature.value);
    charge.ringing_mw_per_m2 = intensity / 1e6;
    charge.over_ringing_limit = charge.ringing_mw_per_m2 > ringing_limit_mw_per_m2;
}

const Ignition* FuelFigures::first(ChargeName charge) const {
    for (const Ignition& ignition : ignitions) {
        if (ignition.charge == charge) return &ignition;
    }
    return nullptr;
}

CycleAnalysis analyse_cycle(const CycleRecord& record, std::vector<StepHeat>* heats) {
    Analyser analyser(record);
    const int steps = static_cast<int>(record.phase.size());
    if (heats != nullptr) heats->assign(static_cast<std::size_t>(steps), StepHeat{});
    StepHeat scratch;
    for (int step = 0; step < steps; ++step) {
        analyser.add_step(step,
                          heats != nullptr ? (*heats)[static_cast<std::size_t>(step)] : scratch);
    }
    return analyser.result();
}

CycleAnalysis analyse_cycle(const EngineParameters& parameters) {
    return analyse_cycle(run_cycle(parameters));
}

}  // namespace hcci
