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
// cosmetic at width 1) for 150 lines of each placement on a 616 x 741 picture (seed 2024),
// line by line through take_line_pixels, from the hash's offset basis.
struct PinnedLines {
    Placement placement;
    int pen_width;
    std::uint64_t hash;
};
inline constexpr int pinned_picture_width = 616;
inline constexpr int pinned_picture_height = 741;
inline constexpr int pinned_lines_per_placement = 150;
inline constexpr std::uint32_t pinned_seed = 2024;
inline constexpr PinnedLines pinned_lines[] = {
    {Placement::inside, 1, 0x281f3a5a7bf448e9u},
    {Placement::inside, 2, 0x7a46516e949f659fu},
    {Placement::inside, 3, 0x3904c7ac52c48b3au},
    {Placement::inside, 4, 0x814f6ba4896d8ee8u},
    {Placement::inside, 5, 0xc17c7f57d543c2e0u},
    {Placement::inside, 6, 0x90d1c4cbf52d36b7u},
    {Placement::inside, 8, 0xe325d27eed1b2f81u},
    {Placement::inside, 9, 0x92c7079370162b97u},
    {Placement::inside, 12, 0xbdd9b7ed9325eb55u},
    {Placement::across_edges, 1, 0x062f9f4b5371a63bu},
    {Placement::across_edges, 2, 0x577bf40ab44148ceu},
    {Placement::across_edges, 3, 0x6469a3232dfd173eu},
    {Placement::across_edges, 4, 0x392505e41ce01737u},
    {Placement::across_edges, 5, 0x504816505d65d7eau},
    {Placement::across_edges, 6, 0x3fa3e110f1166f11u},
    {Placement::across_edges, 8, 0xf220d22721c1ebadu},
    {Placement::across_edges, 9, 0x0572ebbc7157a971u},
    {Placement::across_edges, 12, 0xda92b83dd17f9c5au},
    {Placement::far_away, 1, 0x6bc9914f5f811af6u},
    {Placement::far_away, 2, 0xa1ddd23a7d05256du},
    {Placement::far_away, 3, 0x621a688f00204fedu},
    {Placement::far_away, 4, 0xaa17587e2ecfc833u},
    {Placement::far_away, 5, 0x2dd9fc8feb125c8cu},
    {Placement::far_away, 6, 0xab99b429aed54008u},
    {Placement::far_away, 8, 0xfd5176322949e7f9u},
    {Placement::far_away, 9, 0xaa23ed32b38b39ceu},
    {Placement::far_away, 12, 0x73a98bdd53897b7eu},
    {Placement::long_and_flat, 1, 0x8b765e123ada5b83u},
    {Placement::long_and_flat, 2, 0x9b48c5446d2f0726u},
    {Placement::long_and_flat, 3, 0xe62cf816bf1df955u},
    {Placement::long_and_flat, 4, 0x18ea5b78b6999839u},
    {Placement::long_and_flat, 5, 0xe38614ce3cc3d5a2u},
    {Placement::long_and_flat, 6, 0xce5e24585fdd3763u},
    {Placement::long_and_flat, 8, 0xd840527f9010ea2cu},
    {Placement::long_and_flat, 9, 0xea92446ca08b7af4u},
    {Placement::long_and_flat, 12, 0x08cbd55d797c3ed8u},
    {Placement::short_lines, 1, 0x10f8e8fef9b2367bu},
    {Placement::short_lines, 2, 0x8558dfec6556a469u},
    {Placement::short_lines, 3, 0x47d0d63931e70609u},
    {Placement::short_lines, 4, 0x8f2587e4eefbb67cu},
    {Placement::short_lines, 5, 0x91c7a4af0e08602bu},
    {Placement::short_lines, 6, 0xfc13126e1ccd42d2u},
    {Placement::short_lines, 8, 0x6669911c22288408u},
    {Placement::short_lines, 9, 0x483a779502008bc6u},
    {Placement::short_lines, 12, 0xa807eb315c2aded4u},
};

}  // namespace hcci
