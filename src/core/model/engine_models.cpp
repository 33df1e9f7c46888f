// SPDX-License-Identifier: MIT
// The registry: every engine model by name. A new model is a file of its own (its state, its
// step, its parameters' metadata and its entry) and a line in each of the two lists below.

#include <algorithm>

#include "core/model/engine_model.h"

namespace hcci {

const EngineModelEntry& scheduled_engine_model();   // scheduled_model.cpp
const EngineModelEntry& predictive_engine_model();  // predictive_model.cpp

std::span<const EngineModelEntry* const> engine_models() {
    static const EngineModelEntry* const models[] = {
        &scheduled_engine_model(),
        &predictive_engine_model(),
    };
    return models;
}

const EngineModelEntry* find_engine_model(std::string_view name) {
    const auto models = engine_models();
    const auto found = std::find_if(models.begin(), models.end(),
                                    [name](const EngineModelEntry* m) { return m->name == name; });
    return found == models.end() ? nullptr : *found;
}

std::string model_names_text(std::string_view conjunction, std::string_view quote) {
    const auto models = engine_models();
    std::string text;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (i > 0) text += i + 1 == models.size() ? " " + std::string(conjunction) + " " : ", ";
        text += std::string(quote) + std::string(models[i]->name) + std::string(quote);
    }
    return text;
}

}  // namespace hcci
