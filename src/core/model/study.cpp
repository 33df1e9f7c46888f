// SPDX-License-Identifier: MIT
#include "core/model/study.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

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

// Runs analyse(i) for every i below count on every core, the calling thread among them; it
// alone tells the progress, after each of its own. The first failure is kept, and stops the
// rest from starting. A progress that throws (a study called off) stops them too, and its
// exception goes on once every thread has stopped.
void for_each_in_parallel(std::size_t count, const std::function<void(std::size_t)>& analyse,
                          const std::function<void(int, int)>& progress,
                          std::string& first_failure) {
    std::atomic<std::size_t> next = 0;
    std::atomic<int> done = 0;
    std::atomic<bool> failed = false;
    std::mutex failure_lock;
    std::exception_ptr called_off;
    const auto work = [&](bool tells_progress) {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
            try {
                analyse(i);
            } catch (const std::exception& e) {
                const std::lock_guard lock(failure_lock);
                if (!failed.exchange(true)) first_failure = e.what();
            }
            ++done;
            if (!tells_progress) continue;
            try {
                progress(done, static_cast<int>(count));
            } catch (...) {
                called_off = std::current_exception();
                failed = true;
                return;
            }
        }
    };
    const std::size_t helpers =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8) - 1;
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < helpers && t + 1 < count; ++t) {
        try {
            threads.emplace_back(work, false);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer do the work
        }
    }
    work(true);
    threads.clear();  // every helper has stopped
    if (called_off) std::rethrow_exception(called_off);
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
    std::string failure;
    for_each_in_parallel(
        engines.size(), [&](std::size_t i) { study.analyses[i] = analyse_cycle(engines[i]); },
        progress, failure);
    if (!failure.empty()) {
        return StudyProblem{.kind = StudyProblem::Kind::failed, .failure = failure};
    }
    for (std::size_t i = 0; i < engines.size(); ++i) {
        if (const int step = study.analyses[i].first_non_finite_step; step >= 0) {
            return StudyProblem{
                .kind = StudyProblem::Kind::beyond_numbers, .value = study.values[i], .step = step};
        }
    }
    return study;
}

}  // namespace hcci
