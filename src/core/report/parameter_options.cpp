// SPDX-License-Identifier: MIT
#include "core/report/parameter_options.h"

namespace hcci {

OptionTaken take_parameter_option(std::span<const std::string_view> args, std::size_t& i,
                                  ParameterSources& sources) {
    const std::string_view option = args[i];
    if (option != "--params" && option != "--set") return {};
    if (i + 1 >= args.size()) return {true, "option '" + std::string(option) + "' needs a value"};
    const std::string_view value = args[++i];
    if (option == "--set") {
        sources.settings.emplace_back(value);
        return {true, std::nullopt};
    }
    if (sources.file) return {true, "option '--params' given twice"};
    if (value.empty()) return {true, "option '--params' needs a file name"};
    sources.file = std::string(value);
    return {true, std::nullopt};
}

}  // namespace hcci
