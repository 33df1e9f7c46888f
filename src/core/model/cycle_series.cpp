// SPDX-License-Identifier: MIT
#include "core/model/cycle_series.h"

#include <cmath>

namespace hcci {
namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();

// The charge's values where it is present, NaN elsewhere.
ChargeSeries charge_series(const CycleRecord& record, ChargeName charge,
                           const std::vector<double>& heat, const std::vector<double>& span) {
    const ChargeRecord& values = record.charge(charge);
    const RecordChannel* burned = record.channel("burned", charge);
    ChargeSeries series;
    const std::size_t n = record.phase.size();
    for (std::vector<double>* v :
         {&series.pressure, &series.temperature, &series.volume, &series.heat_release_rate}) {
        v->resize(n, absent);
    }
    if (burned != nullptr) series.fuel_burned.resize(n, absent);
    for (std::size_t i = 0; i < n; ++i) {
        if (!record.present(charge, static_cast<int>(i))) continue;
        series.pressure[i] = values.pressure[i];
        series.temperature[i] = values.temperature[i];
        series.volume[i] = values.volume[i];
        series.heat_release_rate[i] = heat[i] / span[i];
        if (burned != nullptr) series.fuel_burned[i] = burned->values[i];
    }
    return series;
}

}  // namespace

CycleSeries cycle_series(const CycleRecord& record) {
    CycleSeries series;
    series.parameters = record.parameters;
    std::vector<StepHeat> heats;
    series.analysis = analyse_cycle(record, &heats);
    const std::size_t n = record.phase.size();
    series.angle_deg.resize(n);
    // Each step's heat over the angle its segment spans (the first step's: none, over 1).
    std::vector<double> span(n, 1);
    std::vector<double> united(n), main(n), aux(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double angle = CycleRecord::crank_angle(static_cast<int>(i));
        series.angle_deg[i] = angle_atdc(angle);
        if (i > 0) span[i] = angle - CycleRecord::crank_angle(static_cast<int>(i - 1));
        united[i] = heats[i].united;
        main[i] = heats[i].main;
        aux[i] = heats[i].aux;
    }
    series.united = charge_series(record, ChargeName::united, united, span);
    series.main = charge_series(record, ChargeName::main, main, span);
    series.aux = charge_series(record, ChargeName::aux, aux, span);
    for (const Division& d : record.divisions) {
        series.divisions.push_back({series.angle_deg[static_cast<std::size_t>(d.first_step)],
                                    series.angle_deg[static_cast<std::size_t>(d.last_step)]});
    }
    // The whole's burned fraction, where there is any, as the phasing reads it: by the fuel's
    // own heat release where the model books it, by the running apparent one otherwise.
    const bool released = !std::isnan(series.analysis.ca50_deg);
    series.burned_fraction.resize(n, absent);
    if (!released) return series;
    if (const RecordChannel* fuel_heat = record.channel("heat_released")) {
        const double total = fuel_heat->values.back();
        for (std::size_t i = 0; i < n; ++i)
            series.burned_fraction[i] = fuel_heat->values[i] / total;
        return series;
    }
    const double total = series.analysis.heat_release;
    double running = 0;
    for (std::size_t i = 0; i < n; ++i) {
        running += heats[i].united + heats[i].main + heats[i].aux;
        series.burned_fraction[i] = running / total;
    }
    return series;
}

}  // namespace hcci
