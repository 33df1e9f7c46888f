// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/draw/drawing_surface.h"

// Whole pixels: 32-bit pixels laid out as 0xffRRGGBB (the layout of a Qt RGB32 image; a
// browser canvas wants the bytes R, G, B, A instead), rectangles of them, and a view of a
// picture's rows.

namespace hcci {

using Pixel = std::uint32_t;

inline constexpr Pixel white_pixel = 0xFFFFFFFFu;

// The pixel of a drawing colour (0x00BBGGRR); system colours, the window background among
// them, are white.
constexpr Pixel to_pixel(Color color) {
    if (color & 0x80000000u) return white_pixel;
    return 0xFF000000u | (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
}

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// Both corners included; empty when right < left or bottom < top.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    constexpr bool empty() const { return right < left || bottom < top; }
    constexpr int width() const { return right - left + 1; }
    constexpr int height() const { return bottom - top + 1; }
    bool operator==(const PixelRect&) const = default;
};

// The smallest rectangle holding both; an empty one adds nothing.
constexpr PixelRect united(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// What both cover; the default (empty) rectangle when nothing.
constexpr PixelRect intersected(const PixelRect& a, const PixelRect& b) {
    const PixelRect both{std::max(a.left, b.left), std::max(a.top, b.top),
                         std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (a.empty() || b.empty() || both.empty()) return {};
    return both;
}

// Rows of pixels kept elsewhere: width x height, stride pixels from one row to the next.
struct PixelBuffer {
    Pixel* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    Pixel* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    PixelRect rect() const { return {0, 0, width - 1, height - 1}; }
};

// Sets the pixels of the rectangle that lie on the buffer.
inline void fill_rect(const PixelBuffer& buffer, PixelRect rect, Pixel pixel) {
    rect = intersected(rect, buffer.rect());
    for (int y = rect.top; y <= rect.bottom; ++y) {
        Pixel* row = buffer.row(y);
        std::fill(row + rect.left, row + rect.right + 1, pixel);
    }
}

}  // namespace hcci
