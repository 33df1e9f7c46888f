// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "core/model/engine_parameters.h"

// A parameter as a window's tooltip tells it.

namespace hcci {

// What it is, its unit, range and default (the model's), which model it shapes when only one,
// and the name a parameter file gives it.
std::string parameter_tooltip(const ParameterInfo& parameter, std::string_view model);
// A named choice: what it is, each option, its default, the model it shapes, its file name.
std::string choice_tooltip(const ChoiceInfo& choice);

}  // namespace hcci
