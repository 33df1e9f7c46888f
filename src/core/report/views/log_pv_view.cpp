// SPDX-License-Identifier: MIT
// log p against log V: each charge on its own volume, where a compression or an expansion
// without heat is a straight line of slope -gamma.

#include <cmath>

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    auto lines = both(current, baseline, [](auto& l, const CycleSeries& s, bool b) {
        const std::size_t first = l.size();
        add_charges(l, s, b, &ChargeSeries::pressure, &ChargeSeries::volume, true);
        const double litres = litres_per_height_unit(s);
        for (std::size_t i = first; i < l.size(); ++i) {
            for (PlotPoint& p : l[i].points) p.x *= litres;
        }
    });
    return {{has_size(current) ? "volume, litres (log)" : "volume, litres for 1 L displaced (log)",
             "pressure, bar (log)", true, true, std::move(lines), std::nullopt, "bar", 2,
             ChartMarks::none}};
}

// The trace on the engine's volumes, as the model's charges are drawn.
LinesBeneath measured(const MeasuredSeries& m, const CycleSeries& current) {
    std::vector<double> litres = measured_values(m, &MeasuredPoint::volume);
    for (double& v : litres) v *= litres_per_height_unit(current);
    return {measured_line(m, litres, m.trace.pressure_bar, true)};
}

}  // namespace

const CycleView& log_pv_view() {
    static const CycleView view{
        "log-pv",
        "log p against log V",
        "log p\u2013log V",
        "log p against log V, each charge on its own volume in litres (of the engine's own size "
        "where the model has one, else of an engine of 1 litre displaced), where a compression or "
        "an expansion is a straight line of slope -gamma; the "
        "axes fitted to the data",
        1,
        charts,
        measured};
    return view;
}

}  // namespace hcci
