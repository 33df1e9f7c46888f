// SPDX-License-Identifier: MIT
#pragma once

#include <QRectF>
#include <QSize>
#include <string>
#include <vector>

#include "core/model/engine_parameters.h"
#include "core/model/study.h"
#include "qt/plot/plot_format.h"

// A study's main figures against the varied parameter, drawn with Qt Charts for a slide as it
// is: landscape, a title naming the parameter and the engine, the panels stacked with their plot
// areas aligned (one vertical line reads across all), the x axis exactly the studied range, the
// default value marked. IMEP; the efficiency against the Otto value; the combustion phasing;
// the peak pressures; the largest pressure rise rates and the ringing intensity, on logarithmic
// axes (the auxiliary chamber's are some thirty times the others'), the ringing with its limit.
// Lines differ by dash as well as colour. Needs a QApplication (the offscreen platform will do).

namespace hcci {

inline constexpr QSize study_plot_size{1920, 1080};

// The plot's file content.
std::string plot_study(const Study& study, const EngineParameters& base, PlotFormat format);

// Where each panel's plot area lies in a plot of that size, top to bottom.
std::vector<QRectF> study_plot_areas(QSize size);

}  // namespace hcci
