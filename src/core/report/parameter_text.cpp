// SPDX-License-Identifier: MIT
#include "core/report/parameter_text.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cmath>

#include "core/model/engine_model.h"
#include "core/model/sweep.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {
namespace {

std::string unknown_name(std::string_view name) {
    return unknown_parameter_text(name);
}

// The engine model is named, not numbered.
constexpr std::string_view model_key = "model";

std::optional<std::string> take_model(EngineParameters& parameters, std::string_view given) {
    const EngineModelEntry* model = find_engine_model(given);
    if (model == nullptr) return unknown_model_text(given);
    parameters.model = model->name;
    return std::nullopt;
}

// A named choice's option, as written.
std::optional<std::string> take_choice(EngineParameters& parameters, const ChoiceInfo& choice,
                                       std::string_view given) {
    const ChoiceOption* option = choice.find(given);
    if (option == nullptr) return unknown_choice_text(choice, given);
    parameters.*choice.member = option->name;
    return std::nullopt;
}

// Which parameters a file or a setting gave, so that the rest can take the defaults of the model
// chosen, wherever it was chosen.
using GivenParameters = std::vector<bool>;

void mark_given(GivenParameters* given, const ParameterInfo& info) {
    if (given != nullptr) given->at(parameter_index(info)) = true;
}

void take_model_defaults(EngineParameters& parameters, const GivenParameters& given) {
    const std::optional<EngineParameters> defaults = model_defaults(parameters.model);
    if (!defaults) return;
    for (const ParameterInfo& info : parameter_table()) {
        if (!given.at(parameter_index(info))) parameters.*info.member = (*defaults).*info.member;
    }
}

// The angles of earlier releases were crank angles, 90 at top dead centre; they are still read,
// and told.
struct FormerName {
    std::string_view name;
    std::string_view now;
};
constexpr FormerName former_names[] = {
    {"first_split_angle", "first_split_atdc"},
    {"first_merge_angle", "first_merge_atdc"},
    {"second_split_angle", "second_split_atdc"},
    {"second_merge_angle", "second_merge_atdc"},
    {"aux_ignition_start", "aux_ignition_start_atdc"},
    {"aux_ignition_end", "aux_ignition_end_atdc"},
    {"main_ignition_start", "main_ignition_start_atdc"},
    {"main_ignition_end", "main_ignition_end_atdc"},
};

// A parameter by its name, or by the name it had, which reads crank angles.
struct NamedParameter {
    const ParameterInfo* info = nullptr;
    const FormerName* former = nullptr;
};

NamedParameter named(std::string_view name) {
    if (const ParameterInfo* info = find_parameter(name)) return {info, nullptr};
    for (const FormerName& former : former_names) {
        if (former.name == name) return {find_parameter(former.now), &former};
    }
    return {};
}

// The value as the parameter takes it, with a notice when it had to be converted.
double taken(const NamedParameter& named, double value, std::vector<std::string>* notices) {
    if (named.former == nullptr) return value;
    const double atdc = angle_atdc(value);
    if (notices != nullptr) {
        notices->push_back(
            "note: " + std::string(named.former->name) + " = " + shortest_text(value) +
            " is a crank angle (top dead centre at 90): read as " + std::string(named.former->now) +
            " = " + shortest_text(atdc) + ", degrees after top dead centre");
    }
    return atdc;
}

// The value's own check: a finite number within its range. `given` is the value as written.
std::optional<std::string> value_problem(const ParameterInfo& info, double value,
                                         std::string_view given) {
    if (!std::isfinite(value)) {
        return "parameter " + std::string(info.name) + " = " + std::string(given) +
               " is not a finite number; its range is " + range_text(info.range);
    }
    if (!info.range.contains(value)) {
        return "parameter " + std::string(info.name) + " = " + std::string(given) +
               " is outside its range " + range_text(info.range);
    }
    if (info.whole && value != std::floor(value)) {
        return "parameter " + std::string(info.name) + " = " + std::string(given) +
               " is not a whole number; allowed is " + allowed_text(info);
    }
    return std::nullopt;
}

std::string at_line(std::string_view file_name, std::size_t line) {
    return std::string(file_name) + " line " + std::to_string(line) + ": ";
}

std::string at_line(std::string_view file_name, const toml::source_region& where) {
    return at_line(file_name, where.begin.line);
}

// Where a line's key ends, at its '=' (npos where there is none), and whether the key has a
// dot outside its quotes: "a".b and a."b" are dotted as a.b is, and "a.b" is one name. A quote
// left open runs to the end of the line.
struct KeyEnd {
    std::size_t equals = std::string_view::npos;
    bool dotted = false;
};

KeyEnd key_end(std::string_view line) {
    KeyEnd found;
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '"' || c == '\'') {
            // A basic string's backslash escapes the next character; a literal one has none.
            for (++at; at < line.size() && line[at] != c; ++at) {
                if (c == '"' && line[at] == '\\') ++at;
            }
        } else if (c == '.') {
            found.dotted = true;
        } else if (c == '=') {
            found.equals = at;
            return found;
        }
    }
    return found;
}

// Whether a line has a character beyond ASCII outside its quotes and its comment.
bool outside_ascii(std::string_view line) {
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '#') return false;
        if (c == '"' || c == '\'') {
            for (++at; at < line.size() && line[at] != c; ++at) {
                if (c == '"' && line[at] == '\\') ++at;
            }
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// The key of a line of the text as written, its blanks around it left out.
std::string key_text(std::string_view text, toml::source_index line) {
    std::size_t at = 0;
    for (toml::source_index number = 1; number < line && at != std::string_view::npos; ++number) {
        at = text.find('\n', at);
        if (at != std::string_view::npos) ++at;
    }
    if (at == std::string_view::npos) return {};
    std::string_view whole = text.substr(at, text.find('\n', at) - at);
    whole = whole.substr(0, key_end(whole).equals);
    const std::size_t first = whole.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(whole.substr(first, whole.find_last_not_of(" \t") + 1 - first));
}

// A parameter file is flat: NAME = NUMBER lines and comments. Tables, dotted keys, arrays and
// inline tables are refused, with their line, before the parser sees them: nested some tens of
// thousands deep, they would make it recurse once a level, past the end of the stack.
std::optional<std::string> nesting_problem(std::string_view text, std::string_view file_name) {
    std::size_t number = 0;
    for (std::size_t at = 0; at <= text.size(); ++number) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        line.remove_prefix(first);
        if (line.front() == '#') continue;
        const std::string here = at_line(file_name, number + 1);
        if (line.front() == '[') {
            return here + "a parameter file is flat: NAME = VALUE lines, no tables ([...])";
        }
        const KeyEnd key = key_end(line);
        if (key.dotted) {
            return here + "a parameter file is flat: NAME = VALUE lines, no dotted names";
        }
        if (outside_ascii(line)) {
            // The parser's tables of letters beyond ASCII are not sound for every character.
            return here +
                   "a name or a number is plain ASCII, with no other characters outside "
                   "quotes and comments";
        }
        const std::size_t equals = key.equals;
        if (equals == std::string_view::npos) continue;  // for the parser to tell
        const std::string_view value = line.substr(equals + 1);
        const std::size_t start = value.find_first_not_of(" \t");
        if (start != std::string_view::npos && (value[start] == '[' || value[start] == '{')) {
            return here + "a parameter's value is a number, not an array or a table";
        }
    }
    return std::nullopt;
}

// The text of a value as the file has it, from where the parser found it.
std::string_view source_text(std::string_view text, const toml::source_region& where) {
    std::size_t at = 0;
    for (toml::source_index line = 1; line < where.begin.line && at < text.size(); ++line) {
        at = text.find('\n', at);
        if (at == std::string_view::npos) return {};
        ++at;
    }
    const std::size_t begin = at + where.begin.column - 1;
    std::size_t end = at + where.end.column - 1;
    if (where.end.line != where.begin.line || end > text.size() || begin > end) return {};
    return text.substr(begin, end - begin);
}

struct NumberInFile {
    std::optional<double> value;  // nothing: not a number, or beyond the range of numbers
    std::string given;            // as written, for messages
    bool out_of_range = false;
};

// A TOML number as a double, its written text read again: the parser takes 1e-400 as 0, and
// gives no double for an integer as large as 9223372036854775807.
NumberInFile number_of(const toml::node& node, std::string_view text) {
    NumberInFile number;
    if (const auto* integer = node.as_integer()) {
        number.value = static_cast<double>(integer->get());
        number.given = std::to_string(integer->get());
        return number;
    }
    const auto* floating = node.as_floating_point();
    if (floating == nullptr) return number;
    std::string written(source_text(text, node.source()));
    written.erase(std::remove(written.begin(), written.end(), '_'), written.end());
    const DecimalRead read = read_decimal(written);
    number.given = written.empty() ? shortest_text(floating->get()) : written;
    if (read.kind == DecimalRead::Kind::out_of_range) {
        number.out_of_range = true;
        return number;
    }
    number.value = floating->get();
    return number;
}

std::optional<std::string> apply_setting(EngineParameters& parameters, std::string_view setting,
                                         std::vector<std::string>* notices,
                                         GivenParameters* given) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos) {
        return "--set needs NAME=VALUE, not " + quoted(setting);
    }
    const std::string_view name = setting.substr(0, equals);
    const std::string_view written = setting.substr(equals + 1);
    if (name == model_key) return take_model(parameters, written);
    if (const ChoiceInfo* choice = find_choice(name))
        return take_choice(parameters, *choice, written);
    const NamedParameter parameter = named(name);
    if (parameter.info == nullptr) return unknown_name(name);
    const ParameterInfo& info = *parameter.info;
    const DecimalRead number = read_decimal(written);
    if (number.kind != DecimalRead::Kind::number) {
        return "parameter " + std::string(name) + " = " + quoted(written) +
               (number.kind == DecimalRead::Kind::out_of_range ? " " + out_of_range_text()
                                                               : std::string(" is not a number")) +
               "; its range is " + range_text(info.range);
    }
    const double value = taken(parameter, number.value, notices);
    if (auto problem =
            value_problem(info, value, parameter.former ? shortest_text(value) : written)) {
        return problem;
    }
    parameters.*info.member = value;
    mark_given(given, info);
    return std::nullopt;
}

std::optional<std::string> apply_parameter_text(EngineParameters& parameters, std::string_view text,
                                                std::string_view file_name,
                                                std::vector<std::string>* notices,
                                                GivenParameters* given_parameters) {
    if (auto problem = nesting_problem(text, file_name)) return problem;
    toml::table table;
    try {
        table = toml::parse(text, file_name);
    } catch (const toml::parse_error& error) {
        const std::string here = at_line(file_name, error.source());
        if (error.description().find("cannot redefine existing") != std::string_view::npos) {
            // The parser's own message garbles a quoted name ('"gagamma" ').
            return here + "parameter " + key_text(text, error.source().begin.line) +
                   " is given a second time";
        }
        return here + std::string(error.description());
    }
    // The table is in the order of its keys; its first problem is told in the file's order.
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (const auto& [key, node] : table) entries.emplace_back(&key, &node);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const toml::source_position& x = a.first->source().begin;
        const toml::source_position& y = b.first->source().begin;
        return x.line != y.line ? x.line < y.line : x.column < y.column;
    });
    for (const auto& [key, node] : entries) {
        const std::string_view name = key->str();
        if (name == model_key) {
            const std::optional<std::string_view> given = node->value<std::string_view>();
            auto problem = given ? take_model(parameters, *given)
                                 : std::optional<std::string>("parameter model must be " +
                                                              model_names_text("or", "\""));
            if (problem) return at_line(file_name, node->source()) + *problem;
            continue;
        }
        if (const ChoiceInfo* choice = find_choice(name)) {
            const std::optional<std::string_view> given = node->value<std::string_view>();
            auto problem = given ? take_choice(parameters, *choice, *given)
                                 : std::optional<std::string>("parameter " + std::string(name) +
                                                              " must be " + choice->options_text());
            if (problem) return at_line(file_name, node->source()) + *problem;
            continue;
        }
        const NamedParameter parameter = named(name);
        if (parameter.info == nullptr)
            return at_line(file_name, key->source()) + unknown_name(name);
        const ParameterInfo& info = *parameter.info;
        const NumberInFile number = number_of(*node, text);
        if (number.out_of_range) {
            return at_line(file_name, node->source()) + "parameter " + std::string(name) + " = " +
                   number.given + " " + out_of_range_text() + "; its range is " +
                   range_text(info.range);
        }
        if (!number.value) {
            return at_line(file_name, node->source()) + "parameter " + std::string(name) +
                   " must be a number in its range " + range_text(info.range);
        }
        std::vector<std::string> told;
        const double value = taken(parameter, *number.value, &told);
        for (std::string& notice : told) {
            if (notices != nullptr) notices->push_back(at_line(file_name, key->source()) + notice);
        }
        const std::string given = parameter.former ? shortest_text(value) : number.given;
        if (auto problem = value_problem(info, value, given)) {
            return at_line(file_name, node->source()) + *problem;
        }
        parameters.*info.member = value;
        mark_given(given_parameters, info);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> apply_setting(EngineParameters& parameters, std::string_view setting,
                                         std::vector<std::string>* notices) {
    return apply_setting(parameters, setting, notices, nullptr);
}

std::optional<std::string> apply_parameter_text(EngineParameters& parameters, std::string_view text,
                                                std::string_view file_name,
                                                std::vector<std::string>* notices) {
    return apply_parameter_text(parameters, text, file_name, notices, nullptr);
}

std::variant<EngineParameters, std::string> parameter_values_from_text(
    const std::optional<ParameterFileText>& file, const std::vector<std::string>& settings,
    std::vector<std::string>* notices) {
    EngineParameters parameters;
    GivenParameters given(parameter_table().size(), false);
    if (file) {
        if (auto problem =
                apply_parameter_text(parameters, file->text, file->name, notices, &given)) {
            return *problem;
        }
    }
    for (const std::string& setting : settings) {
        if (auto problem = apply_setting(parameters, setting, notices, &given)) return *problem;
    }
    take_model_defaults(parameters, given);
    return parameters;
}

std::variant<EngineParameters, std::string> parameters_from_text(
    const std::optional<ParameterFileText>& file, const std::vector<std::string>& settings,
    std::vector<std::string>* notices) {
    auto read = parameter_values_from_text(file, settings, notices);
    if (const auto* parameters = std::get_if<EngineParameters>(&read)) {
        if (auto problem = parameter_problem(*parameters)) return *problem;
    }
    return read;
}

const ParameterInfo* former_angle_parameter(std::string_view name) {
    const NamedParameter parameter = named(name);
    return parameter.former != nullptr ? parameter.info : nullptr;
}

std::string default_parameter_file() {
    return parameter_file(EngineParameters{});
}

std::string parameter_file(const EngineParameters& parameters) {
    std::string text =
        "# Engine parameters for hcci-cycle and hcci-cycle-export: pass this file back with\n"
        "# --params FILE. Angles are degrees after top dead centre (ATDC), -180 to 180; a\n"
        "# parameter left out takes its default. The scheduled model is the original engine's,\n"
        "# its ignitions typed in by angle; in the predictive one both ignitions follow from\n"
        "# the charge's own state.\n";
    text += "model = \"" + std::string(parameters.model) + "\"  # " + model_names_text("or") + "\n";
    for (const ChoiceInfo& choice : choice_table()) {
        text += std::string(choice.name) + " = \"" + std::string(parameters.*choice.member) +
                "\"  # " + std::string(choice.meaning) + ": ";
        for (std::size_t i = 0; i < choice.options.size(); ++i) {
            const ChoiceOption& option = choice.options[i];
            if (i > 0) text += i + 1 == choice.options.size() ? " or " : ", ";
            text += std::string(option.name) + ", " + std::string(option.meaning);
        }
        text += '\n';
    }
    for (const ParameterInfo& info : parameter_table()) {
        text += std::string(info.name) + " = " + shortest_text(parameters.*info.member) + "  # " +
                std::string(info.meaning);
        if (!info.unit.empty()) text += " (" + std::string(info.unit) + ")";
        text += "; allowed " + allowed_text(info);
        if (const std::string rule = rule_text(info); !rule.empty()) text += ", " + rule;
        text += '\n';
    }
    return text;
}

}  // namespace hcci
