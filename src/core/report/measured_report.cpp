// SPDX-License-Identifier: MIT
#include "core/report/measured_report.h"

#include <cmath>
#include <cstdio>

#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/view_text.h"

namespace hcci {
namespace {

constexpr const char* undefined_text = "n/a";

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) return undefined_text;
    return fixed_text(value, decimals);
}

std::string where(const Peak& peak) {
    return "at row " + std::to_string(peak.step + 1) + ", " + fixed(peak.angle_deg, 2) + " deg";
}

std::string peak_line(const std::string& what, const Peak& peak, int decimals, const char* unit) {
    if (peak.step < 0) return summary_line(what, undefined_text, "");
    return summary_line(what, fixed(peak.value, decimals), std::string(unit) + "  " + where(peak));
}

void add_peak(std::vector<Metric>& metrics, const std::string& name, const char* unit,
              const Peak& peak) {
    const bool defined = peak.step >= 0;
    metrics.push_back({name + "_" + unit, defined ? peak.value : not_defined});
    metrics.push_back({name + "_deg_atdc", defined ? peak.angle_deg : not_defined});
}

// A JSON string: the name in quotes, its quotes, backslashes and control characters escaped.
std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            (void)std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string json_number(const Metric& metric) {
    if (std::isnan(metric.value)) return "null";
    switch (metric.kind) {
        case Metric::Kind::whole:
            return std::to_string(static_cast<long long>(metric.value));
        case Metric::Kind::flag:
            return metric.value != 0 ? "true" : "false";
        case Metric::Kind::number:
            break;
    }
    return shortest_text(metric.value);
}

}  // namespace

std::vector<Metric> measured_metrics(const MeasuredAnalysis& m) {
    std::vector<Metric> metrics = {
        {"from_deg_atdc", m.from_deg},
        {"to_deg_atdc", m.to_deg},
        {"rows", static_cast<double>(m.rows), Metric::Kind::whole},
        {"work_j_per_l", m.work},
        {"imep_bar", m.imep_bar},
        {"heat_release_j_per_l", m.heat_release},
        {"ca10_deg_atdc", m.ca10_deg},
        {"ca50_deg_atdc", m.ca50_deg},
        {"ca90_deg_atdc", m.ca90_deg},
        {"burn_duration_deg", m.burn_duration_deg},
    };
    const ChargeFigures& f = m.figures;
    add_peak(metrics, "peak_pressure", "bar", f.peak_pressure);
    add_peak(metrics, "peak_temperature", "k", f.peak_temperature);
    add_peak(metrics, "max_pressure_rise", "bar_per_deg", f.max_pressure_rise);
    metrics.push_back({"max_pressure_rise_bar_per_ms", f.max_pressure_rise_bar_per_ms});
    metrics.push_back({"engine_speed_rpm", m.engine_speed_rpm});
    metrics.push_back({"ringing_mw_per_m2", f.ringing_mw_per_m2});
    metrics.push_back(
        {"over_ringing_limit",
         std::isnan(f.ringing_mw_per_m2) ? not_defined : (f.over_ringing_limit ? 1.0 : 0.0),
         Metric::Kind::flag});
    return metrics;
}

std::string measured_summary_text(const MeasuredAnalysis& m, std::string_view name) {
    const std::string covered = fixed(m.from_deg, 2) + " to " + fixed(m.to_deg, 2) + " deg";
    std::string text = "\nMeasured trace " + std::string(name) + ": " + std::to_string(m.rows) +
                       " rows, " + covered +
                       (m.whole_cycle ? " (the whole cycle)" : " (a part of the cycle)") +
                       ", analysed with the engine's geometry and charge\n";
    text += summary_line("gross indicated work, " + covered, fixed(m.work, 2), "J/L");
    text += summary_line("IMEPg, " + covered, fixed(m.imep_bar, 3), "bar");
    text += summary_line("apparent heat release (single zone)", fixed(m.heat_release, 2), "J/L");
    text += summary_line("CA10", fixed(m.ca10_deg, 2), "deg");
    text += summary_line("CA50", fixed(m.ca50_deg, 2), "deg");
    text += summary_line("CA90", fixed(m.ca90_deg, 2), "deg");
    text += summary_line("burn duration (CA90 - CA10)", fixed(m.burn_duration_deg, 2), "deg");
    const ChargeFigures& f = m.figures;
    text += peak_line("peak pressure", f.peak_pressure, 2, "bar");
    text += peak_line("peak temperature (ideal gas)", f.peak_temperature, 1, "K");
    const std::string at_speed = " at " + fixed(m.engine_speed_rpm, 0) + " rpm";
    if (f.max_pressure_rise.step < 0) {
        text += summary_line("largest pressure rise", undefined_text, "");
        return text;
    }
    text += summary_line("largest pressure rise", fixed(f.max_pressure_rise.value, 2),
                         "bar/deg  " + fixed(f.max_pressure_rise_bar_per_ms, 2) + " bar/ms  " +
                             where(f.max_pressure_rise));
    text += summary_line("ringing intensity" + at_speed, fixed(f.ringing_mw_per_m2, 2),
                         std::string("MW/m2") + (f.over_ringing_limit ? "  over the limit" : ""));
    return text;
}

std::string with_measured_json(const std::string& model_json, const MeasuredAnalysis& measured,
                               std::string_view name) {
    std::string block = ",\n  \"measured\": {\n    \"file\": " + json_string(name);
    for (const Metric& metric : measured_metrics(measured)) {
        block += ",\n    \"" + metric.key + "\": " + json_number(metric);
    }
    block += "\n  }\n}\n";
    // The model's object ends "  }\n}\n" (its engine block, then its own brace).
    const std::size_t end = model_json.rfind("\n}");
    return model_json.substr(0, end) + block;
}

std::string measured_comparison_text(const CycleAnalysis& model, const EngineParameters& engine,
                                     const MeasuredAnalysis& model_read,
                                     const MeasuredAnalysis& measured, std::string_view name) {
    std::string text = "Model:       " + changed_parameters(engine) + "\n" +
                       "Measurement: " + std::string(name) + ", " + fixed(measured.from_deg, 2) +
                       " to " + fixed(measured.to_deg, 2) + " deg, " +
                       std::to_string(measured.rows) + " rows\n";
    text +=
        "(both read as one pressure on the piston, a single zone: the model's own trace, and "
        "the measurement; the model's own CA10, CA50, CA90: " +
        fixed(model.ca10_deg, 2) + ", " + fixed(model.ca50_deg, 2) + ", " +
        fixed(model.ca90_deg, 2) + " deg)\n";
    text += "\n" + comparison_heading("model", "measured");
    const std::vector<Metric> model_metrics = measured_metrics(model_read);
    for (const Metric& metric : measured_metrics(measured)) {
        // What each covers is in the heading.
        if (metric.key == "from_deg_atdc" || metric.key == "to_deg_atdc" || metric.key == "rows") {
            continue;
        }
        for (const Metric& own : model_metrics) {
            if (own.key != metric.key) continue;
            text += comparison_row(metric.key, own.value, metric.value,
                                   metric.kind != Metric::Kind::flag);
            break;
        }
    }
    return text;
}

}  // namespace hcci
