// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A program's options in one table, each named once: which of its commands take it, whether it
// takes a value, whether a command needs it, and its line of help. The parser and the usage
// text both read the table, so that they cannot disagree.

namespace hcci {

struct OptionRule {
    int id;                      // the program's own name for it
    std::string_view name;       // "--step"
    std::string_view value;      // "N"; empty for a flag
    std::string_view help;       // one line
    std::uint32_t commands;      // a bit for each command that takes it
    std::uint32_t needed_by;     // a bit for each command that cannot do without it
    std::string_view what = {};  // what a command that needs it is missing: "an output file"
    bool repeatable = false;     // given as often as wanted, in order
    // False where the option has a rule of its own for some commands, worded for them: then
    // only their own help shows it, and the program's whole help has a rule taken by no
    // command (commands 0) that says it for all.
    bool in_overview = true;
};

inline constexpr std::uint32_t command_bit(int command) {
    return std::uint32_t{1} << command;
}

struct GivenOption {
    const OptionRule* rule;
    std::string_view value;  // empty for a flag
};

// The options of a command, in the order given, or the first mistake as one line: an unknown
// option, a missing value, an option given twice, a needed one left out.
std::variant<std::vector<GivenOption>, std::string> parse_options(
    std::span<const std::string_view> args, std::span<const OptionRule> table, int command,
    std::string_view command_name);

// "[-o FILE] [--step N] [--no-labels] [--set NAME=VALUE]...", the needed ones first and bare.
std::string options_synopsis(std::span<const OptionRule> table, int command);

// A line for each option that has help (of the command, where one is given; else each rule in
// the overview), its name and
// value in a column of name_width, the help beside it wrapped at spaces within `width` columns:
// "  --step N   the step after ...".
std::string options_help(std::span<const OptionRule> table, std::size_t name_width,
                         std::size_t width, int command = -1);

// A synopsis line broken before an option where it would pass `width` columns, its following
// lines indented by `indent`.
std::string wrapped(std::string_view line, std::size_t width, std::size_t indent);

}  // namespace hcci
