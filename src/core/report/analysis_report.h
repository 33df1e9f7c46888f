// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"

// The analysis of a cycle as text: a readable summary, JSON, and rows of a study's CSV. Every
// quantity has one key, the same in all three, and every key carries its unit (_j_per_l,
// _bar, _k, _deg_atdc for an angle, _deg for a span of angle, _bar_per_ms, _mw_per_m2, _rpm,
// _step); a ratio or an efficiency has none.

namespace hcci {

struct Metric {
    enum class Kind { number, whole, flag };
    std::string key;  // e.g. "imep_bar", "peak_aux_pressure_step"
    double value;     // NaN when not defined; 0 or 1 for a flag
    Kind kind = Kind::number;
};

// The key of a parameter in the JSON's engine block: its name with its unit, as the analysis's
// keys carry theirs ("start_temperature_k", "first_split_deg_atdc", "bore_mm").
std::string engine_json_key(const ParameterInfo& parameter);

// A line of the summary: what, the value in a column, its unit; a value "n/a" goes without it.
std::string summary_line(const std::string& what, const std::string& value, std::string unit);

// Every quantity of the analysis, in a fixed order.
std::vector<Metric> metrics_of(const CycleAnalysis& analysis);

// The engine the analysis is of: "the defaults" or the parameters that differ from them.
std::string summary_text(const CycleAnalysis& analysis, const EngineParameters& engine);
// Every key, then "engine": every parameter of it.
std::string summary_json(const CycleAnalysis& analysis, const EngineParameters& engine);

// The study's CSV: a comment line naming the study and the engine, then a header of the
// varied parameter's name and every key; a row per value.
std::string study_csv_header(std::string_view parameter, const EngineParameters& base);
std::string study_csv_row(double value, const CycleAnalysis& analysis);
// The analysis's keys as a study's and a map's rows give them: ",work_j_per_l,...", and the
// line's end.
std::string study_csv_columns(const EngineParameters& base);

}  // namespace hcci
