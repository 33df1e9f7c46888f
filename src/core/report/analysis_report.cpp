// SPDX-License-Identifier: MIT
#include "core/report/analysis_report.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "core/model/engine_model.h"
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

// With `opening`, the partition's opening as figures of their own (a model with fuel).
void add_merge(std::vector<Metric>& metrics, const std::string& name, const Merge& merge,
               bool opening) {
    const bool defined = merge.step >= 0;
    metrics.push_back({name + "_energy_j_per_l", merge.energy_j_per_l});
    metrics.push_back({name + "_step", defined ? static_cast<double>(merge.step) : not_defined,
                       Metric::Kind::whole});
    metrics.push_back({name + "_deg_atdc", merge.angle_deg});
    metrics.push_back({name + "_main_pressure_bar", merge.main_pressure});
    metrics.push_back({name + "_aux_pressure_bar", merge.aux_pressure});
    metrics.push_back({name + "_merged_pressure_bar", merge.merged_pressure});
    if (!opening) return;
    metrics.push_back({name + "_main_pressure_change_bar", merge.main_pressure_change});
    metrics.push_back({name + "_aux_pressure_change_bar", merge.aux_pressure_change});
    metrics.push_back(
        {name + "_main_pressure_rate_bar_per_ms", merge.main_pressure_rate_bar_per_ms});
    metrics.push_back({name + "_aux_pressure_rate_bar_per_ms", merge.aux_pressure_rate_bar_per_ms});
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

constexpr const char* undefined_text = "n/a";

std::string fixed(double value, int decimals) {
    if (std::isnan(value)) return undefined_text;
    return fixed_text(value, decimals);
}

// With a sign always: "+8.03", "-77.31".
std::string signed_fixed(double value, int decimals) {
    const std::string text = fixed(value, decimals);
    return value > 0 ? "+" + text : text;
}

std::string line(const std::string& what, const std::string& value, const std::string& unit) {
    return summary_line(what, value, unit);
}

std::string where(const Peak& peak) {
    return "at step " + std::to_string(peak.step) + ", " + fixed(peak.angle_deg, 2) + " deg";
}

std::string peak_line(const std::string& what, const Peak& peak, int decimals, const char* unit) {
    if (peak.step < 0) return line(what, undefined_text, "");
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

const char* charge_words(ChargeName charge) {
    switch (charge) {
        case ChargeName::aux:
            return "auxiliary chamber";
        case ChargeName::main:
            return "main chamber";
        case ChargeName::united:
            break;
    }
    return "united charge";
}

std::string ignition_line(const std::string& what, const Ignition& ignition) {
    return line(what, fixed(ignition.angle_atdc, 2),
                "deg  at step " + std::to_string(ignition.step) + ", share of fuel " +
                    fixed(ignition.share_of_fuel, 3));
}

// Where each charge ignited, and what burned: the predictive model's own figures. A charge's
// first ignition is its ignition; in a stratified charge the later zones follow in a list.
std::string ignition_text(const FuelFigures& fuel) {
    std::string text = "\nIgnition (predictive model)\n";
    if (fuel.ignitions.empty()) text += "  nothing ignites\n";
    std::string later;
    for (const Ignition& ignition : fuel.ignitions) {
        if (fuel.first(ignition.charge) == &ignition) {
            text +=
                ignition_line(std::string(charge_words(ignition.charge)) + " ignites", ignition);
            continue;
        }
        const std::string zones =
            ignition.zones == 1 ? "1 zone" : std::to_string(ignition.zones) + " zones";
        later += ignition_line("  " + std::string(charge_words(ignition.charge)) + ", " + zones,
                               ignition);
    }
    if (!later.empty()) text += "  later zones\n" + later;
    text += line("fuel burned by bottom dead centre", fixed(fuel.fuel_burned, 4), "");
    text += line("heat released by the fuel", fixed(fuel.heat_released, 2), "J/L");
    return text;
}

// A small share as a person reads it: "3.2e-05", or n/a.
std::string share_text(double share) {
    if (!std::isfinite(share)) return undefined_text;
    char buffer[32];
    (void)std::snprintf(buffer, sizeof buffer, "%.1e", share);
    return buffer;
}

// A row of the fuel's books: supplied, released and lost, J/L.
std::string books_row(const std::string& what, double supplied, double released, double lost) {
    char buffer[200];
    (void)std::snprintf(buffer, sizeof buffer, "  %-24s %12s %12s %12s\n", what.c_str(),
                        fixed(supplied, 2).c_str(), fixed(released, 2).c_str(),
                        fixed(lost, 2).c_str());
    return buffer;
}

// The model's own books of its fuel's energy, and the efficiencies that follow from them.
std::string books_text(const FuelFigures& fuel) {
    std::string text = "\nThe fuel's energy (the predictive model's books; displacement " +
                       fixed(fuel.displacement_l, 3) + " L)\n";
    text += "  J/L                          supplied     released   lost to walls\n";
    for (const ChargeName charge : all_charges) {
        const ChargeEnergy& e = fuel.charges[static_cast<std::size_t>(charge)];
        text += books_row(charge_words(charge), e.supplied, e.released, e.lost);
    }
    text += books_row("the whole cycle", fuel.fuel_energy, fuel.heat_released, fuel.heat_lost);
    text +=
        line("combustion efficiency, released/supplied", fixed(fuel.combustion_efficiency, 4), "");
    text += line("fuel conversion efficiency, W/supplied",
                 fixed(fuel.fuel_conversion_efficiency, 4), "");
    text += line("thermal efficiency, W/released", fixed(fuel.thermal_efficiency, 4), "");
    text += line("work W booked by the model", fixed(fuel.booked_work, 2), "J/L");
    text += line("work off the pressure trace", fixed(fuel.booked_work + fuel.work_difference, 2),
                 "J/L  (less W: " + signed_fixed(fuel.work_difference, 4) + " J/L, " +
                     share_text(fuel.work_difference / fuel.fuel_energy) + " of the supplied)");
    // Below a part in 10^12 the residual is the arithmetic's last digits, which differ between
    // machines: it is said as a bound, not as a number.
    const double residual_share = fuel.first_law_residual / fuel.heat_released;
    const std::string residual_note =
        std::abs(residual_share) < 1e-12 ? "below 1e-12" : share_text(residual_share);
    text += line("first law: released - lost - W - dU", fixed(fuel.first_law_residual, 2),
                 fuel.heat_released > 0 ? "J/L  (" + residual_note + " of the released)" : "J/L");
    if (fuel.misfire) {
        text += "  MISFIRE: " + fixed(100 * fuel.combustion_efficiency, 1) +
                " % of the fuel's energy released, less than " +
                fixed(100 * misfire_combustion_efficiency, 0) +
                " %: efficiencies and phasing are n/a, ringing is not flagged\n";
    } else if (fuel.partial_burn) {
        text += "  PARTIAL BURN: " + fixed(100 * fuel.combustion_efficiency, 1) +
                " % of the fuel's energy released, less than " +
                fixed(100 * full_burn_combustion_efficiency, 0) + " %\n";
    }
    return text;
}

// The partition's opening at each merge: each chamber's pressure change and its rate.
std::string opening_text(const CycleAnalysis& a) {
    std::string text =
        "\nThe partition's opening (pressure change of each chamber over the merge's step)\n";
    const char* names[] = {"first merge", "second merge"};
    for (std::size_t i = 0; i < a.merges.size(); ++i) {
        const Merge& merge = a.merges[i];
        if (merge.step < 0) {
            text += line(names[i], "none", "");
            continue;
        }
        text += line(std::string(names[i]) + ", main chamber",
                     signed_fixed(merge.main_pressure_change, 2),
                     "bar  " + signed_fixed(merge.main_pressure_rate_bar_per_ms, 1) +
                         " bar/ms  at " + fixed(merge.angle_deg, 2) + " deg");
        text += line(std::string(names[i]) + ", auxiliary chamber",
                     signed_fixed(merge.aux_pressure_change, 2),
                     "bar  " + signed_fixed(merge.aux_pressure_rate_bar_per_ms, 1) + " bar/ms");
    }
    return text;
}

// A key of the engine block: the parameter's name with its unit, as the analysis's keys carry
// theirs ("start_temperature_k", "first_split_deg_atdc"); a name that ends in its unit keeps it.
struct UnitKey {
    std::string_view unit, key;
};
constexpr UnitKey unit_keys[] = {
    {"K", "k"},
    {"bar", "bar"},
    {"rpm", "rpm"},
    {"degrees ATDC", "deg_atdc"},
    {"degrees", "deg"},
    {"ms", "ms"},
    {"mm", "mm"},
    {"MJ/kg", "mj_per_kg"},
    {"cal/mol", "cal_per_mol"},
    {"%", "percent"},
    {"drawing units", "drawing_units"},
};

}  // namespace

std::string summary_line(const std::string& what, const std::string& value, std::string unit) {
    if (value == undefined_text) unit.clear();
    char buffer[200];
    // The texts are ours and short; one that did not fit would only be cut.
    (void)std::snprintf(buffer, sizeof buffer, "  %-40s %12s %s", what.c_str(), value.c_str(),
                        unit.c_str());
    std::string text = buffer;
    text.erase(text.find_last_not_of(' ') + 1);
    return text + "\n";
}

std::string engine_json_key(const ParameterInfo& parameter) {
    std::string name(parameter.name);
    if (parameter.unit.empty()) return name;
    for (const UnitKey& unit : unit_keys) {
        if (unit.unit != parameter.unit) continue;
        const std::string suffix = "_" + std::string(unit.key);
        if (name.ends_with(suffix)) return name;
        // An angle's name says ATDC already: first_split_atdc is first_split_deg_atdc.
        if (unit.key == "deg_atdc" && name.ends_with("_atdc")) {
            return name.substr(0, name.size() - 5) + suffix;
        }
        return name + suffix;
    }
    throw std::logic_error("a parameter's unit has no key: " + std::string(parameter.unit));
}

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
    // A model with fuel has figures the scheduled one has not; its keys stay as they were.
    const bool books = a.fuel.present;
    add_merge(metrics, "first_merge", a.merges[0], books);
    add_merge(metrics, "second_merge", a.merges[1], books);
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
    if (books) {
        metrics.push_back({"partial_burn", flag(true, fuel.partial_burn), Metric::Kind::flag});
        metrics.push_back({"displacement_l", fuel.displacement_l});
        metrics.push_back({"fuel_energy_supplied_j_per_l", fuel.fuel_energy});
        metrics.push_back({"heat_lost_j_per_l", fuel.heat_lost});
        for (const ChargeKey& charge : charges) {
            const ChargeEnergy& e = fuel.charges[static_cast<std::size_t>(charge.name)];
            const std::string name = charge.key;
            metrics.push_back({name + "_fuel_supplied_j_per_l", e.supplied});
            metrics.push_back({name + "_fuel_released_j_per_l", e.released});
            metrics.push_back({name + "_heat_lost_j_per_l", e.lost});
        }
        metrics.push_back({"combustion_efficiency", fuel.combustion_efficiency});
        metrics.push_back({"fuel_conversion_efficiency", fuel.fuel_conversion_efficiency});
        metrics.push_back({"thermal_efficiency", fuel.thermal_efficiency});
        metrics.push_back({"booked_work_j_per_l", fuel.booked_work});
        metrics.push_back({"work_difference_j_per_l", fuel.work_difference});
        metrics.push_back({"first_law_residual_j_per_l", fuel.first_law_residual});
    }
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
    // The work is gross (the pumping loops are not modelled): IMEPg, where a model books it so.
    text += line(a.fuel.present ? "IMEPg" : "IMEP", fixed(a.imep_bar, 3), "bar");
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
        const std::string over =
            a.chamber_peaks_in_first_division && charge.name != ChargeName::united
                ? ", 1st division"
                : "";
        text += peak_line(std::string("peak ") + charge.what + " pressure" + over, f.peak_pressure,
                          2, "bar");
        text += peak_line(std::string("peak ") + charge.what + " temperature" + over,
                          f.peak_temperature, 1, "K");
    }
    if (a.fuel.present) {
        text += books_text(a.fuel);
        text += ignition_text(a.fuel);
        text += opening_text(a);
    }
    text += "\nPressure rise and ringing at " + fixed(a.engine_speed_rpm, 0) +
            " rpm (ringing limit " + fixed(ringing_limit_mw_per_m2, 0) + " MW/m2)\n";
    for (const ChargeKey& charge : charges) {
        const ChargeFigures& f = a.*charge.figures;
        const std::string what = std::string(charge.what);
        if (f.max_pressure_rise.step < 0) {
            text += line("largest " + what + " pressure rise", undefined_text, "");
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

namespace {

// The engine's parameters as the JSON gives them. With `units`, each key carries its unit and
// the model's choices are given; without, the keys are the parameters' names, as the scheduled
// model's JSON has always had them.
std::string engine_block_json(const EngineParameters& engine, bool units) {
    std::string json = "  \"engine\": {\n";
    json += "    \"model\": \"" + std::string(engine.model) + "\"";
    if (units) {
        for (const ChoiceInfo& choice : choice_table()) {
            json += ",\n    \"" + std::string(choice.name) + "\": \"" +
                    std::string(engine.*choice.member) + "\"";
        }
    }
    for (const ParameterInfo& info : parameter_table()) {
        const std::string key = units ? engine_json_key(info) : std::string(info.name);
        json += ",\n    \"" + key + "\": " + shortest_text(engine.*info.member);
    }
    return json + "\n  }\n";
}

}  // namespace

std::string summary_json(const CycleAnalysis& a, const EngineParameters& engine) {
    std::string json = "{\n";
    for (const Metric& metric : metrics_of(a)) {
        json += "  \"" + metric.key + "\": " + number_or(metric, "null") + ",\n";
    }
    if (!a.fuel.present) return json + engine_block_json(engine, false) + "}\n";
    json += "  \"ignitions\": [";
    for (std::size_t i = 0; i < a.fuel.ignitions.size(); ++i) {
        const Ignition& ignition = a.fuel.ignitions[i];
        json += std::string(i > 0 ? "," : "") + "\n    {\"charge\": \"" +
                std::string(charge_key(ignition.charge)) +
                "\", \"step\": " + std::to_string(ignition.step) +
                ", \"deg_atdc\": " + shortest_text(ignition.angle_atdc) +
                ", \"fuel_share\": " + shortest_text(ignition.share_of_fuel) +
                ", \"zones\": " + std::to_string(ignition.zones) + "}";
    }
    json += a.fuel.ignitions.empty() ? "],\n" : "\n  ],\n";
    return json + engine_block_json(engine, true) + "}\n";
}

std::string study_csv_header(std::string_view parameter, const EngineParameters& base) {
    std::string header = "# a study of " + std::string(parameter) +
                         "; the engine otherwise: " + changed_parameters(base) + "\n";
    return header + std::string(parameter) + study_csv_columns(base);
}

std::string study_csv_columns(const EngineParameters& base) {
    CycleAnalysis shape;
    const EngineModelEntry* model = find_engine_model(base.model);
    shape.fuel.present = model != nullptr && model->books_fuel;
    std::string columns;
    for (const Metric& metric : metrics_of(shape)) columns += "," + metric.key;
    return columns + "\n";
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
