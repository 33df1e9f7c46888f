// SPDX-License-Identifier: MIT
#include "core/report/analysis_report.h"

#include <cmath>
#include <cstdio>

#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {
namespace {

struct ChargeKey {
    const char* key;   // "united"
    const char* what;  // "united", "main chamber", "auxiliary"
    ChargeFigures CycleAnalysis::*figures;
    ChargeName name;
};

constexpr ChargeKey charges[] = {
    {"united", "united", &CycleAnalysis::united, ChargeName::united},
    {"main", "main", &CycleAnalysis::main, ChargeName::main},
    {"aux", "auxiliary", &CycleAnalysis::aux, ChargeName::aux},
};

double flag(bool present, bool value) {
    return present ? (value ? 1.0 : 0.0) : not_defined;
}

void add_peak(std::vector<Metric>& metrics, const std::string& name, const char* unit,
              const Peak& peak) {
    const bool defined = peak.step >= 0;
    metrics.push_back({name + "_" + unit, defined ? peak.value : not_defined});
    metrics.push_back({name + "_step", defined ? static_cast<double>(peak.step) : not_defined,
                       Metric::Kind::whole});
    metrics.push_back({name + "_deg_atdc", defined ? peak.angle_deg : not_defined});
}

void add_merge(std::vector<Metric>& metrics, const std::string& name, const Merge& merge) {
    const bool defined = merge.step >= 0;
    metrics.push_back({name + "_energy_j_per_l", merge.energy_j_per_l});
    metrics.push_back({name + "_step", defined ? static_cast<double>(merge.step) : not_defined,
                       Metric::Kind::whole});
    metrics.push_back({name + "_deg_atdc", merge.angle_deg});
    metrics.push_back({name + "_main_pressure_bar", merge.main_pressure});
    metrics.push_back({name + "_aux_pressure_bar", merge.aux_pressure});
    metrics.push_back({name + "_merged_pressure_bar", merge.merged_pressure});
}

// A number in the shortest form that reads back, or the given text when it is not defined.
std::string number_or(const Metric& metric, const char* undefined) {
    if (std::isnan(metric.value)) return undefined;
    switch (metric.kind) {
        case Metric::Kind::whole:
            return std::to_string(static_cast<long>(metric.value));
        case Metric::Kind::flag:
            return metric.value != 0 ? "true" : "false";
        case Metric::Kind::number:
            break;
    }
    return shortest_text(metric.value);
}

std::string fixed(double value, int decimals) {
    if (std::isnan(value)) return "not defined";
    return fixed_text(value, decimals);
}

std::string line(const std::string& what, const std::string& value, const std::string& unit) {
    char buffer[200];
    // The texts are ours and short; one that did not fit would only be cut.
    (void)std::snprintf(buffer, sizeof buffer, "  %-40s %12s %s", what.c_str(), value.c_str(),
                        unit.c_str());
    std::string text = buffer;
    text.erase(text.find_last_not_of(' ') + 1);
    return text + "\n";
}

std::string where(const Peak& peak) {
    return "at step " + std::to_string(peak.step) + ", " + fixed(peak.angle_deg, 2) + " deg";
}

std::string peak_line(const std::string& what, const Peak& peak, int decimals, const char* unit) {
    if (peak.step < 0) return line(what, "not defined", "");
    return line(what, fixed(peak.value, decimals), std::string(unit) + "  " + where(peak));
}

std::string merge_line(const char* what, const Merge& merge) {
    if (merge.step < 0) return line(what, "none", "");
    const std::string sign = merge.energy_j_per_l > 0 ? "+" : "";
    return line(what, sign + fixed(merge.energy_j_per_l, 2),
                "J/L  at " + fixed(merge.angle_deg, 2) + " deg: main " +
                    fixed(merge.main_pressure, 2) + ", aux " + fixed(merge.aux_pressure, 2) +
                    " -> " + fixed(merge.merged_pressure, 2) + " bar");
}

// Where each charge ignited, and what burned: the predictive model's own figures.
std::string fuel_text(const FuelFigures& fuel) {
    std::string text = "\nIgnition (predictive model)\n";
    if (fuel.ignitions.empty()) text += "  nothing ignites\n";
    for (const Ignition& ignition : fuel.ignitions) {
        const char* where = ignition.charge == ChargeName::aux    ? "auxiliary chamber ignites"
                            : ignition.charge == ChargeName::main ? "main chamber ignites"
                                                                  : "united charge ignites";
        text += line(where, fixed(ignition.angle_atdc, 2),
                     "deg  at step " + std::to_string(ignition.step) + ", share of fuel " +
                         fixed(ignition.share_of_fuel, 3));
    }
    text += line("fuel burned by bottom dead centre", fixed(fuel.fuel_burned, 4), "");
    text += line("heat released by the fuel", fixed(fuel.heat_released, 2), "J/L");
    if (fuel.misfire) {
        text += "  MISFIRE: " + fixed(100 * fuel.fuel_burned, 1) +
                " % of the fuel burned by bottom dead centre, less than " +
                fixed(100 * misfire_fuel_burned, 0) + " %\n";
    }
    return text;
}

}  // namespace

std::vector<Metric> metrics_of(const CycleAnalysis& a) {
    std::vector<Metric> metrics = {
        {"work_j_per_l", a.work},
        {"imep_bar", a.imep_bar},
        {"energy_added_j_per_l", a.energy_added},
        {"indicated_efficiency", a.indicated_efficiency},
        {"internal_energy_start_j_per_l", a.energy_start},
        {"internal_energy_end_j_per_l", a.energy_end},
        {"heat_release_j_per_l", a.heat_release},
    };
    add_merge(metrics, "first_merge", a.merges[0]);
    add_merge(metrics, "second_merge", a.merges[1]);
    const std::vector<Metric> rest = {
        {"compression_ratio", a.compression_ratio},
        {"main_compression_ratio", a.main_compression_ratio},
        {"aux_compression_ratio", a.aux_compression_ratio},
        {"otto_efficiency", a.otto_efficiency},
        {"main_otto_efficiency", a.main_otto_efficiency},
        {"aux_otto_efficiency", a.aux_otto_efficiency},
        {"ca10_deg_atdc", a.ca10_deg},
        {"ca50_deg_atdc", a.ca50_deg},
        {"ca90_deg_atdc", a.ca90_deg},
        {"burn_duration_deg", a.burn_duration_deg},
        {"engine_speed_rpm", a.engine_speed_rpm},
        {"ringing_limit_mw_per_m2", ringing_limit_mw_per_m2},
    };
    metrics.insert(metrics.end(), rest.begin(), rest.end());
    for (const ChargeKey& charge : charges) {
        const ChargeFigures& f = a.*charge.figures;
        const std::string name = charge.key;
        add_peak(metrics, "peak_" + name + "_pressure", "bar", f.peak_pressure);
        add_peak(metrics, "peak_" + name + "_temperature", "k", f.peak_temperature);
        add_peak(metrics, "max_" + name + "_pressure_rise", "bar_per_deg", f.max_pressure_rise);
        metrics.push_back(
            {"max_" + name + "_pressure_rise_bar_per_ms", f.max_pressure_rise_bar_per_ms});
        metrics.push_back({name + "_ringing_mw_per_m2", f.ringing_mw_per_m2});
        metrics.push_back(
            {name + "_over_ringing_limit",
             std::isnan(f.ringing_mw_per_m2) ? not_defined : (f.over_ringing_limit ? 1.0 : 0.0),
             Metric::Kind::flag});
    }
    // The fuel's, where the model has one (the predictive); not defined otherwise.
    const FuelFigures& fuel = a.fuel;
    metrics.push_back({"fuel_heat_released_j_per_l", fuel.heat_released});
    metrics.push_back({"fuel_burned", fuel.fuel_burned});
    metrics.push_back({"misfire", flag(fuel.present, fuel.misfire), Metric::Kind::flag});
    for (const ChargeKey& charge : charges) {
        const Ignition* ignition = fuel.first(charge.name);
        const std::string name = std::string(charge.key) + "_ignition";
        metrics.push_back({name + "_step",
                           ignition ? static_cast<double>(ignition->step) : not_defined,
                           Metric::Kind::whole});
        metrics.push_back({name + "_deg_atdc", ignition ? ignition->angle_atdc : not_defined});
        metrics.push_back({name + "_fuel_share", ignition ? ignition->share_of_fuel : not_defined});
    }
    return metrics;
}

std::string summary_text(const CycleAnalysis& a, const EngineParameters& engine) {
    std::string text =
        "One sweep of the engine, 18001 steps. Angles in degrees after top dead centre; work\n"
        "and energies in J per litre displaced (1 bar over the displacement is 100 J/L).\n"
        "Engine: " +
        changed_parameters(engine) + "\n\n";
    text += "Energy\n";
    text += line("gross indicated work", fixed(a.work, 2), "J/L");
    text += line("IMEP", fixed(a.imep_bar, 3), "bar");
    text += line("energy added to the charge (work + dU)", fixed(a.energy_added, 2), "J/L");
    text +=
        line("indicated efficiency (work / energy added)", fixed(a.indicated_efficiency, 4), "");
    text += line("apparent heat release (single zone)", fixed(a.heat_release, 2), "J/L");
    text += merge_line("energy of the first merge", a.merges[0]);
    text += merge_line("energy of the second merge", a.merges[1]);
    text += line("Otto efficiency, united ratio", fixed(a.otto_efficiency, 4),
                 "(r = " + fixed(a.compression_ratio, 3) + ")");
    text += line("Otto efficiency, main chamber's gas", fixed(a.main_otto_efficiency, 4),
                 "(r = " + fixed(a.main_compression_ratio, 3) + ")");
    text += line("Otto efficiency, auxiliary chamber's gas", fixed(a.aux_otto_efficiency, 4),
                 "(r = " + fixed(a.aux_compression_ratio, 3) + ")");
    text += "\nCombustion phasing\n";
    text += line("CA10", fixed(a.ca10_deg, 2), "deg");
    text += line("CA50", fixed(a.ca50_deg, 2), "deg");
    text += line("CA90", fixed(a.ca90_deg, 2), "deg");
    text += line("burn duration (CA90 - CA10)", fixed(a.burn_duration_deg, 2), "deg");
    text += "\nPeaks\n";
    for (const ChargeKey& charge : charges) {
        const ChargeFigures& f = a.*charge.figures;
        text +=
            peak_line(std::string("peak ") + charge.what + " pressure", f.peak_pressure, 2, "bar");
        text += peak_line(std::string("peak ") + charge.what + " temperature", f.peak_temperature,
                          1, "K");
    }
    if (a.fuel.present) text += fuel_text(a.fuel);
    text += "\nPressure rise and ringing at " + fixed(a.engine_speed_rpm, 0) +
            " rpm (ringing limit " + fixed(ringing_limit_mw_per_m2, 0) + " MW/m2)\n";
    for (const ChargeKey& charge : charges) {
        const ChargeFigures& f = a.*charge.figures;
        const std::string what = std::string(charge.what);
        if (f.max_pressure_rise.step < 0) {
            text += line("largest " + what + " pressure rise", "not defined", "");
            continue;
        }
        text += line("largest " + what + " pressure rise", fixed(f.max_pressure_rise.value, 2),
                     "bar/deg  " + fixed(f.max_pressure_rise_bar_per_ms, 2) + " bar/ms  " +
                         where(f.max_pressure_rise));
        text += line("ringing intensity, " + what, fixed(f.ringing_mw_per_m2, 2),
                     std::string("MW/m2") + (f.over_ringing_limit ? "  over the limit" : ""));
    }
    return text;
}

std::string summary_json(const CycleAnalysis& a, const EngineParameters& engine) {
    std::string json = "{\n";
    for (const Metric& metric : metrics_of(a)) {
        json += "  \"" + metric.key + "\": " + number_or(metric, "null") + ",\n";
    }
    json += "  \"engine\": {\n";
    json += "    \"model\": \"" + std::string(engine.model) + "\",\n";
    const auto& table = parameter_table();
    for (std::size_t i = 0; i < table.size(); ++i) {
        json +=
            "    \"" + std::string(table[i].name) + "\": " + shortest_text(engine.*table[i].member);
        json += i + 1 < table.size() ? ",\n" : "\n";
    }
    return json + "  }\n}\n";
}

std::string study_csv_header(std::string_view parameter, const EngineParameters& base) {
    std::string header = "# a study of " + std::string(parameter) +
                         "; the engine otherwise: " + changed_parameters(base) + "\n";
    header += parameter;
    for (const Metric& metric : metrics_of(CycleAnalysis{})) header += "," + metric.key;
    return header + "\n";
}

std::string study_csv_row(double value, const CycleAnalysis& a) {
    std::string row = shortest_text(value);
    for (const Metric& metric : metrics_of(a)) {
        std::string cell = number_or(metric, "");
        if (metric.kind == Metric::Kind::flag && !cell.empty()) cell = cell == "true" ? "1" : "0";
        row += "," + cell;
    }
    return row + "\n";
}

}  // namespace hcci
