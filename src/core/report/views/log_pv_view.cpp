// SPDX-License-Identifier: MIT
// log p against log V: each charge on its own volume, where a compression or an expansion
// without heat is a straight line of slope -gamma.

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

// The engine's size is its displacement, as the analysis counts work per litre displaced: the
// stroke's 100 height units sweep a litre, so a volume of h height units is h / 100 litres.
constexpr double litres_per_height_unit = 0.01;

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    auto lines = both(current, baseline, [](auto& l, const CycleSeries& s, bool b) {
        add_charges(l, s, b, &ChargeSeries::pressure, &ChargeSeries::volume, true);
    });
    for (ViewLine& line : lines) {
        for (PlotPoint& p : line.points) p.x *= litres_per_height_unit;
    }
    return {{"volume, litres for 1 L displaced (log)", "pressure, bar (log)", true, true,
             std::move(lines), std::nullopt, "bar", 2, ChartMarks::none}};
}

}  // namespace

const CycleView& log_pv_view() {
    static const CycleView view{
        "log-pv",
        "log p against log V",
        "log p\u2013log V",
        "log p against log V, each charge on its own volume in litres for an engine of 1 litre "
        "displaced, where a compression or an expansion is a straight line of slope -gamma; the "
        "axes fitted to the data",
        1,
        charts};
    return view;
}

}  // namespace hcci
