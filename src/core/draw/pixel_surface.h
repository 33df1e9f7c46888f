// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <vector>

#include "core/draw/drawing_surface.h"
#include "core/draw/pixel_buffer.h"

// The drawing surface as pixels, without any toolkit: round(616 x scale) x round(741 x scale)
// of them, 0xffRRGGBB, white to begin with. Every call lands on whole pixels, so that the same
// call always covers the same pixels and white erases black exactly: level and upright lines
// and boxes are spans a pen's width wide and square at the ends (a pen of width w reaches
// (w - 1) / 2 pixels before the centre line and w / 2 after it); slanted lines cover the
// pixels the Qt raster engine covers for them (core/draw/slanted_line.h).

namespace hcci {

class PixelSurface final : public DrawingSurface {
public:
    // Pixels of its own; scale multiplies the client size, the mapping and the pen widths.
    explicit PixelSurface(double scale = 1);
    // Drawing into pixels kept elsewhere, as they are, which must be the size of that scale
    // and outlive the surface (or be replaced first by draw_into).
    PixelSurface(double scale, const PixelBuffer& pixels);
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    // The width and height of a surface of that scale.
    static int width_at(double scale);
    static int height_at(double scale);

    void ForeColor(Color color) override { fore_color_ = color; }
    void DrawWidth(int pixels) override;
    void Cls() override;

    // Goes on drawing in other memory of the same size: the pixels its owner moved.
    void draw_into(const PixelBuffer& pixels);

    double scale() const { return scale_; }
    int width() const { return buffer_.width; }
    int height() const { return buffer_.height; }
    const PixelBuffer& pixels() const { return buffer_; }
    Pixel pixel(int x, int y) const { return buffer_.row(y)[x]; }

    // The pixels touched since the last call (all of them after Cls and at the start), within
    // the picture; empty when none.
    PixelRect take_dirty_rect();

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override;

private:
    static int pen_width_at(int draw_width, double scale);
    void draw_straight(PixelPoint a, PixelPoint b, int width, Pixel pixel);

    double scale_;
    std::vector<Pixel> own_;  // empty when drawing into pixels kept elsewhere
    PixelBuffer buffer_;
    Color fore_color_ = black;
    int pen_width_;  // pixels: DrawWidth times the scale, rounded, at least 1
    PixelRect dirty_;
};

}  // namespace hcci
