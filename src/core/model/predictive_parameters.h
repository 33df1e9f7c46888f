// SPDX-License-Identifier: MIT
#pragma once

#include <span>

#include "core/model/engine_parameters.h"

// The metadata of the predictive model's own parameters and choices (predictive_model.cpp makes
// its entry of them).

namespace hcci {

std::span<const ParameterInfo> predictive_parameters();
std::span<const ChoiceInfo> predictive_choices();

}  // namespace hcci
