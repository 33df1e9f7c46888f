// SPDX-License-Identifier: MIT
#include "core/report/parameter_messages.h"

#include "core/report/number_text.h"

namespace hcci {
namespace {

std::string value_of(const ParameterInfo& parameter, const EngineParameters& parameters) {
    return std::string(parameter.name) + " = " + shortest_text(parameters.*parameter.member);
}

}  // namespace

std::string range_text(const ParameterRange& range) {
    return (range.lowest_included ? "[" : "(") + shortest_text(range.lowest) + ", " +
           shortest_text(range.highest) + (range.highest_included ? "]" : ")");
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

std::string parameter_names() {
    std::string names;
    for (const ParameterInfo& parameter : parameter_table()) {
        if (!names.empty()) names += ", ";
        names += parameter.name;
    }
    return names;
}

std::string changed_parameters(const EngineParameters& parameters) {
    const EngineParameters defaults;
    std::string text;
    for (const ParameterInfo& parameter : parameter_table()) {
        if (parameters.*parameter.member == defaults.*parameter.member) continue;
        if (!text.empty()) text += ", ";
        text += value_of(parameter, parameters);
    }
    return text.empty() ? "the defaults" : text;
}

std::string problem_text(const ParameterProblem& problem) {
    const EngineParameters& p = problem.parameters;
    switch (problem.kind) {
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

}  // namespace hcci
