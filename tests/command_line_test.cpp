// SPDX-License-Identifier: MIT
#include "core/report/command_line.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace hcci {
namespace {

// Two commands: 0 takes everything, 1 needs -o and takes no --flag.
constexpr std::array<OptionRule, 4> table{{
    {0, "-o", "FILE", "the file", command_bit(0) | command_bit(1), command_bit(1), "a file"},
    {1, "--flag", "", "a flag", command_bit(0), 0},
    {2,
     "--set",
     "NAME=VALUE",
     "a setting that is long enough to need a second line of help",
     command_bit(0) | command_bit(1),
     0,
     {},
     true},
    {3, "--very-long-option", "VALUE", "short", command_bit(0), 0},
}};

std::string parsed(std::vector<std::string_view> args, int command) {
    const auto given = parse_options(args, table, command, "cmd");
    if (const auto* problem = std::get_if<std::string>(&given)) return *problem;
    std::string text;
    for (const GivenOption& g : std::get<std::vector<GivenOption>>(given)) {
        text += std::string(g.rule->name) + "=" + std::string(g.value) + ";";
    }
    return text;
}

TEST(CommandLine, EachOptionOnceWhereItsCommandTakesIt) {
    const struct {
        std::vector<std::string_view> args;
        int command;
        const char* result;
    } rows[] = {
        {{}, 0, ""},
        {{"--flag", "-o", "x", "--set", "a=1", "--set", "b=2"},
         0,
         "--flag=;-o=x;--set=a=1;--set=b=2;"},
        {{"-o", "--flag"}, 0, "-o=--flag;"},  // a value that looks like an option is a value
        {{"-o"}, 0, "option '-o' needs a value"},
        {{"-o", "a", "-o", "b"}, 0, "option '-o' given twice"},
        {{"--flag", "--flag"}, 0, "option '--flag' given twice"},
        {{"--flag", "-o", "x"}, 1, "unknown option '--flag'"},
        {{"stray"}, 0, "unknown option 'stray'"},
        {{"--set", "a=1"}, 1, "cmd needs a file: -o FILE"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        EXPECT_EQ(parsed(row.args, row.command), row.result);
    }
}

TEST(CommandLine, TheUsageComesFromTheSameTable) {
    EXPECT_EQ(options_synopsis(table, 0),
              "[-o FILE] [--flag] [--set NAME=VALUE]... [--very-long-option VALUE]");
    EXPECT_EQ(options_synopsis(table, 1), "-o FILE [--set NAME=VALUE]...");
    EXPECT_EQ(options_help(table, 14, 60),
              "  -o FILE       the file\n"
              "  --flag        a flag\n"
              "  --set NAME=VALUE\n"
              "                a setting that is long enough to need a\n"
              "                second line of help\n"
              "  --very-long-option VALUE\n"
              "                short\n");
    EXPECT_EQ(wrapped("usage: p cmd -o FILE [--flag] [--set NAME=VALUE]...", 30, 8),
              "usage: p cmd -o FILE [--flag]\n"
              "        [--set NAME=VALUE]...\n");
}

// An option worded for some commands: each command's help has its own rule, the program's
// whole help the rule that no command takes, and the parser takes the command's own.
TEST(CommandLine, AnOptionWordedForSomeCommands) {
    constexpr std::array<OptionRule, 3> worded{{
        {0, "-o", "FILE", "the file, or - for all", 0, 0},
        {0, "-o", "FILE", "the file, or -", command_bit(0), 0, {}, false, false},
        {0, "-o", "FILE", "the file", command_bit(1), command_bit(1), "a file", false, false},
    }};
    const struct {
        int command;
        const char* help;
    } rows[] = {
        {-1, "  -o FILE       the file, or - for all\n"},
        {0, "  -o FILE       the file, or -\n"},
        {1, "  -o FILE       the file\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(options_help(worded, 14, 60, row.command), row.help);
    }
    for (const int command : {0, 1}) {
        const std::vector<std::string_view> args{"-o", "x"};
        const auto given = parse_options(args, worded, command, "cmd");
        ASSERT_TRUE(std::holds_alternative<std::vector<GivenOption>>(given));
        EXPECT_EQ(std::get<std::vector<GivenOption>>(given).front().rule, &worded[command + 1]);
    }
    EXPECT_EQ(options_synopsis(worded, 1), "-o FILE");
}

}  // namespace
}  // namespace hcci
