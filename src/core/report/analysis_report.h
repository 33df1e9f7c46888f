// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_analysis.h"

// The analysis of a cycle as text: a readable summary, JSON, and rows of a study's CSV. Every
// quantity has one key, the same in all three.

namespace hcci {

struct Metric {
    std::string key;  // e.g. "imep_bar", "peak_aux_pressure_step"
    double value;     // NaN when not defined
    bool whole;       // a step: written without a fraction
};

// Every quantity of the analysis, in a fixed order.
std::vector<Metric> metrics_of(const CycleAnalysis& analysis);

std::string summary_text(const CycleAnalysis& analysis);
std::string summary_json(const CycleAnalysis& analysis);

// The study's CSV: the varied parameter's name, then every key; a row per value.
std::string study_csv_header(std::string_view parameter);
std::string study_csv_row(double value, const CycleAnalysis& analysis);

}  // namespace hcci
