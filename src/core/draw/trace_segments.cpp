// SPDX-License-Identifier: MIT
#include "core/draw/trace_segments.h"

#include "core/model/sweep.h"

namespace hcci {
namespace {

inline constexpr int trace_pen_width = 2;

}  // namespace

void draw_trace_segments(DrawingSurface& s, const EngineGeometry& g, const CombustionModel& m,
                         double crank_angle, int phase) {
    if (phase == 1 && is_first_step(crank_angle)) return;
    s.DrawWidth(trace_pen_width);
    const double x1 = m.prev_piston_pos - g.total_clearance;
    const double x2 = m.piston_pos - g.total_clearance;
    if (is_divided_phase(phase)) {
        s.Line(LineMode::line, x1, pressure_y(g, m.prev_aux_pressure), x2,
               pressure_y(g, m.aux_pressure), red);
        s.Line(LineMode::line, x1, pressure_y(g, m.prev_main_pressure), x2,
               pressure_y(g, m.main_pressure), green);
        s.Line(LineMode::line, x1, temperature_y(g, m.prev_aux_temperature), x2,
               temperature_y(g, m.aux_temperature), red);
        s.Line(LineMode::line, x1, temperature_y(g, m.prev_main_temperature), x2,
               temperature_y(g, m.main_temperature), green);
    } else {
        s.Line(LineMode::line, x1, pressure_y(g, m.prev_united_pressure), x2,
               pressure_y(g, m.united_pressure), blue);
        s.Line(LineMode::line, x1, temperature_y(g, m.prev_united_temperature), x2,
               temperature_y(g, m.united_temperature), blue);
    }
}

}  // namespace hcci
