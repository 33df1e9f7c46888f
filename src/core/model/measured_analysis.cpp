// SPDX-License-Identifier: MIT
#include <algorithm>
#include <array>
#include <cmath>

#include "core/model/engine_geometry.h"
#include "core/model/engine_model.h"
#include "core/model/measured_trace.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

// The angles at which the running heat release first reaches 10, 50 and 90 % of its sum, as the
// model's analysis finds them.
void take_phasing(MeasuredAnalysis& a, const std::vector<HeatSegment>& segments) {
    const std::array<double, 3> phasing = phasing_angles(segments, a.heat_release);
    a.ca10_deg = phasing[0];
    a.ca50_deg = phasing[1];
    a.ca90_deg = phasing[2];
    a.burn_duration_deg = a.ca90_deg - a.ca10_deg;
}

void take_peak(Peak& peak, double value, std::size_t row, double angle) {
    if (value > peak.value) peak = {value, static_cast<int>(row), angle};
}

}  // namespace

GasProperties engine_gas(const EngineParameters& engine) {
    const EngineModelEntry* model = find_engine_model(engine.model);
    const bool reads_properties =
        model != nullptr && std::any_of(model->choices.begin(), model->choices.end(),
                                        [](const ChoiceInfo& c) { return c.name == "properties"; });
    return reads_properties && engine.properties == "variable" ? variable_gas()
                                                               : constant_gas(engine.gamma);
}

MeasuredAnalysis analyse_measured(const MeasuredTrace& trace, const EngineParameters& engine,
                                  std::vector<MeasuredPoint>* points) {
    const EngineGeometry g = make_engine_geometry(engine);
    const GasProperties gas = engine_gas(engine);
    // The trapped charge, m R in J/L per K: p V / T at bottom dead centre.
    const double mass_r = g.bdc_pressure * g.bdc_height / g.start_temperature;
    const std::size_t rows = trace.angle_deg.size();
    MeasuredAnalysis a;
    a.rows = rows;
    a.engine_speed_rpm = g.engine_speed;
    if (rows == 0) return a;
    a.from_deg = trace.angle_deg.front();
    a.to_deg = trace.angle_deg.back();
    a.whole_cycle = a.from_deg <= -180 && a.to_deg >= 180;
    std::vector<MeasuredPoint> scratch;
    std::vector<MeasuredPoint>& at = points != nullptr ? *points : scratch;
    at.assign(rows, MeasuredPoint{});
    for (std::size_t i = 0; i < rows; ++i) {
        const double volume =
            piston_position(g, crank_position(g, crank_angle_at(trace.angle_deg[i])));
        at[i].volume = volume;
        at[i].temperature = trace.pressure_bar[i] * volume / mass_r;
        take_peak(a.figures.peak_pressure, trace.pressure_bar[i], i, trace.angle_deg[i]);
        take_peak(a.figures.peak_temperature, at[i].temperature, i, trace.angle_deg[i]);
    }
    std::vector<HeatSegment> segments;
    segments.reserve(rows);
    double work_scale = 0;  // the sum of the work's terms without their signs
    for (std::size_t i = 1; i < rows; ++i) {
        const double span = trace.angle_deg[i] - trace.angle_deg[i - 1];
        if (!(span > 0)) continue;  // a jump: no segment crosses it
        const double p1 = trace.pressure_bar[i - 1], p2 = trace.pressure_bar[i];
        const double work = 0.5 * (p1 + p2) * (at[i].volume - at[i - 1].volume);
        const double heat =
            mass_r / gas_constant * energy_change(gas, at[i - 1].temperature, at[i].temperature) +
            work;
        a.work += work;
        work_scale += std::abs(work);
        a.heat_release += heat;
        at[i].heat_release_rate = heat / span;
        segments.push_back({trace.angle_deg[i - 1], trace.angle_deg[i], heat});
        take_peak(a.figures.max_pressure_rise, (p2 - p1) / span, i, trace.angle_deg[i]);
    }
    a.imep_bar = a.work / (2 * g.crank_radius);
    take_ringing(a.figures, g.gamma, 6 * g.engine_speed / 1000);
    // Rounding alone releases a trace of heat in an adiabatic cycle: that is no heat release.
    if (a.heat_release > 1e-9 * work_scale) take_phasing(a, segments);
    // The running heat release, as the segments summed it, over its sum.
    double released = 0;
    std::size_t segment = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i > 0 && trace.angle_deg[i] > trace.angle_deg[i - 1]) {
            released += segments[segment++].heat;
        }
        if (a.heat_release > 0) at[i].burned_fraction = released / a.heat_release;
    }
    return a;
}

}  // namespace hcci
