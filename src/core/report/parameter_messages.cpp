// SPDX-License-Identifier: MIT
#include "core/report/parameter_messages.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/model/engine_model.h"
#include "core/report/number_text.h"

namespace hcci {
namespace {

// A range's end as a person reads it: a whole number in its digits ("100000", not "1e+05"),
// any other in the shortest text that reads back as the same double.
std::string bound_text(double bound) {
    constexpr double plain_digits = 1e15;
    if (std::abs(bound) < plain_digits && bound == std::trunc(bound)) {
        return std::to_string(static_cast<long long>(bound));
    }
    return shortest_text(bound);
}

std::string value_of(const ParameterInfo& parameter, const EngineParameters& parameters) {
    return std::string(parameter.name) + " = " + shortest_text(parameters.*parameter.member);
}

}  // namespace

std::string range_text(const ParameterRange& range) {
    return (range.lowest_included ? "[" : "(") + bound_text(range.lowest) + ", " +
           bound_text(range.highest) + (range.highest_included ? "]" : ")");
}

std::string rule_text(const ParameterInfo& parameter) {
    std::string text;
    for (const OrderRule& rule : order_rules()) {
        if (rule.lower != &parameter) continue;
        if (!text.empty()) text += ", ";
        text += std::string(rule.lower->name) + (rule.equal_allowed ? " <= " : " < ") +
                std::string(rule.higher->name);
    }
    return text;
}

std::string allowed_text(const ParameterInfo& parameter) {
    return range_text(parameter.range) + (parameter.whole ? ", a whole number" : "");
}

std::string unknown_choice_text(const ChoiceInfo& choice, std::string_view given) {
    return "parameter " + std::string(choice.name) + " = " + quoted(given) + " must be " +
           choice.options_text("or", "");
}

std::string parameter_names() {
    std::string names = "model";
    for (const ChoiceInfo& choice : choice_table()) names += ", " + std::string(choice.name);
    for (const ParameterInfo& parameter : parameter_table()) {
        if (!names.empty()) names += ", ";
        names += parameter.name;
    }
    return names;
}

namespace {

// The edits (a letter put in, taken out or changed) from one name to the other, letters compared
// without their case.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string unknown_parameter_text(std::string_view name) {
    std::string_view nearest = "model";
    std::size_t best = edit_distance(name, nearest);
    const auto consider = [&](std::string_view candidate) {
        const std::size_t distance = edit_distance(name, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    };
    for (const ParameterInfo& parameter : parameter_table()) consider(parameter.name);
    for (const ChoiceInfo& choice : choice_table()) consider(choice.name);
    std::string text = "unknown parameter " + quoted(name);
    // A name so far off suggests nothing: a third of its letters, at most three.
    if (best <= std::min<std::size_t>(3, std::max<std::size_t>(1, nearest.size() / 3))) {
        text += " (did you mean " + std::string(nearest) + "?)";
    }
    return text + "; hcci-cycle-export params lists them all";
}

std::string changed_parameters(const EngineParameters& parameters) {
    const EngineParameters defaults = model_defaults(parameters.model).value_or(EngineParameters{});
    std::string text;
    if (parameters.model != EngineParameters{}.model) {
        text = "model = " + std::string(parameters.model);
    }
    for (const ChoiceInfo& choice : choice_table()) {
        if (parameters.*choice.member == defaults.*choice.member) continue;
        if (!text.empty()) text += ", ";
        text += std::string(choice.name) + " = " + std::string(parameters.*choice.member);
    }
    for (const ParameterInfo& parameter : parameter_table()) {
        if (parameters.*parameter.member == defaults.*parameter.member) continue;
        if (!text.empty()) text += ", ";
        text += value_of(parameter, parameters);
    }
    return text.empty() ? "the defaults" : text;
}

std::string unknown_model_text(std::string_view name) {
    return "parameter model = " + quoted(name) + " is not a model; the models are " +
           model_names_text();
}

std::string problem_text(const ParameterProblem& problem) {
    const EngineParameters& p = problem.parameters;
    switch (problem.kind) {
        case ProblemKind::unknown_model:
            return unknown_model_text(p.model);
        case ProblemKind::unknown_choice:
            return unknown_choice_text(*problem.choice, p.*problem.choice->member);
        case ProblemKind::not_whole:
            return "parameter " + std::string(problem.parameter->name) + " is " +
                   shortest_text(p.*problem.parameter->member) + "; allowed is " +
                   allowed_text(*problem.parameter);
        case ProblemKind::not_finite:
            return "parameter " + std::string(problem.parameter->name) +
                   " is not a finite number; allowed is " + range_text(problem.parameter->range);
        case ProblemKind::out_of_range:
            return "parameter " + std::string(problem.parameter->name) + " is " +
                   shortest_text(p.*problem.parameter->member) + "; allowed is " +
                   range_text(problem.parameter->range);
        case ProblemKind::broken_order:
            // Either may be the one just set: both are named, with the rule they break.
            return "parameters " + value_of(*problem.parameter, p) + " and " +
                   value_of(*problem.other, p) + " break the rule " +
                   std::string(problem.parameter->name) + (problem.equal_allowed ? " <= " : " < ") +
                   std::string(problem.other->name);
        case ProblemKind::phase_without_step:
            return "parameters " + value_of(*problem.parameter, p) + " and " +
                   value_of(*problem.other, p) +
                   " leave no crank step (steps are 0.02 degrees apart) to " +
                   std::string(problem.stretch);
        case ProblemKind::beyond_numbers:
            return "these parameters (" + changed_parameters(p) +
                   ") carry the model beyond the range of numbers at step " +
                   std::to_string(problem.step);
    }
    return "these parameters cannot make a cycle";
}

std::optional<std::string> parameter_problem(const EngineParameters& parameters) {
    if (auto problem = check_parameters(parameters)) return problem_text(*problem);
    return std::nullopt;
}

std::variant<SharedRecord, std::string> checked_cycle(const EngineParameters& parameters) {
    CheckedCycle checked = run_checked_cycle(parameters);
    if (checked.problem) return problem_text(*checked.problem);
    return std::make_shared<const CycleRecord>(std::move(*checked.record));
}

}  // namespace hcci
