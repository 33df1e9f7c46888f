// SPDX-License-Identifier: MIT
// Pressure against crank angle: the whole sweep, and a zoom around top dead centre, the peaks
// labelled.

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    const auto lines = both(current, baseline, [](auto& l, const CycleSeries& s, bool b) {
        add_charges(l, s, b, &ChargeSeries::pressure);
    });
    const std::string angle(angle_title);
    return {{angle, "pressure, bar", false, false, lines, whole_sweep, "bar", 2,
             ChartMarks::pressure_peaks},
            {angle, "pressure, bar", false, false, lines,
             std::pair{-zoom_half_width_deg, zoom_half_width_deg}, "bar", 2,
             ChartMarks::pressure_peaks}};
}

LinesBeneath measured(const MeasuredSeries& m, const CycleSeries& /*current*/) {
    const std::vector<ViewLine> line = measured_line(m, m.trace.angle_deg, m.trace.pressure_bar);
    return {line, line};
}

}  // namespace

const CycleView& pressure_angle_view() {
    static const CycleView view{
        "pressure-angle",
        "Pressure against crank angle",
        "Pressure",
        "pressure against crank angle after top dead centre, the whole sweep and, beneath, -30 "
        "to +30 degrees; the peaks labelled",
        2,
        charts,
        measured};
    return view;
}

}  // namespace hcci
