// SPDX-License-Identifier: MIT
#pragma once

#include <QChart>
#include <QLineSeries>
#include <QSizeF>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_series.h"
#include "core/report/view_charts.h"
#include "qt/plot/plot_format.h"

// The views an engineer reads a cycle by, drawn with Qt Charts: pressure against crank angle
// (the whole cycle, and a zoom around top dead centre), log p against log V (each charge on its
// own volume, where compression and expansion are straight lines), the heat-release rate with
// the burned fraction and CA10/50/90, and temperature against crank angle. Numbered axes that
// fit the data, the traces' colours (united blue, main green, auxiliary red), a legend, the
// divisions shaded, the peaks and the predictive model's ignitions marked. A baseline engine,
// where given, is drawn dashed beneath the current one.

namespace hcci {

// The data of every view: core/report/view_charts.h.

// How a view's charts are drawn: on how many pixels (the whole view's), for vector graphics
// (every point that shows, cut to the plot's x range) or thinned to the points that fall on
// distinct pixels (the values read off the lines stay the data's), and the names a comparison's
// legend gives the two engines. The legend lies beneath each plot, wrapped (chart_legend.h).
struct ViewDrawing {
    QSizeF pixels;
    bool every_point = false;
    QString current_name = QStringLiteral("this engine");
    QString baseline_name = QStringLiteral("the baseline");
    // On screen, points within this many pixels of the line through their neighbours are left
    // out too (thinned's straighten_within); 0 for a file, whose pixels stay as they were.
    double straighten_within = 0;
};

// A chart of a view as Qt Charts draws it, with the data it was made from: the series of its
// lines in the order of layout.lines.
struct BuiltChart {
    QChart* chart = nullptr;
    std::unique_ptr<QChart> owned;  // the chart, until a view or a scene takes it
    ViewChart layout;
    std::vector<QAbstractSeries*> series;  // all that the view put in the chart, owned by it
    std::vector<QLineSeries*> lines;       // those of layout.lines
};

// The Qt Charts of those: the divisions shaded, peaks and ignitions marked; `beneath`, where
// given, drawn under each chart's lines (a measured trace's).
std::vector<BuiltChart> make_view(const CycleView& view, const CycleSeries& current,
                                  const CycleSeries* baseline, const ViewDrawing& drawing,
                                  const LinesBeneath* beneath = nullptr);
// The same charts with another sweep's lines and marks, their axes refitted (but where their
// user has zoomed): a new chart is far slower to make than its series.
void refill_view(std::vector<BuiltChart>& charts, const CycleView& view, const CycleSeries& current,
                 const CycleSeries* baseline, const ViewDrawing& drawing,
                 const LinesBeneath* beneath = nullptr);

// The points of a line that fall on distinct pixels of a plot of that size over those ranges,
// in order, the first and the last always; with straighten_within, of those only the bends
// (core/report/straight_runs.h).
std::vector<PlotPoint> thinned(const std::vector<PlotPoint>& points, QSizeF pixels,
                               std::pair<double, double> x_range, std::pair<double, double> y_range,
                               bool log_x, bool log_y, double straighten_within = 0);

// A line cut to the x range: the points within it and, where it crosses an end, the point on
// that end.
std::vector<PlotPoint> clipped_to_x(const std::vector<PlotPoint>& points,
                                    std::pair<double, double> x_range);

// A line without the points that lie within `tolerance_px` pixels of the line drawn without
// them, on a plot of that size over those ranges; the first and the last always kept.
std::vector<PlotPoint> simplified(const std::vector<PlotPoint>& points, QSizeF pixels,
                                  std::pair<double, double> x_range,
                                  std::pair<double, double> y_range, bool log_x, bool log_y,
                                  double tolerance_px);

// The range an axis of a chart shows now (zoomed, it may be).
std::pair<double, double> range_of(const QAbstractAxis* axis);

// The names of a comparison's two engines: a parameter file's, or "the defaults".
struct EngineNames {
    std::string current = "this engine";
    std::string baseline = "the baseline";
};

// The view as a picture of that size, PNG or SVG (polylines at the data's points, within a tenth
// of a pixel), titled with the engine and its conditions; a measured trace, where given, drawn
// in black beneath the model on the views that draw one.
std::string render_view(const CycleView& view, const CycleSeries& current,
                        const CycleSeries* baseline, QSize size, PlotFormat format,
                        const EngineNames& names = {}, const MeasuredSeries* measured = nullptr);

}  // namespace hcci
