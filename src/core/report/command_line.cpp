// SPDX-License-Identifier: MIT
#include "core/report/command_line.h"

#include "core/report/number_text.h"

#include <algorithm>

namespace hcci {
namespace {

bool takes(const OptionRule& rule, int command) {
    return (rule.commands & command_bit(command)) != 0;
}

std::string form_of(const OptionRule& rule) {
    std::string form(rule.name);
    if (!rule.value.empty()) form += " " + std::string(rule.value);
    return form;
}

}  // namespace

std::variant<std::vector<GivenOption>, std::string> parse_options(
    std::span<const std::string_view> args, std::span<const OptionRule> table, int command,
    std::string_view command_name) {
    std::vector<GivenOption> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto rule = std::find_if(table.begin(), table.end(), [&](const OptionRule& s) {
            return s.name == args[i] && takes(s, command);
        });
        if (rule == table.end()) return "unknown option " + quoted(args[i]);
        const bool again = std::any_of(given.begin(), given.end(),
                                       [&](const GivenOption& g) { return g.rule == &*rule; });
        if (again && !rule->repeatable) return "option " + quoted(rule->name) + " given twice";
        std::string_view value;
        if (!rule->value.empty()) {
            if (i + 1 >= args.size()) return "option " + quoted(rule->name) + " needs a value";
            value = args[++i];
        }
        given.push_back({&*rule, value});
    }
    for (const OptionRule& rule : table) {
        if ((rule.needed_by & command_bit(command)) == 0) continue;
        const bool there = std::any_of(given.begin(), given.end(),
                                       [&](const GivenOption& g) { return g.rule == &rule; });
        if (!there) {
            return std::string(command_name) + " needs " + std::string(rule.what) + ": " +
                   form_of(rule);
        }
    }
    return given;
}

std::string options_synopsis(std::span<const OptionRule> table, int command) {
    std::string needed, optional;
    for (const OptionRule& rule : table) {
        if (!takes(rule, command)) continue;
        if (rule.needed_by & command_bit(command)) {
            needed += " " + form_of(rule);
        } else {
            optional += " [" + form_of(rule) + "]" + (rule.repeatable ? "..." : "");
        }
    }
    const std::string all = needed + optional;
    return all.empty() ? all : all.substr(1);
}

std::string options_help(std::span<const OptionRule> table, std::size_t name_width,
                         std::size_t width, int command) {
    const std::string indent(name_width + 2, ' ');
    std::string text;
    for (const OptionRule& rule : table) {
        if (rule.help.empty()) continue;
        if (command >= 0 ? !takes(rule, command) : !rule.in_overview) continue;
        std::string line = "  " + form_of(rule);
        // A long name has its help on the next line.
        if (line.size() + 1 > indent.size()) {
            text += line + "\n";
            line = indent;
        }
        line.resize(indent.size(), ' ');
        std::string_view words = rule.help;
        while (!words.empty()) {
            const std::size_t end = std::min(words.find(' '), words.size());
            const std::string_view word = words.substr(0, end);
            if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
                text += line + "\n";
                line = indent;
            }
            if (line.size() > indent.size()) line += ' ';
            line += word;
            words.remove_prefix(std::min(end + 1, words.size()));
        }
        text += line + "\n";
    }
    return text;
}

std::string wrapped(std::string_view line, std::size_t width, std::size_t indent) {
    std::string text;
    std::size_t column = 0;
    std::size_t at = 0;
    while (at < line.size()) {
        // The next piece: up to the next " [" or " -", an option and its value together.
        std::size_t next = line.find(" [", at + 1);
        const std::size_t dash = line.find(" -", at + 1);
        next = std::min(next, dash);
        if (next == std::string_view::npos) next = line.size();
        std::string_view piece = line.substr(at, next - at);
        if (column > indent && column + piece.size() > width) {
            text += "\n" + std::string(indent, ' ');
            column = indent;
            if (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
        }
        text += piece;
        column += piece.size();
        at = next;
    }
    return text + "\n";
}

}  // namespace hcci
