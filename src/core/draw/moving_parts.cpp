// SPDX-License-Identifier: MIT
#include "core/draw/moving_parts.h"

#include "core/draw/logical_mapping.h"
#include "core/model/sweep.h"

namespace hcci {

namespace {

// The ends' x, by name.
enum End {
    face,
    ring1_in,
    ring1_out,
    mouth,
    ring2_out,
    ring2_in,
    ring3_out,
    ring3_in,
    ring4_out,
    ring4_in,
    inner
};

// A line or box of the outline: its ends' xs by name, its ys as +-b / divisor.
struct OutlinePart {
    LineMode mode;
    End x1;
    double sign1, divisor1;
    End x2;
    double sign2, divisor2;
};

constexpr LineMode line = LineMode::line;
constexpr LineMode box = LineMode::box;

// In the order they are drawn. Crown face and the recess, narrow at its mouth (half-height
// b/2), wider inside (b/1.85); then the rings at the bore edge.
constexpr OutlinePart outline[] = {
    {line, face, -1, 1, face, -1, 2},
    {line, face, 1, 1, face, 1, 2},
    {line, face, -1, 2, mouth, -1, 2},
    {line, face, 1, 2, mouth, 1, 2},
    {line, inner, -1, 1.85, inner, 1, 1.85},
    {line, inner, 1, 1.85, mouth, 1, 1.85},
    {line, inner, -1, 1.85, mouth, -1, 1.85},
    {line, mouth, -1, 2, mouth, -1, 1.85},
    {line, mouth, 1, 2, mouth, 1, 1.85},
    {box, ring1_in, -1, 1, ring1_out, -1, 1.1},
    {box, ring1_in, 1, 1, ring1_out, 1, 1.1},
    {box, ring2_out, 1, 1, ring2_in, 1, 1.1},
    {box, ring2_out, -1, 1, ring2_in, -1, 1.1},
    {box, ring3_out, 1, 1, ring3_in, 1, 1.06},
    {box, ring3_out, -1, 1, ring3_in, -1, 1.06},
    {box, ring4_out, 1, 1, ring4_in, 1, 1.1},
    {box, ring4_out, -1, 1, ring4_in, -1, 1.1},
};

void draw_part(DrawingSurface& s, const OutlinePart& part,
               const std::array<double, piston_outline_x_count>& x, double b) {
    // (-b) / 1 is -b itself: the same doubles as the outline has always been drawn with.
    s.Line(part.mode, x[part.x1], (part.sign1 * b) / part.divisor1, x[part.x2],
           (part.sign2 * b) / part.divisor2);
}

}  // namespace

std::array<double, piston_outline_x_count> piston_outline_xs(const EngineGeometry& g, double X) {
    const double r = g.crank_radius;
    return {X,           X + r / 15,  X + r / 12, X + r / 7,   X + r / 6.8, X + r / 7.8,
            X + r / 5.2, X + r / 5.6, X + r / 5,  X + r / 5.9, X + r / 4.5};
}

void draw_piston_outline(DrawingSurface& s, const EngineGeometry& g, double crown_x) {
    const std::array<double, piston_outline_x_count> x = piston_outline_xs(g, crown_x);
    for (const OutlinePart& part : outline) draw_part(s, part, x, g.half_bore);
}

void draw_piston_history(DrawingSurface& s, const EngineGeometry& g,
                         std::span<const double> piston_positions, double scale) {
    if (piston_positions.size() < 2) return;
    // The outline's ys are the same at every step: a part's pixels follow from the whole
    // pixels of its ends' xs, and a part is drawn again only where those have changed. The
    // white is one colour: in what order its parts are drawn does not matter.
    constexpr std::size_t parts = std::size(outline);
    std::array<std::pair<int, int>, parts> drawn{};
    bool first = true;
    s.DrawWidth(1);
    s.ForeColor(white);
    for (const double position : piston_positions.first(piston_positions.size() - 1)) {
        const std::array<double, piston_outline_x_count> xs =
            piston_outline_xs(g, position - g.total_clearance);
        std::array<int, piston_outline_x_count> pixels{};
        for (std::size_t i = 0; i < xs.size(); ++i) {
            pixels[i] = whole_pixel(pixel_x(DrawingSurface::to_single(xs[i]), scale));
        }
        for (std::size_t p = 0; p < parts; ++p) {
            const std::pair<int, int> at{pixels[outline[p].x1], pixels[outline[p].x2]};
            if (!first && at == drawn[p]) continue;
            draw_part(s, outline[p], xs, g.half_bore);
            drawn[p] = at;
        }
        first = false;
    }
    s.ForeColor(black);
    draw_piston_outline(s, g, piston_positions.back() - g.total_clearance);
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
