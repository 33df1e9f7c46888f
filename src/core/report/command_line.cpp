// SPDX-License-Identifier: MIT
#include "core/report/command_line.h"

#include "core/report/number_text.h"

#include <algorithm>

namespace hcci {
namespace {

bool takes(const OptionSpec& spec, int command) {
    return (spec.commands & command_bit(command)) != 0;
}

std::string form_of(const OptionSpec& spec) {
    std::string form(spec.name);
    if (!spec.value.empty()) form += " " + std::string(spec.value);
    return form;
}

}  // namespace

std::variant<std::vector<GivenOption>, std::string> parse_options(
    std::span<const std::string_view> args, std::span<const OptionSpec> table, int command,
    std::string_view command_name) {
    std::vector<GivenOption> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto spec = std::find_if(table.begin(), table.end(), [&](const OptionSpec& s) {
            return s.name == args[i] && takes(s, command);
        });
        if (spec == table.end()) return "unknown option " + quoted(args[i]);
        const bool again = std::any_of(given.begin(), given.end(),
                                       [&](const GivenOption& g) { return g.spec == &*spec; });
        if (again && !spec->repeatable) return "option " + quoted(spec->name) + " given twice";
        std::string_view value;
        if (!spec->value.empty()) {
            if (i + 1 >= args.size()) return "option " + quoted(spec->name) + " needs a value";
            value = args[++i];
        }
        given.push_back({&*spec, value});
    }
    for (const OptionSpec& spec : table) {
        if ((spec.needed_by & command_bit(command)) == 0) continue;
        const bool there = std::any_of(given.begin(), given.end(),
                                       [&](const GivenOption& g) { return g.spec == &spec; });
        if (!there) {
            return std::string(command_name) + " needs " + std::string(spec.what) + ": " +
                   form_of(spec);
        }
    }
    return given;
}

std::string options_synopsis(std::span<const OptionSpec> table, int command) {
    std::string needed, optional;
    for (const OptionSpec& spec : table) {
        if (!takes(spec, command)) continue;
        if (spec.needed_by & command_bit(command)) {
            needed += " " + form_of(spec);
        } else {
            optional += " [" + form_of(spec) + "]" + (spec.repeatable ? "..." : "");
        }
    }
    const std::string all = needed + optional;
    return all.empty() ? all : all.substr(1);
}

std::string options_help(std::span<const OptionSpec> table, std::size_t name_width,
                         std::size_t width, int command) {
    const std::string indent(name_width + 2, ' ');
    std::string text;
    for (const OptionSpec& spec : table) {
        if (spec.help.empty()) continue;
        if (command >= 0 && (spec.commands & command_bit(command)) == 0) continue;
        std::string line = "  " + form_of(spec);
        // A long name has its help on the next line.
        if (line.size() + 1 > indent.size()) {
            text += line + "\n";
            line = indent;
        }
        line.resize(indent.size(), ' ');
        std::string_view words = spec.help;
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
