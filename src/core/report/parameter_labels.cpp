// SPDX-License-Identifier: MIT
#include "core/report/parameter_labels.h"

#include "core/model/engine_model.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {

std::string parameter_tooltip(const ParameterInfo& parameter, std::string_view model) {
    std::string text = std::string(parameter.label) + ": " + std::string(parameter.meaning) + ".\n";
    if (!parameter.unit.empty()) text += "Unit: " + std::string(parameter.unit) + ". ";
    text += "Allowed: " + allowed_text(parameter) +
            ". Default: " + shortest_text(default_value(parameter, model)) + ".\n";
    if (const EngineModelEntry* owner = owner_of(parameter)) {
        text += "Shapes the " + std::string(owner->name) + " model only.\n";
    }
    return text + "In a parameter file: " + std::string(parameter.name);
}

std::string choice_tooltip(const ChoiceInfo& choice) {
    std::string text = std::string(choice.label) + ": " + std::string(choice.meaning) + ".\n";
    for (const ChoiceOption& option : choice.options) {
        text += std::string(option.name) + ": " + std::string(option.meaning) + ";\n";
    }
    text += "Default: " + std::string(EngineParameters{}.*choice.member) + ".\n";
    if (const EngineModelEntry* owner = owner_of(choice)) {
        text += "Shapes the " + std::string(owner->name) + " model only.\n";
    }
    return text + "In a parameter file: " + std::string(choice.name);
}

}  // namespace hcci
