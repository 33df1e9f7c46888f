// SPDX-License-Identifier: MIT
#include "core/draw/moving_parts.h"

#include <utility>
#include <vector>

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

namespace {

// Each end's distance behind the crown's face.
std::array<double, piston_outline_x_count> outline_offsets(const EngineGeometry& g) {
    const double r = g.crank_radius;
    return {0, r / 15, r / 12, r / 7, r / 6.8, r / 7.8, r / 5.2, r / 5.6, r / 5, r / 5.9, r / 4.5};
}

std::array<double, piston_outline_x_count> outline_xs(
    const std::array<double, piston_outline_x_count>& offsets, double X) {
    std::array<double, piston_outline_x_count> xs{};
    xs[0] = X;  // X + 0 would turn a crown at -0 into +0
    for (std::size_t i = 1; i < xs.size(); ++i) xs[i] = X + offsets[i];
    return xs;
}

}  // namespace

std::array<double, piston_outline_x_count> piston_outline_xs(const EngineGeometry& g, double X) {
    return outline_xs(outline_offsets(g), X);
}

void draw_piston_outline(DrawingSurface& s, const EngineGeometry& g, double crown_x) {
    const std::array<double, piston_outline_x_count> x = piston_outline_xs(g, crown_x);
    for (const OutlinePart& part : outline) draw_part(s, part, x, g.half_bore);
}

namespace {

// One straight stroke of the outline (a line, or an edge of a ring's box) swept over many
// steps: its ys are the same at every step, and the whole pixel columns its ends have covered
// form a run that grows while the piston moves less than a pixel a step. The run is drawn as one
// level line, or one filled box for an upright stroke, from the x that landed on its first
// column to the x that landed on its last: the same pixels as the stroke drawn at every step,
// since the surface puts each end on the whole pixel of its x.
class SweptStroke {
public:
    SweptStroke(LineMode mode, double y1, double y2) : mode_(mode), y1_(y1), y2_(y2) {}

    // The stroke at a step, between the columns of two xs.
    void add(DrawingSurface& s, int column_a, double x_a, int column_b, double x_b) {
        if (column_b < column_a) {
            std::swap(column_a, column_b);
            std::swap(x_a, x_b);
        }
        const bool empty = last_ < first_;
        if (!empty && column_a <= last_ + 1 && column_b >= first_ - 1) {
            if (column_a < first_) first_ = column_a, x_first_ = x_a;
            if (column_b > last_) last_ = column_b, x_last_ = x_b;
            return;
        }
        draw(s);
        first_ = column_a, x_first_ = x_a;
        last_ = column_b, x_last_ = x_b;
    }

    // The run so far, drawn; then none.
    void draw(DrawingSurface& s) {
        if (last_ < first_) return;
        s.Line(mode_, x_first_, y1_, x_last_, y2_);
        first_ = 0, last_ = -1;
    }

private:
    LineMode mode_;
    double y1_, y2_;
    int first_ = 0, last_ = -1;
    double x_first_ = 0, x_last_ = 0;
};

// Where a stroke's ends are: the outline's ends by name.
struct StrokeEnds {
    End x1, x2;
};

}  // namespace

void draw_piston_history(DrawingSurface& s, const EngineGeometry& g,
                         std::span<const double> piston_positions, double scale) {
    if (piston_positions.size() < 2) return;
    // Every part of the outline is level or upright, a box four such edges; white is one colour,
    // so the order in which the sweep's strokes are drawn does not matter.
    std::vector<SweptStroke> strokes;
    std::vector<StrokeEnds> ends;
    const double b = g.half_bore;
    for (const OutlinePart& part : outline) {
        const double y1 = (part.sign1 * b) / part.divisor1, y2 = (part.sign2 * b) / part.divisor2;
        const auto add = [&](LineMode mode, End x1, double from_y, End x2, double to_y) {
            strokes.emplace_back(mode, from_y, to_y);
            ends.push_back({x1, x2});
        };
        if (part.mode == LineMode::box) {
            add(LineMode::line, part.x1, y1, part.x2, y1);
            add(LineMode::line, part.x1, y2, part.x2, y2);
            add(LineMode::filled_box, part.x1, y1, part.x1, y2);
            add(LineMode::filled_box, part.x2, y1, part.x2, y2);
        } else {
            add(part.x1 == part.x2 ? LineMode::filled_box : LineMode::line, part.x1, y1, part.x2,
                y2);
        }
    }
    s.DrawWidth(1);
    s.ForeColor(white);
    const std::array<double, piston_outline_x_count> offsets = outline_offsets(g);
    std::array<int, piston_outline_x_count> previous{};
    bool first = true;
    for (const double position : piston_positions.first(piston_positions.size() - 1)) {
        const std::array<double, piston_outline_x_count> xs =
            outline_xs(offsets, position - g.total_clearance);
        std::array<int, piston_outline_x_count> columns{};
        for (std::size_t i = 0; i < xs.size(); ++i) {
            columns[i] = whole_pixel(pixel_x(DrawingSurface::to_single(xs[i]), scale));
        }
        // Most steps move the crown less than a pixel: on the columns of the step before, every
        // stroke lies within its run already.
        if (!first && columns == previous) continue;
        first = false;
        previous = columns;
        for (std::size_t k = 0; k < strokes.size(); ++k) {
            const StrokeEnds e = ends[k];
            strokes[k].add(s, columns[e.x1], xs[e.x1], columns[e.x2], xs[e.x2]);
        }
    }
    for (SweptStroke& stroke : strokes) stroke.draw(s);
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
