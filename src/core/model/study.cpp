// SPDX-License-Identifier: MIT
#include "core/model/study.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

namespace hcci {
namespace {

std::optional<double> parse_number(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The places after the point that FROM and STEP need, when both are decimals of at most nine:
// the values are then counted in whole units of the last place, so that 1.2 plus twice 0.0004
// is 1.2008, not 1.2007999999999999.
std::optional<int> decimal_places(const StudyRange& range) {
    double scale = 1;
    for (int places = 0; places <= 9; ++places, scale *= 10) {
        const auto whole = [scale](double v) {
            const double scaled = v * scale;
            // Within the rounding of the product; a value of no whole units (1e-320) is none.
            return std::abs(scaled) < 1e15 &&
                   std::abs(scaled - std::round(scaled)) <= 1e-12 * std::abs(scaled);
        };
        if (whole(range.from) && whole(range.step)) return places;
    }
    return std::nullopt;
}

std::string value_named(const std::string& name, double value) {
    return "parameter " + name + " = " + shortest_text(value);
}

}  // namespace

std::variant<StudyRange, std::string> parse_study_range(std::string_view text) {
    const std::string form = "--vary needs NAME=FROM:TO:STEP, not '" + std::string(text) + "'";
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return form;
    StudyRange range;
    range.name = std::string(text.substr(0, equals));
    if (find_parameter(range.name) == nullptr) {
        return "unknown parameter '" + range.name + "'; the parameters are " + parameter_names();
    }
    std::string_view rest = text.substr(equals + 1);
    double* const fields[] = {&range.from, &range.to, &range.step};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t colon = i < 2 ? rest.find(':') : rest.size();
        if (colon == std::string_view::npos) return form;
        const std::optional<double> value = parse_number(rest.substr(0, colon));
        if (!value) return form;
        *fields[i] = *value;
        rest.remove_prefix(std::min(colon + 1, rest.size()));
    }
    if (!(range.step > 0) || range.to < range.from) {
        return "--vary " + std::string(text) + ": the step must be above 0 and FROM not above TO";
    }
    return range;
}

std::variant<std::vector<double>, std::string> study_values(const StudyRange& range) {
    const double steps = (range.to - range.from) / range.step;
    // A whole number of steps, give or take rounding, ends on TO; otherwise TO comes after the
    // last whole step.
    const double whole = std::floor(steps + 1e-9);
    const bool ends_on_a_step = steps - whole < 1e-9;
    const double count = whole + (ends_on_a_step ? 1 : 2);
    if (count > static_cast<double>(largest_study)) {
        return "--vary " + range.name + ": more than " + std::to_string(largest_study) + " values";
    }
    const std::optional<int> places = decimal_places(range);
    const double unit = places ? std::pow(10.0, *places) : 1;
    const auto value = [&](double i) {
        if (!places) return range.from + i * range.step;
        return (std::round(range.from * unit) + i * std::round(range.step * unit)) / unit;
    };
    std::vector<double> values;
    for (std::size_t i = 0; static_cast<double>(i) < whole; ++i) {
        values.push_back(value(static_cast<double>(i)));
    }
    if (!ends_on_a_step) values.push_back(value(whole));
    values.push_back(range.to);
    return values;
}

std::variant<Study, std::string> run_study(const EngineParameters& base, const StudyRange& range,
                                           const std::function<void(int, int)>& progress) {
    auto values = study_values(range);
    if (const auto* problem = std::get_if<std::string>(&values)) return *problem;
    Study study;
    study.parameter = range.name;
    study.values = std::move(std::get<std::vector<double>>(values));
    const ParameterInfo& info = *find_parameter(range.name);
    std::vector<EngineParameters> engines(study.values.size(), base);
    for (std::size_t i = 0; i < engines.size(); ++i) {
        engines[i].*info.member = study.values[i];
        if (auto problem = check_parameter_values(engines[i])) {
            return "the study stops at " + value_named(range.name, study.values[i]) + ": " +
                   *problem;
        }
    }
    // The cycles are independent of one another: one share for each core.
    study.analyses.resize(engines.size());
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::atomic<int> done = 0;
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (std::size_t i = w; i < engines.size(); i += workers) {
                study.analyses[i] = analyse_cycle(engines[i]);
                ++done;
            }
        });
    }
    // The progress is told from this thread, now and then.
    const int all = static_cast<int>(engines.size());
    while (done < all) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        progress(done, all);
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t i = 0; i < engines.size(); ++i) {
        if (study.analyses[i].first_non_finite_step >= 0) {
            return "the study stops at " + value_named(range.name, study.values[i]) +
                   ": these parameters carry the model beyond the range of numbers at step " +
                   std::to_string(study.analyses[i].first_non_finite_step);
        }
    }
    return study;
}

}  // namespace hcci
