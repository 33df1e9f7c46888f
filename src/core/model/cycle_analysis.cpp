// SPDX-License-Identifier: MIT
#include "core/model/cycle_analysis.h"

#include <cmath>

#include "core/model/stepper.h"

namespace hcci {
namespace {

void take_peak(Peak& peak, double value, int step, double crank_angle) {
    if (value > peak.value) peak = {value, step, angle_atdc(crank_angle)};
}

// The internal energy of the charges present, p V / (gamma - 1) summed.
double internal_energy(const CombustionModel& m, bool divided, double gamma) {
    const double pv = divided ? m.main_pressure * m.main_volume + m.aux_pressure * m.aux_volume
                              : m.united_pressure * m.piston_pos;
    return pv / (gamma - 1);
}

// The ringing intensity (beta (dp/dt)max)^2 / (2 gamma pmax) sqrt(gamma R Tmax), beta 0.05 ms,
// R 287 J/(kg K), in SI units, as MW/m^2.
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

}  // namespace

struct CycleAnalyser::Segment {
    double pressure_before, pressure_after;
    double volume_before, volume_after;
    double volume_change;
};

CycleAnalyser::CycleAnalyser(const EngineGeometry& geometry) : geometry_(geometry) {
    heat_points_.reserve(steps_per_sweep);
}

void CycleAnalyser::add_segment(const Segment& s, double& heat, Peak& rise, double crank_angle) {
    const double gamma = geometry_.gamma;
    const double mean_pressure = 0.5 * (s.pressure_before + s.pressure_after);
    const double pressure_change = s.pressure_after - s.pressure_before;
    analysis_.work += mean_pressure * s.volume_change;
    work_scale_ += std::abs(mean_pressure * s.volume_change);
    heat += gamma / (gamma - 1) * mean_pressure * s.volume_change +
            1 / (gamma - 1) * (0.5 * (s.volume_before + s.volume_after)) * pressure_change;
    take_peak(rise, pressure_change / (crank_angle - previous_angle_), step_, crank_angle);
}

// The first united step after a division starts from the merged charge, which the hand-over of
// the step before made at that step's volume.
void CycleAnalyser::add_merge(const CombustionModel& m) {
    if (merges_ >= static_cast<int>(analysis_.merges.size())) return;
    Merge& merge = analysis_.merges[static_cast<std::size_t>(merges_++)];
    merge.step = step_ - 1;
    merge.angle_deg = angle_atdc(previous_angle_);
    merge.main_pressure = previous_main_pressure_;
    merge.aux_pressure = previous_aux_pressure_;
    merge.merged_pressure = m.prev_united_pressure;
    const double merged_energy = m.prev_united_pressure * m.prev_piston_pos / (geometry_.gamma - 1);
    merge.energy_j_per_l = merged_energy - previous_energy_;
}

void CycleAnalyser::add_step(const CombustionModel& m, double crank_angle, int phase) {
    ++step_;
    if (analysis_.first_non_finite_step < 0 && !state_is_finite(m)) {
        analysis_.first_non_finite_step = step_;
    }
    const bool divided = is_divided_phase(phase);
    ChargeFigures& united = analysis_.united;
    if (divided) {
        take_peak(analysis_.main.peak_pressure, m.main_pressure, step_, crank_angle);
        take_peak(analysis_.main.peak_temperature, m.main_temperature, step_, crank_angle);
        take_peak(analysis_.aux.peak_pressure, m.aux_pressure, step_, crank_angle);
        take_peak(analysis_.aux.peak_temperature, m.aux_temperature, step_, crank_angle);
    } else {
        take_peak(united.peak_pressure, m.united_pressure, step_, crank_angle);
        take_peak(united.peak_temperature, m.united_temperature, step_, crank_angle);
    }
    const double energy = internal_energy(m, divided, geometry_.gamma);
    if (step_ == 0) analysis_.energy_start = energy;
    analysis_.energy_end = energy;
    // The first step of a sweep draws no segment.
    step_heat_ = {};
    if (step_ > 0) {
        const double travel = m.piston_pos - m.prev_piston_pos;
        const bool divided_before = is_divided_phase(previous_phase_);
        if (divided) {
            // At the first step of a division the chambers start from their split volumes; the
            // gas each holds is its share of the charge at bottom dead centre.
            if (!divided_before && analysis_.main_compression_ratio == 0) {
                const double at_bdc = geometry_.bdc_height / m.split_piston_pos;
                analysis_.main_compression_ratio =
                    m.main_split_volume * at_bdc / geometry_.main_clearance;
                analysis_.aux_compression_ratio =
                    m.aux_split_volume * at_bdc / geometry_.aux_clearance;
            }
            const double share = geometry_.main_share;
            add_segment({m.prev_main_pressure, m.main_pressure,
                         divided_before ? previous_main_volume_ : m.main_split_volume,
                         m.main_volume, share * travel},
                        step_heat_.main, analysis_.main.max_pressure_rise, crank_angle);
            add_segment({m.prev_aux_pressure, m.aux_pressure,
                         divided_before ? previous_aux_volume_ : m.aux_split_volume, m.aux_volume,
                         (1 - share) * travel},
                        step_heat_.aux, analysis_.aux.max_pressure_rise, crank_angle);
        } else {
            if (divided_before) add_merge(m);
            // The segment starts at the merged charge: no segment crosses a merge.
            add_segment({m.prev_united_pressure, m.united_pressure, m.prev_piston_pos, m.piston_pos,
                         travel},
                        step_heat_.united, united.max_pressure_rise, crank_angle);
        }
        const double heat = step_heat_.united + step_heat_.main + step_heat_.aux;
        heat_points_.push_back({previous_angle_, crank_angle, heat});
        analysis_.heat_release += heat;
    }
    previous_phase_ = phase;
    previous_angle_ = crank_angle;
    previous_main_volume_ = m.main_volume;
    previous_aux_volume_ = m.aux_volume;
    previous_main_pressure_ = m.main_pressure;
    previous_aux_pressure_ = m.aux_pressure;
    previous_energy_ = energy;
}

CycleAnalysis CycleAnalyser::result() const {
    CycleAnalysis a = analysis_;
    const EngineGeometry& g = geometry_;
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
    // A cycle that gains no energy (motored) has no efficiency; rounding alone moves a trace.
    if (a.energy_added > 1e-9 * work_scale_) a.indicated_efficiency = a.work / a.energy_added;
    // Rounding alone releases a trace of heat in an adiabatic cycle: that is no heat release.
    if (!(a.heat_release > 1e-9 * work_scale_)) return a;
    double* const phasing[] = {&a.ca10_deg, &a.ca50_deg, &a.ca90_deg};
    const double fractions[] = {0.1, 0.5, 0.9};
    std::size_t next = 0;
    double released = 0;
    for (const HeatPoint& point : heat_points_) {
        const double before = released;
        released += point.heat;
        while (next < 3 && released >= fractions[next] * a.heat_release) {
            const double within = (fractions[next] * a.heat_release - before) / point.heat;
            *phasing[next] =
                angle_atdc(point.angle_before + within * (point.angle_after - point.angle_before));
            ++next;
        }
        if (next == 3) break;
    }
    a.burn_duration_deg = a.ca90_deg - a.ca10_deg;
    return a;
}

const Ignition* FuelFigures::first(ChargeName charge) const {
    for (const Ignition& ignition : ignitions) {
        if (ignition.charge == charge) return &ignition;
    }
    return nullptr;
}

CycleAnalysis analyse_cycle(const EngineParameters& parameters) {
    Stepper stepper(parameters);
    CycleAnalyser analyser(stepper.geometry());
    int first_non_finite = -1;  // of the model's own quantities too
    run_sweep(
        stepper,
        [&](const Stepper& s) {
            analyser.add_step(s.state(), s.crank_angle(), s.phase());
            if (first_non_finite < 0 && !s.finite()) first_non_finite = s.step_index();
        },
        no_look);
    CycleAnalysis a = completed_analysis(analyser, stepper);
    if (first_non_finite >= 0 &&
        (a.first_non_finite_step < 0 || first_non_finite < a.first_non_finite_step)) {
        a.first_non_finite_step = first_non_finite;
    }
    return a;
}

CycleAnalysis completed_analysis(const CycleAnalyser& analyser, const Stepper& stepper) {
    CycleAnalysis a = analyser.result();
    if (const FuelReadings* fuel = stepper.fuel()) {
        a.fuel.present = true;
        a.fuel.heat_released = fuel->heat_released;
        a.fuel.fuel_burned = fuel->fuel_burned;
        a.fuel.misfire = !(fuel->fuel_burned >= misfire_fuel_burned);
        a.fuel.ignitions = fuel->ignitions;
    }
    return a;
}

}  // namespace hcci
