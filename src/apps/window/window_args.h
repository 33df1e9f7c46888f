// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/report/parameter_text.h"

// The command line of hcci-cycle, the window. No toolkit here: it is read before Qt starts, so
// that --help, --version and mistakes need no display.

namespace hcci {

enum class WindowAction { animate, help, version };

struct WindowArgs {
    WindowAction action = WindowAction::animate;
    bool explore = false;  // the picture with the explorer's panel beside it
    ParameterSources parameters;
};

// Parses the arguments after the program name; the reason when they cannot be.
std::variant<WindowArgs, std::string> parse_window_args(std::span<const std::string_view> args);

std::string window_usage_text();
std::string window_version_text();

}  // namespace hcci
