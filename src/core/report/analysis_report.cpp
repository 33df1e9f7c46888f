// SPDX-License-Identifier: MIT
#include "core/report/analysis_report.h"

#include <cmath>
#include <cstdio>

#include "core/report/number_text.h"

namespace hcci {
namespace {

struct PeakMetric {
    const char* name;
    const char* unit;
    Peak CycleAnalysis::*peak;
};

constexpr PeakMetric peaks[] = {
    {"peak_united_pressure", "bar", &CycleAnalysis::peak_united_pressure},
    {"peak_united_temperature", "k", &CycleAnalysis::peak_united_temperature},
    {"peak_main_pressure", "bar", &CycleAnalysis::peak_main_pressure},
    {"peak_main_temperature", "k", &CycleAnalysis::peak_main_temperature},
    {"peak_aux_pressure", "bar", &CycleAnalysis::peak_aux_pressure},
    {"peak_aux_temperature", "k", &CycleAnalysis::peak_aux_temperature},
    {"max_united_pressure_rise", "bar_per_deg", &CycleAnalysis::max_united_pressure_rise},
    {"max_main_pressure_rise", "bar_per_deg", &CycleAnalysis::max_main_pressure_rise},
    {"max_aux_pressure_rise", "bar_per_deg", &CycleAnalysis::max_aux_pressure_rise},
};

// A number in the shortest form that reads back, or the given text when it is not defined.
std::string number_or(const Metric& metric, const char* undefined) {
    if (std::isnan(metric.value)) return undefined;
    if (metric.whole) return std::to_string(static_cast<long>(metric.value));
    return shortest_text(metric.value);
}

std::string fixed(double value, int decimals) {
    if (std::isnan(value)) return "not defined";
    return fixed_text(value, decimals);
}

std::string line(const char* what, const std::string& value, const char* unit) {
    char buffer[160];
    // The texts are ours and short; one that did not fit would only be cut.
    (void)std::snprintf(buffer, sizeof buffer, "  %-34s %12s %s\n", what, value.c_str(), unit);
    return buffer;
}

std::string peak_line(const char* what, const Peak& peak, int decimals, const char* unit) {
    if (peak.step < 0) return line(what, "not defined", "");
    return line(what, fixed(peak.value, decimals),
                (std::string(unit) + "  at step " + std::to_string(peak.step) + ", " +
                 fixed(peak.angle_deg, 2) + " deg after TDC")
                    .c_str());
}

}  // namespace

std::vector<Metric> metrics_of(const CycleAnalysis& a) {
    std::vector<Metric> metrics = {
        {"work", a.work, false},
        {"imep_bar", a.imep_bar, false},
        {"heat_release", a.heat_release, false},
        {"indicated_efficiency", a.indicated_efficiency, false},
        {"otto_efficiency", a.otto_efficiency, false},
        {"main_otto_efficiency", a.main_otto_efficiency, false},
        {"aux_otto_efficiency", a.aux_otto_efficiency, false},
        {"compression_ratio", a.compression_ratio, false},
        {"ca10_deg", a.ca10_deg, false},
        {"ca50_deg", a.ca50_deg, false},
        {"ca90_deg", a.ca90_deg, false},
        {"burn_duration_deg", a.burn_duration_deg, false},
    };
    for (const PeakMetric& p : peaks) {
        const Peak& peak = a.*p.peak;
        const bool defined = peak.step >= 0;
        metrics.push_back(
            {std::string(p.name) + "_" + p.unit, defined ? peak.value : not_defined, false});
        metrics.push_back({std::string(p.name) + "_step",
                           defined ? static_cast<double>(peak.step) : not_defined, true});
        metrics.push_back(
            {std::string(p.name) + "_deg", defined ? peak.angle_deg : not_defined, false});
    }
    return metrics;
}

std::string summary_text(const CycleAnalysis& a) {
    std::string text = "One sweep of the engine, 18001 steps (angles after top dead centre)\n\n";
    text += line("gross indicated work", fixed(a.work, 2), "bar x swept height units");
    text += line("IMEP", fixed(a.imep_bar, 3), "bar");
    text += line("apparent heat release", fixed(a.heat_release, 2), "bar x swept height units");
    text += line("indicated efficiency", fixed(a.indicated_efficiency, 4), "");
    text += line("Otto efficiency, united ratio", fixed(a.otto_efficiency, 4),
                 ("(r = " + fixed(a.compression_ratio, 3) + ")").c_str());
    text += line("Otto efficiency, main chamber", fixed(a.main_otto_efficiency, 4), "");
    text += line("Otto efficiency, auxiliary chamber", fixed(a.aux_otto_efficiency, 4), "");
    text += "\n";
    text += line("CA10", fixed(a.ca10_deg, 2), "deg");
    text += line("CA50", fixed(a.ca50_deg, 2), "deg");
    text += line("CA90", fixed(a.ca90_deg, 2), "deg");
    text += line("burn duration (CA90 - CA10)", fixed(a.burn_duration_deg, 2), "deg");
    text += "\n";
    text += peak_line("peak united pressure", a.peak_united_pressure, 2, "bar");
    text += peak_line("peak united temperature", a.peak_united_temperature, 1, "K");
    text += peak_line("peak main pressure", a.peak_main_pressure, 2, "bar");
    text += peak_line("peak main temperature", a.peak_main_temperature, 1, "K");
    text += peak_line("peak auxiliary pressure", a.peak_aux_pressure, 2, "bar");
    text += peak_line("peak auxiliary temperature", a.peak_aux_temperature, 1, "K");
    text += "\n";
    text += peak_line("largest united pressure rise", a.max_united_pressure_rise, 2, "bar/deg");
    text += peak_line("largest main pressure rise", a.max_main_pressure_rise, 2, "bar/deg");
    text += peak_line("largest auxiliary pressure rise", a.max_aux_pressure_rise, 2, "bar/deg");
    return text;
}

std::string summary_json(const CycleAnalysis& a) {
    std::string json = "{\n";
    const std::vector<Metric> metrics = metrics_of(a);
    for (std::size_t i = 0; i < metrics.size(); ++i) {
        json += "  \"" + metrics[i].key + "\": " + number_or(metrics[i], "null");
        json += i + 1 < metrics.size() ? ",\n" : "\n";
    }
    return json + "}\n";
}

std::string study_csv_header(std::string_view parameter) {
    std::string header(parameter);
    for (const Metric& metric : metrics_of(CycleAnalysis{})) header += "," + metric.key;
    return header + "\n";
}

std::string study_csv_row(double value, const CycleAnalysis& a) {
    std::string row = shortest_text(value);
    for (const Metric& metric : metrics_of(a)) row += "," + number_or(metric, "");
    return row + "\n";
}

}  // namespace hcci
