// SPDX-License-Identifier: MIT
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <optional>
#include <string>
#include <vector>

#include "core/report/map_table.h"
#include "qt/plot/plot_format.h"

// An operating map for a slide, landscape: six filled maps (CA50, IMEPg, fuel conversion
// efficiency, combustion efficiency, ringing intensity, peak pressure), each with its colour
// scale and units. On every one the misfire region is hatched, partial burn hatched lightly the
// other way, the ringing and peak pressure limits drawn as lines between the cells on either
// side, the region within all limits outlined and the default engine marked; a legend below
// names them, a title the map, the engine and its model. Needs a QApplication (the offscreen
// platform will do).

namespace hcci {

inline constexpr QSize map_plot_size{1920, 1080};

struct MapLimits {
    double ringing = 5;          // MW/m2
    double peak_pressure = 200;  // bar
};

// The plot's file content.
std::string plot_map(const MapTable& table, const MapLimits& limits, PlotFormat format);

// Where each panel's filled map lies in a plot of that size, by rows from the top left.
std::vector<QRectF> map_plot_areas(QSize size);

// The point of the map whose cell holds that place of its plot (map_plot_size), on any panel;
// nothing outside the panels' maps.
std::optional<std::size_t> map_point_at(const MapTable& table, QPointF place);

}  // namespace hcci
