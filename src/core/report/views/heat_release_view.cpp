// SPDX-License-Identifier: MIT
// Heat release: the apparent rate per charge, J/L per degree, and the burned fraction with
// CA10/50/90 (and each charge's fuel burned, for a model with fuel), over the angles where heat
// is released.

#include <algorithm>
#include <cmath>

#include "core/report/view_charts.h"

namespace hcci {
namespace {

using namespace view_lines;

// The angles over which heat is released (by the current engine or the baseline), with ten
// degrees either side, and never less than the zoom around top dead centre.
std::pair<double, double> combustion_window(const CycleSeries& current,
                                            const CycleSeries* baseline) {
    double from = -zoom_half_width_deg, to = zoom_half_width_deg;
    for (const CycleSeries* series : {&current, baseline}) {
        if (series == nullptr) continue;
        double largest = 0;
        for (const ChargeLook& c : charges()) {
            for (const double rate : (series->*c.series).heat_release_rate) {
                if (std::isfinite(rate)) largest = std::max(largest, std::abs(rate));
            }
        }
        for (const ChargeLook& c : charges()) {
            const std::vector<double>& rates = (series->*c.series).heat_release_rate;
            for (std::size_t i = 0; i < rates.size(); ++i) {
                if (!(std::abs(rates[i]) > 1e-3 * largest)) continue;
                from = std::min(from, series->angle_deg[i] - 10);
                to = std::max(to, series->angle_deg[i] + 10);
            }
        }
    }
    return {std::max(-180.0, std::floor(from / 10) * 10), std::min(180.0, std::ceil(to / 10) * 10)};
}

std::vector<ViewChart> charts(const CycleSeries& current, const CycleSeries* baseline) {
    const auto rates = both(current, baseline, [](auto& l, const CycleSeries& s, bool b) {
        add_charges(l, s, b, &ChargeSeries::heat_release_rate);
    });
    const auto burned = both(current, baseline, [](auto& l, const CycleSeries& s, bool b) {
        add_runs(l, style("burned fraction", {60, 60, 60}, b), s.angle_deg, s.burned_fraction,
                 false);
        if (s.united.fuel_burned.empty()) return;
        for (const ChargeLook& c : charges()) {
            add_runs(l, style(std::string(c.name) + " fuel burned", c.colour, b), s.angle_deg,
                     (s.*c.series).fuel_burned, false);
        }
    });
    const auto window = combustion_window(current, baseline);
    const std::string angle(angle_title);
    return {{angle, "heat release, J/L per degree", false, false, rates, window, "J/L per degree",
             2, ChartMarks::none},
            {angle, "burned fraction", false, false, burned, window, "", 4, ChartMarks::phasing}};
}

// The trace's apparent heat release rate, and its running share beneath the burned fraction.
LinesBeneath measured(const MeasuredSeries& m, const CycleSeries& /*current*/) {
    return {
        measured_line(m, m.trace.angle_deg, measured_values(m, &MeasuredPoint::heat_release_rate)),
        measured_line(m, m.trace.angle_deg, measured_values(m, &MeasuredPoint::burned_fraction))};
}

}  // namespace

const CycleView& heat_release_view() {
    static const CycleView view{"heat-release",
                                "Heat release",
                                "Heat release",
                                "the apparent heat release rate of each charge in J per litre "
                                "displaced per degree and, beneath, the burned fraction (and, for "
                                "a model with fuel, each charge's fuel burned) with CA10, CA50 and "
                                "CA90 marked, over the angles where heat is released (never less "
                                "than -30 to +30 degrees)",
                                2,
                                charts,
                                measured};
    return view;
}

}  // namespace hcci
