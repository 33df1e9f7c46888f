// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/engine_parameters.h"

// The engine's parameters as text: a TOML file of the flat names, and NAME=VALUE settings from
// the command line. Shared by both programs.

namespace hcci {

// Where a run's parameters come from: the file is read first, then every setting on top, the
// last one of a name winning. Neither given: the defaults. The programs read the file with
// read_parameters (platform/parameter_file.h).
struct ParameterSources {
    std::optional<std::string> file;
    std::vector<std::string> settings;  // NAME=VALUE
};

// A parameter file as it was read: the name it was given, which messages name, and its text.
struct ParameterFileText {
    std::string name;
    std::string text;
};

// The parameters of a file's text (none: the defaults) with every setting on top, or why there
// are none: one line naming the file and its line, or the parameter, the value given and what
// is allowed. An angle given by the name of an earlier release (first_split_angle, a crank
// angle) is read, converted, and told in a line of notices.
std::variant<EngineParameters, std::string> parameters_from_text(
    const std::optional<ParameterFileText>& file, const std::vector<std::string>& settings,
    std::vector<std::string>* notices = nullptr);

// The same with each value checked against its own range only, for a caller that checks the
// whole set itself (a study, whose varied value may mend the order of the rest).
std::variant<EngineParameters, std::string> parameter_values_from_text(
    const std::optional<ParameterFileText>& file, const std::vector<std::string>& settings,
    std::vector<std::string>* notices = nullptr);

// One NAME=VALUE onto the parameters; the reason when it cannot be.
std::optional<std::string> apply_setting(EngineParameters& parameters, std::string_view setting,
                                         std::vector<std::string>* notices = nullptr);

// TOML text onto the parameters; file_name names it in messages.
std::optional<std::string> apply_parameter_text(EngineParameters& parameters, std::string_view text,
                                                std::string_view file_name,
                                                std::vector<std::string>* notices = nullptr);

// The parameter that an angle's name of an earlier release (a crank angle, 90 at top dead
// centre) now names, or nothing.
const ParameterInfo* former_angle_parameter(std::string_view name);

// The complete parameter file of those values, a commented line each, ready to edit.
std::string parameter_file(const EngineParameters& parameters);

// The same of the defaults.
std::string default_parameter_file();

}  // namespace hcci
