// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/draw/pixel_buffer.h"
#include "output_hash.h"

// Slanted lines for checking a rasteriser against the Qt raster engine, the same on every
// platform (raw mt19937 output only), and a hash of the pixels each one covers.

namespace hcci {

struct LineCase {
    PixelPoint a, b;
};

enum class Placement {
    inside,         // both ends on the picture, up to 2000 pixels apart, some on its edges
    across_edges,   // ends up to 200 pixels beyond the picture
    far_away,       // an end up to 2^20 pixels away, as whole_pixel allows
    long_and_flat,  // ends far beyond opposite edges, a few pixels off level (or upright)
    short_lines,    // up to 8 pixels either way
};

inline constexpr Placement all_placements[] = {Placement::inside, Placement::across_edges,
                                               Placement::far_away, Placement::long_and_flat,
                                               Placement::short_lines};

inline const char* placement_name(Placement p) {
    switch (p) {
        case Placement::inside:
            return "inside";
        case Placement::across_edges:
            return "across edges";
        case Placement::far_away:
            return "far away";
        case Placement::long_and_flat:
            return "long and flat";
        case Placement::short_lines:
            return "short";
    }
    return "?";
}

inline std::vector<LineCase> slanted_line_cases(int width, int height, Placement placement,
                                                int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto below = [&random](int n) {
        return static_cast<int>(random() % static_cast<unsigned>(n));
    };
    const auto between = [&below](int from, int to) { return from + below(to - from + 1); };
    // A direction from 4096 steps around the circle, without <random>'s distributions.
    const auto reach = [&](int x, int y, int length) {
        const double angle = below(4096) * (2 * 3.14159265358979323846 / 4096);
        return PixelPoint{x + static_cast<int>(std::lround(length * std::cos(angle))),
                          y + static_cast<int>(std::lround(length * std::sin(angle)))};
    };
    constexpr int far = 1 << 20;
    std::vector<LineCase> cases;
    while (static_cast<int>(cases.size()) < count) {
        LineCase c;
        switch (placement) {
            case Placement::inside: {
                c.a = {below(width), below(height)};
                c.b = reach(c.a.x, c.a.y, between(1, 2000));
                c.b = {std::clamp(c.b.x, 0, width - 1), std::clamp(c.b.y, 0, height - 1)};
                break;
            }
            case Placement::across_edges:
                c.a = {between(-200, width + 200), between(-200, height + 200)};
                c.b = reach(c.a.x, c.a.y, between(1, 2000));
                break;
            case Placement::far_away:
                c.a = {between(-far, far), between(-far, far)};
                c.b = below(2) == 0 ? PixelPoint{below(width), below(height)}
                                    : PixelPoint{between(-far, far), between(-600, 1400)};
                break;
            case Placement::long_and_flat: {
                const int length = std::array{far, 40000, 5000}[below(3)];
                c.a = {-1 - below(length), between(-10, height + 10)};
                c.b = {width + below(length), c.a.y + between(1, 4) * (below(2) ? 1 : -1)};
                if (below(2) != 0) {
                    c.a = {c.a.y * width / height, c.a.x};
                    c.b = {c.b.y * width / height, c.b.x};
                }
                break;
            }
            case Placement::short_lines:
                c.a = {between(-20, width + 20), between(-20, height + 20)};
                c.b = {c.a.x + between(-8, 8), c.a.y + between(-8, 8)};
                break;
        }
        if (c.a.x != c.b.x && c.a.y != c.b.y) cases.push_back(c);
    }
    return cases;
}

// The pens a picture at that scale draws with: DrawWidth 1, 2 and 3 times the scale.
inline std::vector<int> pen_widths_at(double scale) {
    std::vector<int> widths;
    for (const int draw_width : {1, 2, 3}) {
        const int w = std::max(1, static_cast<int>(std::lround(draw_width * scale)));
        if (std::find(widths.begin(), widths.end(), w) == widths.end()) widths.push_back(w);
    }
    return widths;
}

// Hashes the places of the pixels that are not white around a line drawn with that pen, and
// makes them white again: the buffer is white everywhere else.
inline std::uint64_t take_line_pixels(const PixelBuffer& buffer, const LineCase& c, int pen_width,
                                      std::uint64_t hash) {
    const int margin = pen_width + 2;
    const PixelRect box =
        intersected({std::min(c.a.x, c.b.x) - margin, std::min(c.a.y, c.b.y) - margin,
                     std::max(c.a.x, c.b.x) + margin, std::max(c.a.y, c.b.y) + margin},
                    buffer.rect());
    for (int y = box.top; y <= box.bottom; ++y) {
        Pixel* row = buffer.row(y);
        for (int x = box.left; x <= box.right; ++x) {
            if (row[x] == white_pixel) continue;
            const std::int32_t place[2] = {x, y};
            hash = fnv1a({reinterpret_cast<const char*>(place), sizeof place}, hash);
            row[x] = white_pixel;
        }
    }
    return hash;
}

// The pixels Qt 6.4's raster engine covers (QPainter, no antialiasing, square caps, the pen
// cosmetic at width 1) for 150 lines of each placement (seed 2024, placements in order) on a
// 616 x 741 picture, line by line through take_line_pixels, from the hash's offset basis.
struct PinnedLines {
    int pen_width;
    std::uint64_t hash;
};
inline constexpr int pinned_picture_width = 616;
inline constexpr int pinned_picture_height = 741;
inline constexpr int pinned_lines_per_placement = 150;
inline constexpr std::uint32_t pinned_seed = 2024;
inline constexpr PinnedLines pinned_lines[] = {
    {1, 0x3a3b7fe0c9f97210u}, {2, 0xe9ec3670fa31236fu}, {3, 0xe4b3e5b2e7c0d2d9u},
    {4, 0xf1ae906a21740ce5u}, {5, 0x63da3f16326b5447u}, {6, 0xfbade75c0071ecbbu},
    {8, 0x4406e8f8f5ca53b9u}, {9, 0xf267713929219c82u}, {12, 0x8821e1775ae40aedu},
};

// The hash of what draw(line, pen width) covers for the pinned lines, on a white picture of
// the pinned size.
template <typename Draw>
std::uint64_t pinned_lines_hash(const PixelBuffer& white, int pen_width, Draw draw) {
    std::uint64_t hash = fnv1a("");
    for (const Placement placement : all_placements) {
        for (const LineCase& c :
             slanted_line_cases(pinned_picture_width, pinned_picture_height, placement,
                                pinned_lines_per_placement, pinned_seed)) {
            draw(c, pen_width);
            hash = take_line_pixels(white, c, pen_width, hash);
        }
    }
    return hash;
}

}  // namespace hcci
