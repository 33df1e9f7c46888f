// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/draw/off_picture.h"
#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"

// What the views add to the texts: a word on traces that leave the picture, and two engines'
// analyses side by side.

namespace hcci {

// "off the picture, which shows up to 155 bar: auxiliary pressure 246.78 bar; see the views",
// one line without its newline; empty when every trace stays in the picture.
std::string off_picture_text(const std::vector<TraceOffPicture>& off);

// Every quantity of the analysis in three columns: the current engine, the baseline and the
// difference (current less baseline). The two engines are named first.
std::string comparison_text(const CycleAnalysis& current, const EngineParameters& current_engine,
                            const CycleAnalysis& baseline, const EngineParameters& baseline_engine);

// The columns' heading and a row of such a comparison: a key, two values and, with
// `difference`, the first less the second (an angle to 0.01 degree, else six digits; "-" where
// a value is not defined).
std::string comparison_heading(const std::string& first, const std::string& second);
std::string comparison_row(const std::string& key, double a, double b, bool difference = true);

// "predictive model, 1200 rpm, φ 0.3, intake 323 K": the engine and the conditions a plot's
// title names (φ where the model reads it), each number to four significant digits.
std::string engine_conditions_text(const EngineParameters& engine);

// How a comparison names an engine: its parameter file's name (without its folders), "the
// defaults", and the settings given after either.
std::string engine_source_name(const std::optional<std::string>& file,
                               const std::vector<std::string>& settings);

}  // namespace hcci
