// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/pixel_buffer.h"

// Slanted lines between whole pixels, with square ends and without antialiasing, covering
// exactly the pixels Qt 6's raster engine covers for the same line and pen (Qt 6.4, as
// Debian 12 ships it): the PNG export, the window and a browser's canvas drawn with this code
// show the same pixels. Pixels off the buffer are left out; endpoints may lie anywhere up to
// 2^20 pixels away.
//
// The rules, as the engine applies them:
// - A pen one pixel wide steps along the line's longer axis in fixed point (1/64 pixel for
//   the ends, 16.16 for the slope), from half a pixel before the first end to half a pixel
//   past the last, one pixel on each row (or column) it crosses.
// - A wider pen fills the rectangle the line sweeps, stretched by half the width at each end;
//   its corners are snapped down to 1/64 pixel, and a pixel is covered when its centre lies
//   right of the left edge and not right of the right edge, both followed from row to row
//   in 16.16 fixed point.
// - Both clip the line before they start, in double precision, and the outcome depends on
//   where they clip it; so does this code, in the same order of operations.

namespace hcci {

// Pen width in whole pixels, 1 or more.
void draw_slanted_line(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, int width,
                       Pixel pixel);

// The two cases behind it.
void draw_hairline(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, Pixel pixel);
void draw_wide_line(const PixelBuffer& buffer, PixelPoint a, PixelPoint b, int width, Pixel pixel);

// The length of a line of those whole-pixel sides as glibc's hypot gives it (the square root
// corrected by one Newton step, without fused multiply-add), which can differ from the
// correctly rounded root in the last bit; the engine sets a wide pen's rectangle from it.
double engine_line_length(int dx, int dy);

}  // namespace hcci
