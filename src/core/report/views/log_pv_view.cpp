// SPDX-License-Identifier: MIT
// log p against log V: each charge on its own volume, where a compression or an expansion
// without heat is a straight line of slope -gamma.

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    return {{"volume, height units (log)", "pressure, bar (log)", true, true,
             both(current, baseline,
                  [](auto& l, const CycleSeries& s, bool b) {
                      add_charges(l, s, b, &ChargeSeries::pressure, &ChargeSeries::volume, true);
                  }),
             std::nullopt, "bar", 2, ChartMarks::none}};
}

}  // namespace

const CycleView& log_pv_view() {
    static const CycleView view{
        "log-pv",
        "log p against log V",
        "log p\u2013log V",
        "log p against log V, each charge on its own volume (height units over the piston's "
        "area), where a compression or an expansion is a straight line "
        "of slope -gamma",
        1,
        charts};
    return view;
}

}  // namespace hcci
