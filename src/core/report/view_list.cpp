// SPDX-License-Identifier: MIT
// The views an engineer reads a cycle by. A new view is a file of its own in views/ (its charts
// and its entry) and a line in each of the two lists below.

#include "core/report/view_charts.h"

namespace hcci {

const CycleView& pressure_angle_view();     // views/pressure_angle_view.cpp
const CycleView& log_pv_view();             // views/log_pv_view.cpp
const CycleView& heat_release_view();       // views/heat_release_view.cpp
const CycleView& temperature_angle_view();  // views/temperature_angle_view.cpp

std::span<const CycleView* const> cycle_views() {
    static const CycleView* const views[] = {
        &pressure_angle_view(),
        &log_pv_view(),
        &heat_release_view(),
        &temperature_angle_view(),
    };
    return views;
}

}  // namespace hcci
