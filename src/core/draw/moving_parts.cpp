// SPDX-License-Identifier: MIT
#include "core/draw/moving_parts.h"

#include "core/model/sweep.h"

namespace hcci {

void draw_piston_outline(DrawingSurface& s, const EngineGeometry& g, double X) {
    const double r = g.crank_radius;
    const double b = g.half_bore;
    constexpr LineMode line = LineMode::line;
    constexpr LineMode box = LineMode::box;
    // Crown face and the recess, narrow at its mouth (half-height b/2), wider inside (b/1.85).
    s.Line(line, X, -b, X, (-b) / 2);
    s.Line(line, X, b, X, b / 2);
    s.Line(line, X, (-b) / 2, X + r / 7, (-b) / 2);
    s.Line(line, X, b / 2, X + r / 7, b / 2);
    s.Line(line, X + r / 4.5, (-b) / 1.85, X + r / 4.5, b / 1.85);
    s.Line(line, X + r / 4.5, b / 1.85, X + r / 7, b / 1.85);
    s.Line(line, X + r / 4.5, (-b) / 1.85, X + r / 7, (-b) / 1.85);
    s.Line(line, X + r / 7, (-b) / 2, X + r / 7, (-b) / 1.85);
    s.Line(line, X + r / 7, b / 2, X + r / 7, b / 1.85);
    // Rings at the bore edge.
    s.Line(box, X + r / 15, -b, X + r / 12, (-b) / 1.1);
    s.Line(box, X + r / 15, b, X + r / 12, b / 1.1);
    s.Line(box, X + r / 6.8, b, X + r / 7.8, b / 1.1);
    s.Line(box, X + r / 6.8, -b, X + r / 7.8, (-b) / 1.1);
    s.Line(box, X + r / 5.2, b, X + r / 5.6, b / 1.06);
    s.Line(box, X + r / 5.2, -b, X + r / 5.6, (-b) / 1.06);
    s.Line(box, X + r / 5, b, X + r / 5.9, b / 1.1);
    s.Line(box, X + r / 5, -b, X + r / 5.9, (-b) / 1.1);
}

void draw_moving_parts(DrawingSurface& s, const EngineGeometry& g, double crank_angle,
                       double prev_piston_pos, double piston_pos) {
    if (is_first_step(crank_angle)) return;
    s.DrawWidth(1);
    // Literal white: the erase must cover the previous outline pixel for pixel.
    s.ForeColor(white);
    draw_piston_outline(s, g, prev_piston_pos - g.total_clearance);
    s.ForeColor(black);
    draw_piston_outline(s, g, piston_pos - g.total_clearance);
}

}  // namespace hcci
