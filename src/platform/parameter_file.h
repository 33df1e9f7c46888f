// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "core/model/engine_parameters.h"
#include "core/report/parameter_text.h"

// Parameter files read from the file system, for the programs; the core reads their text.

namespace hcci {

// The file's text, or why it cannot be had: "cannot read PATH: No such file or directory", a
// directory, or more than a parameter file can be (1 MiB).
std::variant<ParameterFileText, std::string> read_parameter_file(const std::string& path);

// The parameters of a run: its file read, then parameters_from_text.
std::variant<EngineParameters, std::string> read_parameters(
    const ParameterSources& sources, std::vector<std::string>* notices = nullptr);

// The same with each value checked against its own range only: parameter_values_from_text.
std::variant<EngineParameters, std::string> read_parameter_values(
    const ParameterSources& sources, std::vector<std::string>* notices = nullptr);

}  // namespace hcci
