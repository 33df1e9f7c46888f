// SPDX-License-Identifier: MIT
#include "core/model/cycle_analysis.h"

#include <cmath>

#include "core/model/stepper.h"

namespace hcci {
namespace {

// Where the top dead centre of the compression stroke lies on the crank.
constexpr double top_dead_centre = 90;

void take_peak(Peak& peak, double value, int step, double crank_angle) {
    if (value > peak.value) peak = {value, step, crank_angle - top_dead_centre};
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

void CycleAnalyser::add_step(const CombustionModel& m, double crank_angle, int phase) {
    ++step_;
    if (analysis_.first_non_finite_step < 0 && !state_is_finite(m)) {
        analysis_.first_non_finite_step = step_;
    }
    const bool divided = is_divided_phase(phase);
    if (divided) {
        take_peak(analysis_.peak_main_pressure, m.main_pressure, step_, crank_angle);
        take_peak(analysis_.peak_main_temperature, m.main_temperature, step_, crank_angle);
        take_peak(analysis_.peak_aux_pressure, m.aux_pressure, step_, crank_angle);
        take_peak(analysis_.peak_aux_temperature, m.aux_temperature, step_, crank_angle);
    } else {
        take_peak(analysis_.peak_united_pressure, m.united_pressure, step_, crank_angle);
        take_peak(analysis_.peak_united_temperature, m.united_temperature, step_, crank_angle);
    }
    // The first step of a sweep draws no segment.
    if (step_ > 0) {
        const double travel = m.piston_pos - m.prev_piston_pos;
        double heat = 0;
        if (divided) {
            // At the first step of a division the chambers start from their split volumes.
            const bool first = !is_divided_phase(previous_phase_);
            const double share = geometry_.main_share;
            add_segment({m.prev_main_pressure, m.main_pressure,
                         first ? m.main_split_volume : previous_main_volume_, m.main_volume,
                         share * travel},
                        heat, analysis_.max_main_pressure_rise, crank_angle);
            add_segment({m.prev_aux_pressure, m.aux_pressure,
                         first ? m.aux_split_volume : previous_aux_volume_, m.aux_volume,
                         (1 - share) * travel},
                        heat, analysis_.max_aux_pressure_rise, crank_angle);
        } else {
            add_segment({m.prev_united_pressure, m.united_pressure, m.prev_piston_pos, m.piston_pos,
                         travel},
                        heat, analysis_.max_united_pressure_rise, crank_angle);
        }
        heat_points_.push_back({previous_angle_, crank_angle, heat});
        analysis_.heat_release += heat;
    }
    previous_phase_ = phase;
    previous_angle_ = crank_angle;
    previous_main_volume_ = m.main_volume;
    previous_aux_volume_ = m.aux_volume;
}

CycleAnalysis CycleAnalyser::result() const {
    CycleAnalysis a = analysis_;
    const EngineGeometry& g = geometry_;
    a.imep_bar = a.work / (2 * g.crank_radius);
    a.compression_ratio = g.bdc_height / g.total_clearance;
    const double stroke = 2 * g.crank_radius;
    const double main_ratio = (g.main_share * stroke + g.main_clearance) / g.main_clearance;
    const double aux_ratio = ((1 - g.main_share) * stroke + g.aux_clearance) / g.aux_clearance;
    a.otto_efficiency = 1 - std::pow(a.compression_ratio, 1 - g.gamma);
    a.main_otto_efficiency = 1 - std::pow(main_ratio, 1 - g.gamma);
    a.aux_otto_efficiency = 1 - std::pow(aux_ratio, 1 - g.gamma);
    // Rounding alone releases a trace of heat in an adiabatic cycle: that is no heat release.
    if (!(a.heat_release > 1e-9 * work_scale_)) return a;
    a.indicated_efficiency = a.work / a.heat_release;
    double* const phasing[] = {&a.ca10_deg, &a.ca50_deg, &a.ca90_deg};
    const double fractions[] = {0.1, 0.5, 0.9};
    std::size_t next = 0;
    double released = 0;
    for (const HeatPoint& point : heat_points_) {
        const double before = released;
        released += point.heat;
        while (next < 3 && released >= fractions[next] * a.heat_release) {
            const double within = (fractions[next] * a.heat_release - before) / point.heat;
            *phasing[next] = point.angle_before +
                             within * (point.angle_after - point.angle_before) - top_dead_centre;
            ++next;
        }
        if (next == 3) break;
    }
    a.burn_duration_deg = a.ca90_deg - a.ca10_deg;
    return a;
}

CycleAnalysis analyse_cycle(const EngineParameters& parameters) {
    Stepper stepper(parameters);
    CycleAnalyser analyser(stepper.geometry());
    run_sweep(
        stepper,
        [&analyser](const Stepper& s) { analyser.add_step(s.state(), s.crank_angle(), s.phase()); },
        no_look);
    return analyser.result();
}

}  // namespace hcci
