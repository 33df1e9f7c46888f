// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/model/cycle_record.h"
#include "core/model/engine_parameters.h"

// The parameters and their rules in words, for messages, parameter files and tooltips.

namespace hcci {

std::string range_text(const ParameterRange& range);  // "(1, 100]"
// The range and, for a count, that it is whole: "[1, 50], a whole number".
std::string allowed_text(const ParameterInfo& parameter);
// That a value is none of a choice's: "parameter burn = 'x' must be time or crank".
std::string unknown_choice_text(const ChoiceInfo& choice, std::string_view given);
// The order rules that start at this parameter ("first_split_angle <= first_merge_angle"),
// or "".
std::string rule_text(const ParameterInfo& parameter);
// Every name, comma separated.
std::string parameter_names();
// That a name is no parameter's, with the nearest name where one is near (a wrong letter or
// case, a letter too many or too few): "unknown parameter 'Gamma' (did you mean gamma?)".
std::string unknown_parameter_text(std::string_view name);
// That a name is no model's: "parameter model = 'x' is not a model; the models are ...".
std::string unknown_model_text(std::string_view name);
// The parameters that differ from the defaults, "name = value, ...", or "the defaults".
std::string changed_parameters(const EngineParameters& parameters);

// One sentence naming the parameters, their values and what is allowed.
std::string problem_text(const ParameterProblem& problem);
// check_parameters, in words.
std::optional<std::string> parameter_problem(const EngineParameters& parameters);
// The cycle of those parameters, run once, or why they cannot make one, in words.
std::variant<SharedRecord, std::string> checked_cycle(const EngineParameters& parameters);

}  // namespace hcci
