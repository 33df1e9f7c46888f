// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "core/model/study.h"

// A study's main figures against the varied parameter, drawn with Qt Charts: IMEP, the
// combustion phasing, the peak pressures and the largest pressure rise rates, a panel each, with
// axes, units and legends. Needs a QApplication (no display: the offscreen platform will do).

namespace hcci {

enum class PlotFormat { png, svg };

// The plot's file content.
std::string plot_study(const Study& study, PlotFormat format);

}  // namespace hcci
