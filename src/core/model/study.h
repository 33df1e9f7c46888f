// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"

// A parameter study: the analysis of the cycle for each value of one parameter.

namespace hcci {

inline constexpr std::size_t largest_study = 10000;

struct StudyRange {
    std::string name;
    double from = 0, to = 0, step = 0;
};

// NAME=FROM:TO:STEP; the reason when it is not one.
std::variant<StudyRange, std::string> parse_study_range(std::string_view text);

// FROM, FROM + STEP, ... and TO itself: both ends included, at most largest_study values.
std::variant<std::vector<double>, std::string> study_values(const StudyRange& range);

struct Study {
    std::string parameter;
    std::vector<double> values;
    std::vector<CycleAnalysis> analyses;  // one for each value
};

// Every value on top of the base parameters, checked first: a value the rules refuse, or one
// whose cycle leaves the range of numbers, stops the study with a message naming it.
// progress(done, all) is told now and then while the cycles are analysed.
std::variant<Study, std::string> run_study(
    const EngineParameters& base, const StudyRange& range,
    const std::function<void(int, int)>& progress = [](int, int) {});

}  // namespace hcci
