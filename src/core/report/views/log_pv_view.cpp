// SPDX-License-Identifier: MIT
// log p against log V: each charge on its own volume, where a compression or an expansion
// without heat is a straight line of slope -gamma.

#include <cmath>

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

// Litres per height unit: the stroke's 100 height units sweep the displacement. A model with an
// engine size (bore and stroke) has its own; otherwise the engine is that of a litre displaced, as
// the analysis counts work per litre displaced.
bool has_size(const CycleSeries& series) {
    const double displacement = series.analysis.fuel.displacement_l;
    return std::isfinite(displacement) && displacement > 0;
}

double litres_per_height_unit(const CycleSeries& series) {
    return has_size(series) ? series.analysis.fuel.displacement_l / 100 : 0.01;
}

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
        charts};
    return view;
}

}  // namespace hcci
