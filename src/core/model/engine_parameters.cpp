// SPDX-License-Identifier: MIT
#include "core/model/engine_parameters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

constexpr ParameterRange open_above_one(double highest) {
    return {1, false, highest, true};
}
// Every angle lies within the sweep.
constexpr ParameterRange sweep_angle{-90, false, 270, false};
constexpr ParameterRange ignition_angle{-90, true, 270, true};

using P = EngineParameters;

const std::array<ParameterInfo, parameter_count> table{{
    {"main_compression_ratio", &P::main_compression_ratio, "",
     "compression ratio of the main chamber", open_above_one(100), ""},
    {"aux_compression_ratio", &P::aux_compression_ratio, "",
     "compression ratio of the auxiliary chamber", open_above_one(200), ""},
    {"main_share",
     &P::main_share,
     "",
     "share of the piston area over the main chamber",
     {0, false, 1, false},
     ""},
    {"rod_length",
     &P::rod_length,
     "drawing units",
     "connecting rod; the crank radius is 50, the stroke 100",
     {50, false, 1000, true},
     ""},
    {"gamma", &P::gamma, "", "ratio of specific heats of the charge", open_above_one(1.67), ""},
    {"start_temperature",
     &P::start_temperature,
     "K",
     "temperature at bottom dead centre",
     {0, false, 1000, true},
     ""},
    {"first_split_angle", &P::first_split_angle, "degrees", "the chambers divide at or after it",
     sweep_angle, "first_split_angle <= first_merge_angle"},
    {"first_merge_angle", &P::first_merge_angle, "degrees", "last angle of the first division",
     sweep_angle, "first_merge_angle < second_split_angle"},
    {"second_split_angle", &P::second_split_angle, "degrees", "last angle of the united combustion",
     sweep_angle, "second_split_angle <= second_merge_angle"},
    {"second_merge_angle", &P::second_merge_angle, "degrees", "last angle of the second division",
     sweep_angle, ""},
    {"aux_ignition_start", &P::aux_ignition_start, "degrees",
     "the auxiliary ignition ramp starts here (included)", ignition_angle,
     "aux_ignition_start < aux_ignition_end"},
    {"aux_ignition_end", &P::aux_ignition_end, "degrees",
     "the auxiliary ignition ramp ends here (included)", ignition_angle, ""},
    {"aux_ignition_factor",
     &P::aux_ignition_factor,
     "",
     "full factor of the auxiliary pressure and temperature",
     {1, true, 10, true},
     ""},
    {"main_ignition_start", &P::main_ignition_start, "degrees",
     "the main ignition ramp starts above it", ignition_angle,
     "main_ignition_start < main_ignition_end"},
    {"main_ignition_end", &P::main_ignition_end, "degrees",
     "the main ignition ramp ends here (included)", ignition_angle, ""},
    {"main_ignition_rise",
     &P::main_ignition_rise,
     "",
     "rise of the main charge; times main_share, the rise of the united charge",
     {0, true, 10, true},
     ""},
}};

struct OrderRule {
    double EngineParameters::*lower;
    double EngineParameters::*higher;
    bool equal_allowed;
};

// The order of the schedule; each pair names two parameters of the table.
constexpr OrderRule order_rules[] = {
    {&P::first_split_angle, &P::first_merge_angle, true},
    {&P::first_merge_angle, &P::second_split_angle, false},
    {&P::second_split_angle, &P::second_merge_angle, true},
    {&P::aux_ignition_start, &P::aux_ignition_end, false},
    {&P::main_ignition_start, &P::main_ignition_end, false},
};

std::string_view name_of(double EngineParameters::*member) {
    for (const ParameterInfo& info : table) {
        if (info.member == member) return info.name;
    }
    return {};
}

}  // namespace

bool ParameterRange::contains(double value) const {
    const bool above = lowest_included ? value >= lowest : value > lowest;
    const bool below = highest_included ? value <= highest : value < highest;
    return above && below;
}

std::string ParameterRange::text() const {
    return (lowest_included ? "[" : "(") + shortest_text(lowest) + ", " + shortest_text(highest) +
           (highest_included ? "]" : ")");
}

const std::array<ParameterInfo, parameter_count>& parameter_table() {
    return table;
}

const ParameterInfo* find_parameter(std::string_view name) {
    for (const ParameterInfo& info : table) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

std::string parameter_names() {
    std::string names;
    for (const ParameterInfo& info : table) {
        if (!names.empty()) names += ", ";
        names += info.name;
    }
    return names;
}

std::optional<std::string> check_parameters(const EngineParameters& p) {
    if (auto problem = check_parameter_values(p)) return problem;
    // Values within their ranges can still be extreme enough together (a start temperature of
    // 1e-320 K, say) to carry the model beyond the range of numbers; such a set is refused too.
    if (const int step = first_non_finite_step(make_engine_geometry(p)); step >= 0) {
        return "these parameters (" + changed_parameters(p) +
               ") carry the model beyond the range of numbers at step " + std::to_string(step);
    }
    return std::nullopt;
}

std::optional<std::string> check_parameter_values(const EngineParameters& p) {
    for (const ParameterInfo& info : table) {
        const double value = p.*info.member;
        if (!std::isfinite(value)) {
            return "parameter " + std::string(info.name) + " is not a finite number; allowed is " +
                   info.range.text();
        }
        if (!info.range.contains(value)) {
            return "parameter " + std::string(info.name) + " is " + shortest_text(value) +
                   "; allowed is " + info.range.text();
        }
    }
    for (const OrderRule& rule : order_rules) {
        const double lower = p.*rule.lower;
        const double higher = p.*rule.higher;
        if (rule.equal_allowed ? lower <= higher : lower < higher) continue;
        // Either may be the one just set: both are named, with the rule they break.
        std::string message = "parameters ";
        message += name_of(rule.lower);
        message += " = " + shortest_text(lower) + " and ";
        message += name_of(rule.higher);
        message += " = " + shortest_text(higher) + " break the rule ";
        message += name_of(rule.lower);
        message += rule.equal_allowed ? " <= " : " < ";
        message += name_of(rule.higher);
        return message;
    }
    return phase_without_step(p);
}

std::optional<std::string> phase_without_step(const EngineParameters& p) {
    // Between two angles that enclose no step of the sweep, a division or the united charge
    // between the divisions would never run, and the state it hands on would never be made.
    // The phases as phase_of tells them: the first division from its split angle (included),
    // each later stretch from above the angle before; each up to its own angle (included).
    struct Stretch {
        double EngineParameters::*from;
        bool from_included;
        double EngineParameters::*to;
        const char* what;
    };
    constexpr Stretch stretches[] = {
        {&P::first_split_angle, true, &P::first_merge_angle, "the first division"},
        {&P::first_merge_angle, false, &P::second_split_angle,
         "the united charge between the divisions"},
        {&P::second_split_angle, false, &P::second_merge_angle, "the second division"},
    };
    static const std::vector<double> angles = [] {
        std::vector<double> all;
        for (double a = sweep_start_angle; within_sweep(a); a = a + angle_step) all.push_back(a);
        return all;
    }();
    for (const Stretch& s : stretches) {
        const double from = p.*s.from;
        const auto first = s.from_included ? std::lower_bound(angles.begin(), angles.end(), from)
                                           : std::upper_bound(angles.begin(), angles.end(), from);
        if (first != angles.end() && *first <= p.*s.to) continue;
        return "parameters " + std::string(name_of(s.from)) + " = " + shortest_text(from) +
               " and " + std::string(name_of(s.to)) + " = " + shortest_text(p.*s.to) +
               " leave no crank step (steps are 0.02 degrees apart) to " + s.what;
    }
    return std::nullopt;
}

std::string changed_parameters(const EngineParameters& p) {
    const EngineParameters defaults;
    std::string text;
    for (const ParameterInfo& info : table) {
        if (p.*info.member == defaults.*info.member) continue;
        if (!text.empty()) text += ", ";
        text += std::string(info.name) + " = " + shortest_text(p.*info.member);
    }
    return text.empty() ? "the defaults" : text;
}

std::string shortest_text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace hcci
