// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// The formats every plot is written in: the views and a study's figures.

namespace hcci {

enum class PlotFormat { png, svg };

// The format a plot's file name asks for (core/report/output_format.h): SVG for a name ending in
// .svg, PNG for any other.
PlotFormat plot_format_of(std::string_view path);

}  // namespace hcci
