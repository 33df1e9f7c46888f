// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include "core/draw/drawing_surface.h"
#include "core/draw/pixel_surface.h"

// The drawing surface as an RGB32 image: the core's pixel surface drawing into the image's
// own pixels. A copy of image() is a picture of that moment: drawing on goes into pixels of
// the surface's own (the image is copied on write, as any QImage), never into the copy.

namespace hcci {

class ImageSurface final : public DrawingSurface {
public:
    // scale multiplies the client size, the mapping and the pen widths.
    explicit ImageSurface(double scale = 1);
    // Going on from a picture of this surface at that scale; the picture stays as it is.
    ImageSurface(double scale, const QImage& picture);
    ImageSurface(const ImageSurface&) = delete;
    ImageSurface& operator=(const ImageSurface&) = delete;

    void ForeColor(Color color) override { pixels_.ForeColor(color); }
    void DrawWidth(int pixels) override { pixels_.DrawWidth(pixels); }
    void Cls() override;

    // The picture so far.
    const QImage& image() const { return image_; }
    double scale() const { return pixels_.scale(); }
    // The pixels touched since the last call, in image coordinates.
    QRect take_dirty_rect();

    static QRgb to_rgb(Color color) { return to_pixel(color); }
    static QColor to_qcolor(Color color) { return QColor::fromRgb(to_rgb(color)); }

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override;

private:
    // The core surface, drawing into the image's pixels as they are now: a copy of the image
    // made since the last call has the image take pixels of its own first.
    PixelSurface& own_pixels();

    QImage image_;
    PixelSurface pixels_;
};

}  // namespace hcci
