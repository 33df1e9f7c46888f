// SPDX-License-Identifier: MIT
#include "core/draw/trace_segments.h"

namespace hcci {
namespace {

inline constexpr int trace_pen_width = 2;

}  // namespace

void draw_trace_segments(DrawingSurface& s, const CycleRecord& record, int step) {
    if (step == 0) return;
    const EngineGeometry& g = record.geometry;
    const auto now = static_cast<std::size_t>(step);
    const std::size_t before = now - 1;
    s.DrawWidth(trace_pen_width);
    const double x1 = record.piston_pos[before] - g.total_clearance;
    const double x2 = record.piston_pos[now] - g.total_clearance;
    const auto pressure = [&](ChargeName charge, Color color) {
        const std::vector<double>& p = record.charge(charge).pressure;
        s.Line(LineMode::line, x1, pressure_y(g, p[before]), x2, pressure_y(g, p[now]), color);
    };
    const auto temperature = [&](ChargeName charge, Color color) {
        const std::vector<double>& t = record.charge(charge).temperature;
        s.Line(LineMode::line, x1, temperature_y(g, t[before]), x2, temperature_y(g, t[now]),
               color);
    };
    if (record.divided(step)) {
        // The auxiliary chamber first, the main one over it.
        pressure(ChargeName::aux, red);
        pressure(ChargeName::main, green);
        temperature(ChargeName::aux, red);
        temperature(ChargeName::main, green);
    } else {
        pressure(ChargeName::united, blue);
        temperature(ChargeName::united, blue);
    }
}

}  // namespace hcci
