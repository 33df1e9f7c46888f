// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"
#include "core/model/measured_trace.h"
#include "core/report/analysis_report.h"

// A measured trace's analysis as the summary gives the model's: a text after the model's, a
// block of the JSON, and the two in columns.

namespace hcci {

// Every quantity of the measured trace's analysis, each key with its unit as the summary's.
std::vector<Metric> measured_metrics(const MeasuredAnalysis& measured);

// The trace's figures in the summary's style, headed by its name (the file's).
std::string measured_summary_text(const MeasuredAnalysis& measured, std::string_view name);

// The model's JSON with a "measured" object of the trace's keys (its name among them) last.
std::string with_measured_json(const std::string& model_json, const MeasuredAnalysis& measured,
                               std::string_view name);

// The model against the measurement in columns, like for like: the model's own trace read as the
// measurement is (model_read, of piston_trace), the measurement, and the difference (the model
// less the measurement); the model's own phasing beside them.
std::string measured_comparison_text(const CycleAnalysis& model, const EngineParameters& engine,
                                     const MeasuredAnalysis& model_read,
                                     const MeasuredAnalysis& measured, std::string_view name);

}  // namespace hcci
