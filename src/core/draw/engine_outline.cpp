// SPDX-License-Identifier: MIT
#include "core/draw/engine_outline.h"

namespace hcci {

void draw_engine_outline(DrawingSurface& s, const EngineGeometry& g) {
    const double r = g.crank_radius;
    const double b = g.half_bore;
    // The bore over the block leaves the head and liner walls black; the cylinder is open at x =
    // 111.
    s.Line(LineMode::filled_box, -r / 30 - 2, -1.05 * b, 111, 1.05 * b, black);
    s.Line(LineMode::filled_box, -r / 30, -b, 111, b, window_background);
    s.Line(LineMode::filled_box, -r / 30, -r / 5, 2 * r / 10, r / 5, black);
    s.Line(LineMode::filled_box, r / 4.8, -b / 2, r / 6, b / 2, black);
}

void draw_diagram_axes(DrawingSurface& s, const EngineGeometry& g) {
    s.DrawWidth(3);
    s.ForeColor(dark_red);
    const double x0 = -g.total_clearance;
    s.Line(LineMode::line, x0, g.pressure_base_y, 100, g.pressure_base_y);
    s.Line(LineMode::line, x0, g.temperature_base_y, 100, g.temperature_base_y);
    s.Line(LineMode::line, x0, g.pressure_base_y - 200, x0, g.pressure_base_y);
    s.Line(LineMode::line, x0, g.temperature_base_y, x0, g.temperature_base_y + 200);
}

}  // namespace hcci
