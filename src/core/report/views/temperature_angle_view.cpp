// SPDX-License-Identifier: MIT
// Temperature against crank angle, the peaks labelled.

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    return {{std::string(angle_title), "temperature, K", false, false,
             both(current, baseline,
                  [](auto& l, const CycleSeries& s, bool b) {
                      add_charges(l, s, b, &ChargeSeries::temperature);
                  }),
             whole_sweep, "K", 1, ChartMarks::temperature_peaks}};
}

}  // namespace

const CycleView& temperature_angle_view() {
    static const CycleView view{"temperature-angle",
                                "Temperature against crank angle",
                                "Temperature",
                                "temperature against crank angle; the peaks labelled",
                                1,
                                charts,
                                nullptr};
    return view;
}

}  // namespace hcci
