// SPDX-License-Identifier: MIT
#include "core/report/view_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/model/engine_model.h"
#include "core/report/analysis_report.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {
namespace {

// An angle (or a span of angles) to a hundredth of a degree; anything else to six significant
// digits of the larger of the two engines' values: enough to read a difference by, short enough
// for a column, and a difference that is float noise reads 0.
std::string column(const std::string& key, double value, double magnitude) {
    if (std::isnan(value)) return "-";
    const bool angle = key.ends_with("_deg_atdc") || key.ends_with("_duration_deg");
    if (angle) return rounded_text(value, 2);
    return significant_text(value, 6, magnitude);
}

std::string row(const std::string& key, const std::string& a, const std::string& b,
                const std::string& c) {
    char buffer[200];
    (void)std::snprintf(buffer, sizeof buffer, "  %-40s %14s %14s %14s", key.c_str(), a.c_str(),
                        b.c_str(), c.c_str());
    return std::string(buffer) + "\n";
}

// Four significant digits, as a title reads a number: 1200, 0.35, 323.1.
std::string readable(double value) {
    char buffer[32];
    (void)std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

bool reads(const EngineParameters& engine, std::string_view parameter) {
    const EngineModelEntry* model = find_engine_model(engine.model);
    return model != nullptr &&
           std::any_of(model->parameters.begin(), model->parameters.end(),
                       [parameter](const ParameterInfo& p) { return p.name == parameter; });
}

}  // namespace

std::string engine_conditions_text(const EngineParameters& engine) {
    std::string text =
        std::string(engine.model) + " model, " + readable(engine.engine_speed) + " rpm";
    if (reads(engine, "equivalence_ratio"))
        text += ", \u03c6 " + readable(engine.equivalence_ratio);
    return text + ", intake " + readable(engine.start_temperature) + " K";
}

std::string engine_source_name(const std::optional<std::string>& file,
                               const std::vector<std::string>& settings) {
    std::string name = "the defaults";
    if (file)
        name = file->substr(
            file->find_last_of('/') == std::string::npos ? 0 : file->find_last_of('/') + 1);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        name += (i == 0 ? " with " : ", ") + settings[i];
    }
    return name;
}

std::string off_picture_text(const std::vector<TraceOffPicture>& off) {
    if (off.empty()) return {};
    double pressure_top = 0, temperature_top = 0;
    std::string beyond;
    for (const TraceOffPicture& t : off) {
        const bool pressure = is_pressure(t.trace);
        (pressure ? pressure_top : temperature_top) = t.picture_top;
        beyond += (beyond.empty() ? "" : ", ") + std::string(trace_name(t.trace)) + " " +
                  fixed_text(t.largest, pressure ? 2 : 1) + (pressure ? " bar" : " K");
    }
    std::string tops;
    if (pressure_top > 0) tops = fixed_text(pressure_top, 0) + " bar";
    if (temperature_top > 0)
        tops += (tops.empty() ? "" : " and ") + fixed_text(temperature_top, 0) + " K";
    return "off the picture, which shows up to " + tops + ": " + beyond + "; see the views";
}

std::string comparison_text(const CycleAnalysis& current, const EngineParameters& current_engine,
                            const CycleAnalysis& baseline,
                            const EngineParameters& baseline_engine) {
    std::string text = "Current engine:  " + changed_parameters(current_engine) + "\n" +
                       "Baseline engine: " + changed_parameters(baseline_engine) + "\n\n";
    text += comparison_heading("current", "baseline");
    const std::vector<Metric> now = metrics_of(current);
    const std::vector<Metric> before = metrics_of(baseline);
    for (std::size_t i = 0; i < now.size() && i < before.size(); ++i) {
        text += comparison_row(now[i].key, now[i].value, before[i].value,
                               now[i].kind != Metric::Kind::flag);
    }
    return text;
}

std::string comparison_heading(const std::string& first, const std::string& second) {
    return row("", first, second, "difference");
}

std::string comparison_row(const std::string& key, double a, double b, bool difference) {
    const double larger = std::max(std::abs(a), std::abs(b));
    return row(key, column(key, a, a), column(key, b, b),
               difference ? column(key, a - b, larger) : "");
}

}  // namespace hcci
