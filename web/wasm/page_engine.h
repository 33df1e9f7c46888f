// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/cycle_record.h"
#include "core/model/engine_parameters.h"

// The page's engine from NAME=VALUE settings, the same names and messages as --set: those of a
// link's query, or the form's values with the one being edited last. A setting that cannot count
// is refused with its reason and left out; the rest make the engine.

namespace hcci {

struct SettingRefusal {
    std::vector<std::string> names;  // the setting's parameter, and one whose order it breaks
    std::string message;             // as --set says it
};

struct PageEngine {
    EngineParameters parameters;        // the model's defaults under every setting that counts
    std::vector<std::string> settings;  // those that count, in their order
    std::vector<SettingRefusal> refused;
    std::vector<std::string> notices;  // an earlier release's name, converted
    SharedRecord record;               // the cycle of those parameters
};

// The settings in their order, each taken when it can be: its value within its range, then the
// set within its orders and with a step for every phase, then a sweep within the range of numbers
// (failing that, the last setting taken is refused and the sweep run again).
PageEngine engine_from_settings(const std::vector<std::string>& settings);

// The settings that make those parameters from the model's defaults: the model first when it is
// not the default one, then every parameter the model reads whose value differs from its default,
// in the registry's order. What a link's query holds.
std::vector<std::string> settings_of(const EngineParameters& parameters);

// "gamma=1.3\nmodel=predictive" into its lines; empty lines are dropped.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace hcci
