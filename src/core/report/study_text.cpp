// SPDX-License-Identifier: MIT
#include "core/report/study_text.h"

#include <algorithm>
#include <cmath>

#include "core/model/sweep.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/parameter_text.h"

namespace hcci {

std::variant<StudyRange, std::string> parse_study_range(std::string_view text,
                                                        std::vector<std::string>* notices,
                                                        std::string_view option_name) {
    const std::string option(option_name);
    const std::string form = option + " needs NAME=FROM:TO:STEP, not '" + std::string(text) + "'";
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return form;
    StudyRange range;
    const std::string_view name = text.substr(0, equals);
    range.parameter = find_parameter(name);
    const ParameterInfo* former = former_angle_parameter(name);
    if (former != nullptr) range.parameter = former;
    if (name == "model") {
        return option + " takes a number, and the model is named: study each with --set model=NAME";
    }
    if (const ChoiceInfo* choice = find_choice(name)) {
        return option + " takes a number, and " + std::string(name) +
               " is named: study each with --set " + std::string(name) + "=" +
               choice->options_text("or", "");
    }
    if (range.parameter == nullptr) {
        return unknown_parameter_text(name);
    }
    std::string_view rest = text.substr(equals + 1);
    double* const fields[] = {&range.from, &range.to, &range.step};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t colon = i < 2 ? rest.find(':') : rest.size();
        if (colon == std::string_view::npos) return form;
        const std::optional<double> value = parse_decimal(rest.substr(0, colon));
        if (!value || !std::isfinite(*value)) return form;
        *fields[i] = *value;
        rest.remove_prefix(std::min(colon + 1, rest.size()));
    }
    if (!(range.step > 0) || range.to < range.from) {
        return option + " " + std::string(text) +
               ": the step must be above 0 and FROM not above TO";
    }
    if (former != nullptr) {
        range.from = angle_atdc(range.from);
        range.to = angle_atdc(range.to);
        if (notices != nullptr) {
            notices->push_back("note: " + option + " " + std::string(name) +
                               " takes crank angles (top dead centre at 90): read as " + option +
                               " " + std::string(former->name) + "=" + shortest_text(range.from) +
                               ":" + shortest_text(range.to) + ":" + shortest_text(range.step) +
                               ", degrees after top dead centre");
        }
    }
    return range;
}

std::string study_problem_text(const StudyRange& range, const StudyProblem& problem) {
    const std::string name(range.parameter->name);
    const std::string stops_at =
        "the study stops at " + name + " = " + shortest_text(problem.value) + ": ";
    switch (problem.kind) {
        case StudyProblem::Kind::too_many_values:
            return "--vary " + name + ": more than " + std::to_string(largest_study) + " values";
        case StudyProblem::Kind::values_not_apart:
            return "--vary " + name + ": a step of " + shortest_text(range.step) +
                   " is too small for the numbers near " + shortest_text(problem.value) +
                   ": the next number after it is " +
                   shortest_text(std::nextafter(problem.value, INFINITY)) +
                   ", and values would come twice";
        case StudyProblem::Kind::refused_value: {
            // Its own range broken: the value is said once, with what is allowed.
            const ParameterProblem& refused = *problem.problem;
            const bool own = refused.parameter == range.parameter;
            if (refused.kind == ProblemKind::out_of_range && own) {
                return stops_at + "allowed is " + range_text(refused.parameter->range);
            }
            // An order broken with another parameter: the other's value, and the rule.
            if (refused.kind == ProblemKind::broken_order &&
                (own || refused.other == range.parameter)) {
                const ParameterInfo& other = own ? *refused.other : *refused.parameter;
                return stops_at + "with " + std::string(other.name) + " = " +
                       shortest_text(refused.parameters.*other.member) + " it breaks the rule " +
                       std::string(refused.parameter->name) +
                       (refused.equal_allowed ? " <= " : " < ") + std::string(refused.other->name);
            }
            return stops_at + problem_text(refused);
        }
        case StudyProblem::Kind::beyond_numbers:
            return stops_at +
                   "these parameters carry the model beyond the range of numbers at step " +
                   std::to_string(problem.step);
        case StudyProblem::Kind::failed:
            return "the study failed: " + problem.failure;
    }
    return "the study failed";
}

}  // namespace hcci
