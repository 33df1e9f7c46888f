// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/report/parameter_text.h"

// The options both programs take for the engine: --params FILE (once) and --set NAME=VALUE
// (as often as wanted, the last one of a name winning).

namespace hcci {

inline constexpr std::string_view parameter_options_usage = "[--params FILE] [--set NAME=VALUE]...";

struct OptionTaken {
    bool taken = false;                  // args[i] was one of these options
    std::optional<std::string> problem;  // what is wrong with it
};

// Takes args[i] (and its value, moving i on) when it is one of these options.
OptionTaken take_parameter_option(std::span<const std::string_view> args, std::size_t& i,
                                  ParameterSources& sources);

}  // namespace hcci
