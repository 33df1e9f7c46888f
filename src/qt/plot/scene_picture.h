// SPDX-License-Identifier: MIT
#pragma once

#include <QGraphicsScene>
#include <QSize>
#include <QString>
#include <string>

#include "qt/plot/plot_format.h"

namespace hcci {

// A scene of charts, laid out first, as a PNG of that size (antialiased, on white) or as SVG
// vector graphics with that title. Throws std::runtime_error when it cannot be drawn.
std::string scene_picture(QGraphicsScene& scene, QSize size, PlotFormat format,
                          const QString& svg_title);

}  // namespace hcci
