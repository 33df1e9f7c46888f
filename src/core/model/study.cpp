// SPDX-License-Identifier: MIT
#include "core/model/study.h"

#include <cmath>

#include "core/model/cycle_record.h"
#include "core/model/parallel_loop.h"

namespace hcci {
namespace {

// The places after the point that FROM and STEP need, when both are decimals of at most nine
// (each the double nearest to its whole units of the last place over the place's power of
// ten): the values are then counted in those units, so that 1.2 plus twice 0.0004 is 1.2008,
// not 1.2007999999999999. A FROM such as 1.000000000000001 needs more, and is kept as given.
std::optional<int> decimal_places(const StudyRange& range) {
    double scale = 1;
    for (int places = 0; places <= 9; ++places, scale *= 10) {
        const auto whole = [scale](double v) {
            const double units = std::round(v * scale);
            return std::abs(units) < 1e15 && units / scale == v;
        };
        if (whole(range.from) && whole(range.step)) return places;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<double>> study_values(const StudyRange& range) {
    if (range.from == range.to) return std::vector<double>{range.from};
    const double steps = (range.to - range.from) / range.step;
    // FROM and every whole step after it; a last step that lands on TO, give or take rounding,
    // is TO itself, and otherwise TO comes after it. Both ends are always values.
    const double whole = std::floor(steps + 1e-9);
    const bool ends_on_a_step = whole >= 1 && steps - whole < 1e-9;
    const double count = whole + (ends_on_a_step ? 1 : 2);
    if (count > static_cast<double>(largest_study)) return std::nullopt;
    const std::optional<int> places = decimal_places(range);
    const double unit = places ? std::pow(10.0, *places) : 1;
    const auto value = [&](double i) {
        if (i == 0) return range.from;
        if (!places) return range.from + i * range.step;
        return (std::round(range.from * unit) + i * std::round(range.step * unit)) / unit;
    };
    std::vector<double> values;
    for (std::size_t i = 0; static_cast<double>(i) <= whole; ++i) {
        values.push_back(value(static_cast<double>(i)));
    }
    if (ends_on_a_step) {
        values.back() = range.to;
    } else {
        values.push_back(range.to);
    }
    return values;
}

std::variant<Study, StudyProblem> run_study(const EngineParameters& base, const StudyRange& range,
                                            const std::function<void(int, int)>& progress) {
    auto values = study_values(range);
    if (!values) return StudyProblem{.kind = StudyProblem::Kind::too_many_values};
    // A step below what the numbers near FROM and TO can tell apart gives a value twice.
    for (std::size_t i = 1; i < values->size(); ++i) {
        if (!((*values)[i] > (*values)[i - 1])) {
            return StudyProblem{.kind = StudyProblem::Kind::values_not_apart,
                                .value = (*values)[i]};
        }
    }
    Study study;
    study.parameter = range.parameter;
    study.values = std::move(*values);
    std::vector<EngineParameters> engines(study.values.size(), base);
    for (std::size_t i = 0; i < engines.size(); ++i) {
        engines[i].*range.parameter->member = study.values[i];
        if (auto problem = check_parameter_values(engines[i])) {
            return StudyProblem{.kind = StudyProblem::Kind::refused_value,
                                .value = study.values[i],
                                .problem = problem};
        }
    }
    study.analyses.resize(engines.size());
    const std::optional<std::string> failure = run_in_parallel(
        engines.size(),
        [&](std::size_t i) {
            thread_local CycleRecord record;  // each thread's rows, filled again for every value
            run_cycle(engines[i], record);
            study.analyses[i] = analyse_cycle(record);
        },
        progress);
    if (failure) return StudyProblem{.kind = StudyProblem::Kind::failed, .failure = *failure};
    for (std::size_t i = 0; i < engines.size(); ++i) {
        if (const int step = study.analyses[i].first_non_finite_step; step >= 0) {
            return StudyProblem{
                .kind = StudyProblem::Kind::beyond_numbers, .value = study.values[i], .step = step};
        }
    }
    return study;
}

}  // namespace hcci
