// SPDX-License-Identifier: MIT
#include "core/draw/slanted_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

// Every operation below is rounded where the engine rounds it, in the same order: a pixel more
// or less on an edge is all that changes otherwise. The file is built without fused
// multiply-add for the same reason (see CMakeLists.txt).

namespace hcci {
namespace {

struct Point {
    double x;
    double y;
};

struct Bounds {
    double left;
    double top;
    double right;
    double bottom;
};

// Moves each end that lies outside the bounds onto their edge, across first, then down;
// false when nothing of the segment lies within.
bool clip_segment(Point& p1, Point& p2, const Bounds& bounds) {
    if (p1.x < bounds.left) {
        if (p2.x <= bounds.left) return false;
        p1.y += (p2.y - p1.y) / (p2.x - p1.x) * (bounds.left - p1.x);
        p1.x = bounds.left;
    } else if (p1.x > bounds.right) {
        if (p2.x >= bounds.right) return false;
        p1.y += (p2.y - p1.y) / (p2.x - p1.x) * (bounds.right - p1.x);
        p1.x = bounds.right;
    }
    if (p2.x < bounds.left) {
        p2.y += (p2.y - p1.y) / (p2.x - p1.x) * (bounds.left - p2.x);
        p2.x = bounds.left;
    } else if (p2.x > bounds.right) {
        p2.y += (p2.y - p1.y) / (p2.x - p1.x) * (bounds.right - p2.x);
        p2.x = bounds.right;
    }
    if (p1.y < bounds.top) {
        if (p2.y <= bounds.top) return false;
        p1.x += (p2.x - p1.x) / (p2.y - p1.y) * (bounds.top - p1.y);
        p1.y = bounds.top;
    } else if (p1.y > bounds.bottom) {
        if (p2.y >= bounds.bottom) return false;
        p1.x += (p2.x - p1.x) / (p2.y - p1.y) * (bounds.bottom - p1.y);
        p1.y = bounds.bottom;
    }
    if (p2.y < bounds.top) {
        p2.x += (p2.x - p1.x) / (p2.y - p1.y) * (bounds.top - p2.y);
        p2.y = bounds.top;
    } else if (p2.y > bounds.bottom) {
        p2.x += (p2.x - p1.x) / (p2.y - p1.y) * (bounds.bottom - p2.y);
        p2.y = bounds.bottom;
    }
    return true;
}

void set_pixel(const PixelBuffer& buffer, std::int64_t x, std::int64_t y, Pixel pixel) {
    if (x >= 0 && x < buffer.width && y >= 0 && y < buffer.height) {
        buffer.row(static_cast<int>(y))[x] = pixel;
    }
}

// --- one pixel wide -----------------------------------------------------------------------

// 1/64 pixel, truncated toward zero.
std::int64_t to_subpixels(double v) {
    return static_cast<int>(v * 64.0);
}

// Steps along the major axis from end to end (positions in 1/64 pixel), calling
// plot(major, minor) once for each row (or column) the line covers.
template <typename Plot>
void step_hairline(std::int64_t major1, std::int64_t minor1, std::int64_t major2,
                   std::int64_t minor2, Plot plot) {
    if (major1 > major2) {
        std::swap(major1, major2);
        std::swap(minor1, minor2);
    }
    // Minor pixels per major pixel, 16.16.
    const std::int64_t slope = (minor2 - minor1) * 65536 / (major2 - major1);
    std::int64_t minor = minor1 * 1024;
    // The square ends reach half a pixel beyond both ends.
    major1 -= 32;
    minor -= slope >> 1;
    major2 += 32;
    const std::int64_t first = (major1 + 32) >> 6;
    const std::int64_t end = (major2 + 32) >> 6;
    if (first == end) return;
    // The minor position is taken at the middle of the first row when it rises along the
    // line, at the row's start otherwise.
    const std::int64_t sample = first * 64 + (slope > 0 ? 32 : 0);
    minor += ((sample - major1) * slope) >> 6;
    for (std::int64_t major = first; major < end; ++major, minor += slope) {
        plot(major, minor >> 16);
    }
}

// --- wider pens -----------------------------------------------------------------------------

// The engine's rows and columns: a position plus or minus half a pixel, truncated toward
// zero, not floored, above and left of the picture too.
int toward_zero(double v) {
    return static_cast<int>(v);
}

// 16.16 fixed point, truncated toward zero. The engine saturates far beyond any position a
// picture holds; so does this, at 2^40, early enough that the sums below cannot overflow.
std::int64_t to_fixed(double v) {
    constexpr double limit = 1099511627776.0;  // 2^40
    const double scaled = v * 65536;
    if (scaled > limit) return static_cast<std::int64_t>(limit);
    if (scaled < -limit) return -static_cast<std::int64_t>(limit);
    return static_cast<std::int64_t>(scaled);
}

// x per y along an edge; a level edge has a slope of 1e20 (its sign that of its run).
double edge_slope(Point from, Point to) {
    const double run = to.x - from.x;
    const double rise = to.y - from.y;
    if (rise == 0) return run > 0 ? 1e20 : -1e20;
    return run / rise;
}

// Whether two positions differ by less than 1/64 pixel.
bool within_subpixel(double p1, double p2) {
    return static_cast<int>((p2 - p1) * 64.0) == 0;
}

Point snap_to_subpixels(Point p) {
    return {std::floor(p.x * 64) * (1.0 / 64), std::floor(p.y * 64) * (1.0 / 64)};
}

// An upright pen rectangle: whole rows and columns whose centres it holds.
void fill_upright(const PixelBuffer& buffer, Point pa, Point pb, double across, Pixel pixel) {
    if (pa.y > pb.y) std::swap(pa, pb);
    const double half_width = 0.5 * across * (pb.y - pa.y);
    const double width = buffer.width;
    const double height = buffer.height;
    const double left = std::clamp(pa.x - half_width, 0.0, width);
    const double right = std::clamp(pa.x + half_width, 0.0, width);
    const double top = std::clamp(pa.y, 0.0, height);
    const double bottom = std::clamp(pb.y, 0.0, height);
    if (within_subpixel(left, right) || within_subpixel(top, bottom)) return;
    const PixelRect covered{toward_zero(left + 0.5), toward_zero(top + 0.5),
                            right < 0.5 ? -1 : toward_zero(right - 0.5),
                            bottom < 0.5 ? -1 : toward_zero(bottom - 0.5)};
    fill_rect(buffer, covered, pixel);
}

// The left and right edges of a run of rows, in 16.16 at the pixel centres: the left one
// half a pixel to the right, the right one half a pixel to the left, so that the pixels
// between them (both included) are those whose centres lie inside.
struct RowEdges {
    std::int64_t left;
    std::int64_t right;
};

// A slanted pen rectangle, by its four corners: top, then left and right (either may come
// first going down), then bottom.
void fill_slanted(const PixelBuffer& buffer, Point pa, Point pb, double across, Pixel pixel) {
    if (pa.y > pb.y) std::swap(pa, pb);
    const double half = 0.5 * across;
    const Point along{(pb.x - pa.x) * half, (pb.y - pa.y) * half};
    const Point perp{along.y, -along.x};
    Point top;
    Point left;
    Point right;
    Point bottom;
    if (pa.x < pb.x) {
        top = {pa.x + perp.x, pa.y + perp.y};
        left = {pa.x - perp.x, pa.y - perp.y};
        right = {pb.x + perp.x, pb.y + perp.y};
        bottom = {pb.x - perp.x, pb.y - perp.y};
    } else {
        top = {pa.x - perp.x, pa.y - perp.y};
        left = {pb.x - perp.x, pb.y - perp.y};
        right = {pa.x + perp.x, pa.y + perp.y};
        bottom = {pb.x + perp.x, pb.y + perp.y};
    }
    top = snap_to_subpixels(top);
    left = snap_to_subpixels(left);
    right = snap_to_subpixels(right);
    bottom = snap_to_subpixels(bottom);

    const double top_left_slope = edge_slope(top, left);
    const double top_right_slope = edge_slope(top, right);
    const double bottom_left_slope = edge_slope(left, bottom);
    const double bottom_right_slope = edge_slope(right, bottom);

    // The last row above each corner whose centre the rectangle reaches.
    const auto last_row_above = [](double y) { return y < 0.5 ? -1 : toward_zero(y - 0.5); };
    const int first_row = toward_zero(top.y + 0.5);
    const int left_row = last_row_above(left.y);
    const int right_row = last_row_above(right.y);
    const int last_row = last_row_above(bottom.y);

    // Each edge at the centre of the first row it bounds.
    std::int64_t upper_left = to_fixed(top.x + 0.5 + (first_row + 0.5 - top.y) * top_left_slope);
    std::int64_t lower_left =
        to_fixed(left.x + 0.5 + (left_row + 1.5 - left.y) * bottom_left_slope);
    std::int64_t upper_right = to_fixed(top.x - 0.5 + (first_row + 0.5 - top.y) * top_right_slope);
    std::int64_t lower_right =
        to_fixed(right.x - 0.5 + (right_row + 1.5 - right.y) * bottom_right_slope);
    const std::int64_t upper_left_step = to_fixed(top_left_slope);
    const std::int64_t upper_right_step = to_fixed(top_right_slope);
    const std::int64_t lower_left_step = to_fixed(bottom_left_slope);
    const std::int64_t lower_right_step = to_fixed(bottom_right_slope);

    // Rows from the current one down to `last`, between two edges; rows above the picture
    // are skipped at once, those below it left out.
    int row = first_row;
    const auto fill_rows = [&](int last, std::int64_t& left_x, std::int64_t& right_x,
                               std::int64_t left_step, std::int64_t right_step) {
        const int skip_to = std::min(last + 1, 0);
        if (row < skip_to) {
            left_x += left_step * (skip_to - row);
            right_x += right_step * (skip_to - row);
            row = skip_to;
        }
        last = std::min(last, buffer.height - 1);
        for (; row <= last; ++row) {
            const std::int64_t from = std::max<std::int64_t>(left_x >> 16, 0);
            const std::int64_t to = std::min<std::int64_t>(right_x >> 16, buffer.width - 1);
            if (to >= from) {
                Pixel* line = buffer.row(row);
                std::fill(line + from, line + to + 1, pixel);
            }
            left_x += left_step;
            right_x += right_step;
        }
    };
    fill_rows(std::min(left_row, right_row), upper_left, upper_right, upper_left_step,
              upper_right_step);
    fill_rows(right_row, lower_left, upper_right, lower_left_step, upper_right_step);
    fill_rows(left_row, upper_left, lower_right, upper_left_step, lower_right_step);
    fill_rows(last_row, lower_left, lower_right, lower_left_step, lower_right_step);
}

}  // namespace

double engine_line_length(int dx, int dy) {
    double ax = std::abs(static_cast<double>(dx));
    double ay = std::abs(static_cast<double>(dy));
    if (ax < ay) std::swap(ax, ay);
    if (ay == 0) return ax;
    const double h = std::sqrt(ax * ax + ay * ay);
    double t1 = 0;
    double t2 = 0;
    if (h <= 2.0 * ay) {
        const double delta = h - ay;
        t1 = ax * (2.0 * delta - ax);
        t2 = (delta - 2.0 * (ax - ay)) * delta;
    } else {
        const double delta = h - ax;
        t1 = 2.0 * delta * (ax - 2.0 * ay);
        t2 = (4.0 * delta - ay) * ay + delta * delta;
    }
    return h - (t1 + t2) / (2.0 * h);
}

void draw_hairline(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, Pixel pixel) {
    // Clipped to one pixel beyond the picture on every side.
    Point p1{static_cast<double>(a.x), static_cast<double>(a.y)};
    Point p2{static_cast<double>(b.x), static_cast<double>(b.y)};
    const Bounds bounds{-1.0, -1.0, buffer.width + 1.0, buffer.height + 1.0};
    if (!clip_segment(p1, p2, bounds)) return;
    const std::int64_t x1 = to_subpixels(p1.x);
    const std::int64_t y1 = to_subpixels(p1.y);
    const std::int64_t x2 = to_subpixels(p2.x);
    const std::int64_t y2 = to_subpixels(p2.y);
    if (std::llabs(x2 - x1) < std::llabs(y2 - y1)) {
        step_hairline(y1, x1, y2, x2,
                      [&](std::int64_t y, std::int64_t x) { set_pixel(buffer, x, y, pixel); });
    } else if (x1 != x2) {
        step_hairline(x1, y1, x2, y2,
                      [&](std::int64_t x, std::int64_t y) { set_pixel(buffer, x, y, pixel); });
    }
}

void draw_wide_line(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, int width, Pixel pixel) {
    if (a.x == b.x && a.y == b.y) return;
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    // The pen's width as a share of the line's length; the square ends add half of it at
    // either end.
    double across = width / engine_line_length(b.x - a.x, b.y - a.y);
    const double half = 0.5 * across;
    Point pa{a.x - half * dx, a.y - half * dy};
    Point pb{b.x + half * dx, b.y + half * dy};

    // Clipped to the picture widened by the pen's reach across the line. The far edges are
    // the near ones plus a size, as a rectangle of corner and size rounds them.
    const double reach_x = std::abs(dy) * across * 0.5;
    const double reach_y = std::abs(dx) * across * 0.5;
    Bounds bounds{-reach_x, -reach_y, 0, 0};
    bounds.right = bounds.left + ((buffer.width + reach_x) - bounds.left);
    bounds.bottom = bounds.top + ((buffer.height + reach_y) - bounds.top);
    if (!clip_segment(pa, pb, bounds)) return;

    // The width stays that of the pen, relative to what is left of the line.
    const double whole = dx * dx + dy * dy;
    const double rest = (pa.x - pb.x) * (pa.x - pb.x) + (pa.y - pb.y) * (pa.y - pb.y);
    if (rest == 0) return;
    across *= std::sqrt(whole / rest);

    if (within_subpixel(pa.y, pb.y)) {
        // Level within 1/64 pixel: the same rectangle, seen as an upright pen across it.
        const double x = (pa.x + pb.x) * 0.5;
        const double half_length = std::abs(pb.x - pa.x) * 0.5;
        const double y = pa.y;
        const double half_height = across * half_length;
        pa = {x, y - half_height};
        pb = {x, y + half_height};
        across = 1 / across;
    }
    if (within_subpixel(pa.x, pb.x)) {
        fill_upright(buffer, pa, pb, across, pixel);
    } else {
        fill_slanted(buffer, pa, pb, across, pixel);
    }
}

void draw_slanted_line(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, int width,
                       Pixel pixel) {
    if (width <= 1) {
        draw_hairline(buffer, a, b, pixel);
    } else {
        draw_wide_line(buffer, a, b, width, pixel);
    }
}

}  // namespace hcci
