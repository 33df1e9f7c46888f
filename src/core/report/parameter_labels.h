// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/model/engine_parameters.h"

// The parameters as a person reads them in a window: a plain name, the group they belong to,
// the step a slider moves them by, and a tooltip that says it all.

namespace hcci {

enum class ParameterGroup {
    geometry,
    operating_point,
    chamber_timing,
    scheduled_ignition,
    fuel_and_predictive_ignition
};

std::string_view group_title(ParameterGroup group);  // "Geometry"

struct ParameterLabel {
    std::string_view name;   // the parameter file's: "main_compression_ratio"
    std::string_view plain;  // "Main chamber compression ratio"
    ParameterGroup group;
    double step;  // a slider's or an arrow's step: 0.5 for a ratio, 0.5 degrees for an angle
};

// Every parameter's, in the groups' order and within a group in the table's.
std::span<const ParameterLabel> parameter_labels();
const ParameterLabel& label_of(const ParameterInfo& parameter);

// What it is, its unit, range and default, and the name a parameter file gives it.
std::string parameter_tooltip(const ParameterInfo& parameter);

}  // namespace hcci
