// SPDX-License-Identifier: MIT
#include "apps/window/window_args.h"

#include <array>

#include "core/report/command_line.h"
#include "core/report/version.h"

namespace hcci {
namespace {

enum Option { explore, params, set, help, version_option };

// The window has no commands: its options are those of command 0.
constexpr std::uint32_t window = command_bit(0);

constexpr std::array<OptionRule, 6> options{{
    {explore, "--explore", "",
     "with a panel beside the picture: scrub, step, change the engine, read its values and "
     "analysis, export",
     window, 0},
    {params, "--params", "FILE", "the engine's parameters from a TOML file", window, 0},
    {set,
     "--set",
     "NAME=VALUE",
     "one parameter, after the file; hcci-cycle-export params lists them",
     window,
     0,
     {},
     true},
    {help, "--help", "", "", window, 0},
    {help, "-h", "", "", window, 0},
    {version_option, "--version", "", "", window, 0},
}};

}  // namespace

std::variant<WindowArgs, std::string> parse_window_args(std::span<const std::string_view> args) {
    const auto given = parse_options(args, options, 0, "hcci-cycle");
    if (const auto* problem = std::get_if<std::string>(&given)) return *problem;
    WindowArgs result;
    for (const GivenOption& option : std::get<std::vector<GivenOption>>(given)) {
        switch (static_cast<Option>(option.rule->id)) {
            case explore:
                result.explore = true;
                break;
            case params:
                if (option.value.empty()) return std::string("option '--params' needs a file name");
                result.parameters.file = std::string(option.value);
                break;
            case set:
                result.parameters.settings.emplace_back(option.value);
                break;
            case help:
            case version_option:
                if (args.size() > 1) {
                    return "option '" + std::string(option.rule->name) + "' stands alone";
                }
                result.action =
                    option.rule->id == help ? WindowAction::help : WindowAction::version;
                break;
        }
    }
    return result;
}

std::string window_usage_text() {
    const std::span<const OptionRule> engine(options.data(), 3);
    return "usage: hcci-cycle " + options_synopsis(engine, 0) +
           "\n"
           "       hcci-cycle --help | -h | --version\n"
           "\n"
           "Animates one cycle of the engine, sweep after sweep: each sweep takes 18 s at the\n"
           "default pace, then the picture stays until Enter starts the next. Keys: Space freezes\n"
           "and unfreezes, Enter restarts, \",\" and \".\" make it a tenth faster or slower, "
           "\"/\"\n"
           "five times the default speed, Escape or a double click quits.\n"
           "\n" +
           options_help(engine, 18, 90) +
           "\nexample: hcci-cycle --explore --set model=predictive\n";
}

std::string window_version_text() {
    return "hcci-cycle " + std::string(version) + "\n";
}

}  // namespace hcci
