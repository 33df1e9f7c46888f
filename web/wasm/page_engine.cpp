// SPDX-License-Identifier: MIT
#include "web/wasm/page_engine.h"

#include <variant>

#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/parameter_text.h"

namespace hcci {
namespace {

std::string name_of(const std::string& setting) {
    return setting.substr(0, setting.find('='));
}

// The values of those settings over the model's defaults, each within its range, or nothing.
std::optional<EngineParameters> values_of(const std::vector<std::string>& settings) {
    auto read = parameter_values_from_text(std::nullopt, settings);
    if (auto* parameters = std::get_if<EngineParameters>(&read)) return *parameters;
    return std::nullopt;
}

std::vector<std::string> names_of(const ParameterProblem& problem, const std::string& setting) {
    std::vector<std::string> names{name_of(setting)};
    for (const ParameterInfo* info : {problem.parameter, problem.other}) {
        if (info != nullptr && info->name != names.front()) names.emplace_back(info->name);
    }
    return names;
}

}  // namespace

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

PageEngine engine_from_settings(const std::vector<std::string>& settings) {
    PageEngine engine;
    for (const std::string& setting : settings) {
        EngineParameters alone;
        std::vector<std::string> notices;
        if (auto problem = apply_setting(alone, setting, &notices)) {
            engine.refused.push_back({{name_of(setting)}, *problem});
            continue;
        }
        std::vector<std::string> candidate = engine.settings;
        candidate.push_back(setting);
        const std::optional<EngineParameters> values = values_of(candidate);
        if (!values) {
            // A value within its range alone, and yet not with the others: never, but say so.
            engine.refused.push_back({{name_of(setting)}, "parameter " + setting + " is refused"});
            continue;
        }
        if (auto problem = check_parameter_values(*values)) {
            engine.refused.push_back({names_of(*problem, setting), problem_text(*problem)});
            continue;
        }
        engine.settings = std::move(candidate);
        engine.notices.insert(engine.notices.end(), notices.begin(), notices.end());
    }
    // The sweep of the set; one beyond the range of numbers loses the setting taken last.
    while (true) {
        engine.parameters = values_of(engine.settings).value_or(EngineParameters{});
        CheckedCycle cycle = run_checked_cycle(engine.parameters);
        if (cycle.record) {
            engine.record = std::make_shared<const CycleRecord>(std::move(*cycle.record));
            return engine;
        }
        const std::string setting = engine.settings.back();
        engine.refused.push_back({names_of(*cycle.problem, setting), problem_text(*cycle.problem)});
        engine.settings.pop_back();
    }
}

std::vector<std::string> settings_of(const EngineParameters& parameters) {
    std::vector<std::string> settings;
    const std::optional<EngineParameters> defaults = model_defaults(parameters.model);
    if (!defaults) return settings;
    if (parameters.model != EngineParameters{}.model) {
        settings.push_back("model=" + std::string(parameters.model));
    }
    for (const ParameterInfo& info : parameter_table()) {
        if (!shapes(info, parameters.model)) continue;
        const double value = parameters.*info.member;
        if (value == (*defaults).*info.member) continue;
        settings.push_back(std::string(info.name) + "=" + shortest_text(value));
    }
    return settings;
}

}  // namespace hcci
