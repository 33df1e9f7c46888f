// SPDX-License-Identifier: MIT
#include "apps/window/window_args.h"

#include "core/report/parameter_options.h"
#include "core/report/version.h"

namespace hcci {

std::variant<WindowArgs, std::string> parse_window_args(std::span<const std::string_view> args) {
    WindowArgs result;
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "--version")) {
        result.action = args[0] == "--help" ? WindowAction::help : WindowAction::version;
        return result;
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const OptionTaken taken = take_parameter_option(args, i, result.parameters);
        if (taken.problem) return *taken.problem;
        if (args[i] == "--explore") {
            result.explore = true;
            continue;
        }
        if (!taken.taken) {
            if (args[i] == "--help" || args[i] == "--version") {
                return "option '" + std::string(args[i]) + "' stands alone";
            }
            return "unknown option '" + std::string(args[i]) + "'";
        }
    }
    return result;
}

std::string window_usage_text() {
    return "usage: hcci-cycle [--explore] [--params FILE] [--set NAME=VALUE]...\n"
           "       hcci-cycle --help | --version\n"
           "\n"
           "Animates one cycle of the engine, endlessly. Keys: Space freezes and unfreezes, Enter\n"
           "restarts, \",\" and \".\" make it a tenth faster or slower, \"/\" five times the "
           "default\n"
           "speed, Escape or a double click quits.\n"
           "\n"
           "  --explore         with a panel beside the picture: scrub, step, change the engine,\n"
           "                    read its values and analysis, export\n"
           "  --params FILE     the engine's parameters from a TOML file\n"
           "  --set NAME=VALUE  one parameter, after the file; hcci-cycle-export params lists "
           "them\n";
}

std::string window_version_text() {
    return "hcci-cycle " + std::string(version) + "\n";
}

}  // namespace hcci
