// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/cycle_series.h"
#include "core/model/measured_trace.h"

// The views an engineer reads a cycle by, as data: each view's charts, their axes, and the lines
// they draw (a run of steps of one charge, or of the whole, every point of it), from the sweep of
// the current engine and, where given, of a baseline drawn dashed beneath it. A toolkit draws
// them (qt/plot/cycle_views.h); the data is the same for every one.
//
// Each view is a file of its own in views/ with its entry; view_list.cpp lists them.

namespace hcci {

struct PlotPoint {
    double x = 0, y = 0;
    bool operator==(const PlotPoint&) const = default;
};

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct ViewLine {
    std::string name;
    Rgb colour;  // the current engine's; a baseline's is drawn lighter and dashed
    bool baseline = false;
    std::vector<PlotPoint> points;
    std::vector<int> steps;  // the step of each point
};

// What a chart of angles marks besides the divisions and the ignitions.
enum class ChartMarks { none, pressure_peaks, temperature_peaks, phasing };

struct ViewChart {
    std::string x_title, y_title;
    bool log_x = false, log_y = false;
    std::vector<ViewLine> lines;
    std::optional<std::pair<double, double>> x_range;  // fixed, where not fitted to the data
    std::string y_unit;                                // as a value is read: "bar"
    int y_decimals = 2;
    ChartMarks marks = ChartMarks::none;
};

// A measured trace as the views draw it, beneath the model: its rows, what its analysis gives
// each, and its name (the file's) for the legend.
struct MeasuredSeries {
    std::string name;
    MeasuredTrace trace;
    std::vector<MeasuredPoint> points;
};

// The lines a chart draws beneath the model's, a list for each of a view's charts.
using LinesBeneath = std::vector<std::vector<ViewLine>>;

struct CycleView {
    std::string_view name;   // as the command line names it: "pressure-angle"
    std::string_view title;  // "Pressure against crank angle"
    std::string_view tab;    // "Pressure"
    std::string_view help;   // what it shows, as the manual says it
    std::size_t chart_count;
    std::vector<ViewChart> (*charts)(const CycleSeries& current, const CycleSeries* baseline);
    // The measured trace's lines on each chart, in black, where the view draws one.
    LinesBeneath (*measured)(const MeasuredSeries& measured, const CycleSeries& current) = nullptr;
};

// Every view, in the order the explorer's tabs and the help show them.
std::span<const CycleView* const> cycle_views();
const CycleView* view_named(std::string_view name);
// "pressure-angle, log-pv, heat-release or temperature-angle": the names joined by commas, the
// last by `last_separator`.
std::string view_names_text(std::string_view last_separator = " or ");

// The lines of a view's charts.
inline std::vector<ViewChart> view_charts(const CycleView& view, const CycleSeries& current,
                                          const CycleSeries* baseline) {
    return view.charts(current, baseline);
}

// What the views share: the charges' names and colours, and the lines made of a series.
namespace view_lines {

struct ChargeLook {
    const char* name;
    Rgb colour;
    ChargeSeries CycleSeries::*series;
};
// In the order of ChargeName: united blue, main green, auxiliary red.
std::span<const ChargeLook> charges();

ViewLine style(std::string name, Rgb colour, bool baseline);

// The runs of steps where both values are numbers (and positive, for a logarithmic axis): a
// line each, so that a charge's line breaks where it is not present.
void add_runs(std::vector<ViewLine>& lines, const ViewLine& style, const std::vector<double>& x,
              const std::vector<double>& y, bool positive);

// Each charge's values against the angle, or against another of its series.
void add_charges(std::vector<ViewLine>& lines, const CycleSeries& series, bool baseline,
                 const std::vector<double> ChargeSeries::*y,
                 const std::vector<double> ChargeSeries::*x = nullptr, bool positive = false);

// A measured trace's line of those values, black, named by its file.
std::vector<ViewLine> measured_line(const MeasuredSeries& measured, const std::vector<double>& x,
                                    const std::vector<double>& y, bool positive = false);
// Its rows' values of a kind, in their order.
std::vector<double> measured_values(const MeasuredSeries& measured, double MeasuredPoint::*value);

// The two sweeps' lines, the baseline's first so that the current one is drawn over it.
template <class Add>
std::vector<ViewLine> both(const CycleSeries& current, const CycleSeries* baseline, Add add) {
    std::vector<ViewLine> lines;
    if (baseline != nullptr) add(lines, *baseline, true);
    add(lines, current, false);
    return lines;
}

// Litres per height unit: the stroke's 100 height units sweep the displacement. A model with an
// engine size (bore and stroke) has its own; otherwise the engine is that of a litre displaced,
// as the analysis counts work per litre displaced.
bool has_size(const CycleSeries& series);
double litres_per_height_unit(const CycleSeries& series);

inline constexpr std::string_view angle_title = "crank angle, degrees after top dead centre";
inline constexpr std::pair<double, double> whole_sweep{-180, 180};
inline constexpr double zoom_half_width_deg = 30;  // around top dead centre

}  // namespace view_lines
}  // namespace hcci
