// SPDX-License-Identifier: MIT
#include "core/report/parameter_labels.h"

#include "core/model/engine_model.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {

std::string parameter_tooltip(const ParameterInfo& parameter, std::string_view model) {
    std::string text = std::string(parameter.label) + ": " + std::string(parameter.meaning) + ".\n";
    if (!parameter.unit.empty()) text += "Unit: " + std::string(parameter.unit) + ". ";
    text += "Allowed: " + range_text(parameter.range) +
            ". Default: " + shortest_text(default_value(parameter, model)) + ".\n";
    if (const EngineModelEntry* owner = owner_of(parameter)) {
        text += "Shapes the " + std::string(owner->name) + " model only.\n";
    }
    return text + "In a parameter file: " + std::string(parameter.name);
}

}  // namespace hcci
