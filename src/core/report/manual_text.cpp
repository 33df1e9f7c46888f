// SPDX-License-Identifier: MIT
#include "core/report/manual_text.h"

#include "core/model/engine_model.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/view_charts.h"

namespace hcci {
namespace {

// Text as roff prints it: a backslash and a minus escaped, and a line never starting with a
// control character.
std::string roff(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
    return out;
}

// "323" or, where a model has its own, "323 (predictive: 370)".
std::string defaults_text(const ParameterInfo& info) {
    const double common = EngineParameters{}.*info.member;
    std::string text = shortest_text(common);
    for (const EngineModelEntry* model : engine_models()) {
        const double own = default_value(info, model->name);
        if (own != common)
            text += " (" + std::string(model->name) + ": " + shortest_text(own) + ")";
    }
    return text;
}

// A named choice: its default, its meaning and each option's.
std::string choice_manual(const ChoiceInfo& choice) {
    std::string text = ".TP\n.BR " + std::string(choice.name) + " \" " +
                       std::string(EngineParameters{}.*choice.member) + "\"\n";
    text += roff(choice.meaning) + ", in a file a string:\n";
    for (const ChoiceOption& option : choice.options) {
        text += ".B " + std::string(option.name) + "\n" + roff(option.meaning) + ";\n";
    }
    return text;
}

}  // namespace

std::string parameters_manual() {
    std::string text = ".TP\n.BR model \" " + std::string(EngineParameters{}.model) + "\"\n";
    text += "the engine model, in a file a string (model = \\(dq" +
            std::string(engine_models().back()->name) + "\\(dq):\n";
    for (const EngineModelEntry* model : engine_models()) {
        text += ".B " + std::string(model->name) + "\n" + roff(model->summary) + ";\n";
    }
    std::string_view group;
    for (const ParameterInfo& info : parameter_table()) {
        if (info.group != group) {
            group = info.group;
            text += ".SS " + roff(group) + "\n";
            if (const EngineModelEntry* owner = owner_of(info)) {
                text += "These shape the " + std::string(owner->name) + " model only.\n";
            }
            for (const ChoiceInfo& choice : choice_table()) {
                if (choice.group == group) text += choice_manual(choice);
            }
        }
        text += ".TP\n.BR " + std::string(info.name) + " \" " +
                roff(defaults_text(info) + ", " + allowed_text(info)) + "\"\n";
        text += roff(info.meaning);
        if (!info.unit.empty()) text += " (" + roff(info.unit) + ")";
        if (const std::string rule = rule_text(info); !rule.empty()) {
            text += "; " + roff(rule);
        }
        text += "\n";
    }
    return text;
}

std::string views_manual() {
    std::string text;
    for (const CycleView* view : cycle_views()) {
        text += ".TP\n.B " + roff(view->name) + "\n" + roff(view->help) + ".\n";
    }
    return text;
}

std::string with_marker_replaced(std::string_view text, std::string_view marker,
                                 std::string_view replacement) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line == marker) {
            out += replacement;
        } else {
            out += line;
            if (end < text.size()) out += '\n';
        }
        at = end + 1;
    }
    return out;
}

}  // namespace hcci
