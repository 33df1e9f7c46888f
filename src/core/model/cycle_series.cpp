// SPDX-License-Identifier: MIT
#include "core/model/cycle_series.h"

#include <cmath>

#include "core/model/stepper.h"

namespace hcci {
namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();

void reserve(ChargeSeries& charge, bool with_fuel) {
    for (std::vector<double>* v :
         {&charge.pressure, &charge.temperature, &charge.volume, &charge.heat_release_rate}) {
        v->reserve(steps_per_sweep);
    }
    if (with_fuel) charge.fuel_burned.reserve(steps_per_sweep);
}

void add(ChargeSeries& charge, bool present, double pressure, double temperature, double volume,
         double heat_rate, const double* fuel_burned) {
    charge.pressure.push_back(present ? pressure : absent);
    charge.temperature.push_back(present ? temperature : absent);
    charge.volume.push_back(present ? volume : absent);
    charge.heat_release_rate.push_back(present ? heat_rate : absent);
    if (fuel_burned != nullptr) charge.fuel_burned.push_back(present ? *fuel_burned : absent);
}

}  // namespace

CycleSeries cycle_series(const EngineParameters& parameters) {
    CycleSeries series;
    series.parameters = parameters;
    Stepper stepper(parameters);
    const bool with_fuel = stepper.fuel() != nullptr;
    series.angle_deg.reserve(steps_per_sweep);
    for (ChargeSeries* charge : {&series.united, &series.main, &series.aux}) {
        reserve(*charge, with_fuel);
    }
    CycleAnalyser analyser(stepper.geometry());
    double previous_angle = sweep_start_angle;
    bool divided_before = false;
    double running_heat = 0;
    std::vector<double> running;
    running.reserve(steps_per_sweep);
    run_sweep(
        stepper,
        [&](const Stepper& s) {
            analyser.add_step(s.state(), s.crank_angle(), s.phase());
            const CombustionModel& m = s.state();
            const double angle = angle_atdc(s.crank_angle());
            const double span = s.step_index() > 0 ? s.crank_angle() - previous_angle : 1;
            previous_angle = s.crank_angle();
            const CycleAnalyser::StepHeat& heat = analyser.step_heat();
            running_heat += heat.united + heat.main + heat.aux;
            running.push_back(running_heat);
            series.angle_deg.push_back(angle);
            const bool divided = is_divided_phase(s.phase());
            const FuelReadings* fuel = s.fuel();
            add(series.united, !divided, m.united_pressure, m.united_temperature, m.piston_pos,
                heat.united / span, fuel ? &fuel->united_burned : nullptr);
            add(series.main, divided, m.main_pressure, m.main_temperature, m.main_volume,
                heat.main / span, fuel ? &fuel->main_burned : nullptr);
            add(series.aux, divided, m.aux_pressure, m.aux_temperature, m.aux_volume,
                heat.aux / span, fuel ? &fuel->aux_burned : nullptr);
            if (divided && !divided_before) series.divisions.push_back({angle, angle});
            if (divided) series.divisions.back().to_deg = angle;
            divided_before = divided;
        },
        no_look);
    series.analysis = completed_analysis(analyser, stepper);
    // The whole's burned fraction by the running apparent heat release, where there is any.
    series.burned_fraction.reserve(running.size());
    const double total = series.analysis.heat_release;
    const bool released = !std::isnan(series.analysis.ca50_deg);
    for (const double heat : running)
        series.burned_fraction.push_back(released ? heat / total : absent);
    return series;
}

}  // namespace hcci
