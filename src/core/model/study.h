// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"

// A parameter study: the analysis of the cycle for each value of one parameter.

namespace hcci {

inline constexpr std::size_t largest_study = 10000;

struct StudyRange {
    const ParameterInfo* parameter = nullptr;
    double from = 0, to = 0, step = 0;  // step > 0, from <= to
};

// FROM, FROM + STEP, ... and TO itself: both ends included; nothing when that is more than
// largest_study values.
std::optional<std::vector<double>> study_values(const StudyRange& range);

struct Study {
    const ParameterInfo* parameter = nullptr;
    std::vector<double> values;
    std::vector<CycleAnalysis> analyses;  // one for each value
};

// Why a study stops, with nothing made.
struct StudyProblem {
    enum class Kind {
        too_many_values,   // more than largest_study
        values_not_apart,  // the step is too small for the numbers: value comes twice
        refused_value,     // the value, on top of the base, breaks a rule: problem
        beyond_numbers,    // the value's cycle leaves the range of numbers at step
        failed,            // the analysis of the value failed: failure
    };
    Kind kind;
    double value = 0;
    std::optional<ParameterProblem> problem = {};
    int step = -1;
    std::string failure = {};
};

// Every value on top of the base parameters, each engine checked whole first; the cycles are
// then analysed on every core. progress(done, all) is told now and then, from the calling
// thread.
std::variant<Study, StudyProblem> run_study(
    const EngineParameters& base, const StudyRange& range,
    const std::function<void(int, int)>& progress = [](int, int) {});

}  // namespace hcci
