// SPDX-License-Identifier: MIT
#include "core/draw/pixel_buffer.h"

#include <algorithm>

namespace hcci {

PixelRect united(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

PixelRect intersected(const PixelRect& a, const PixelRect& b) {
    const PixelRect both{std::max(a.left, b.left), std::max(a.top, b.top),
                         std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (a.empty() || b.empty() || both.empty()) return {};
    return both;
}

void fill_rect(const PixelBuffer& buffer, PixelRect rect, Pixel pixel) {
    rect = intersected(rect, buffer.rect());
    for (int y = rect.top; y <= rect.bottom; ++y) {
        Pixel* row = buffer.row(y);
        std::fill(row + rect.left, row + rect.right + 1, pixel);
    }
}

}  // namespace hcci
