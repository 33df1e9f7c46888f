// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include "core/draw/drawing_surface.h"

// The drawing surface as an RGB32 image, painted without antialiasing so that the same call
// always covers the same pixels and white erases black exactly.

namespace hcci {

class ImageSurface final : public DrawingSurface {
public:
    // scale multiplies the client size, the mapping and the pen widths.
    explicit ImageSurface(double scale = 1);
    // Going on from a picture of this surface at that scale.
    ImageSurface(double scale, const QImage& picture);
    ~ImageSurface() override;
    ImageSurface(const ImageSurface&) = delete;
    ImageSurface& operator=(const ImageSurface&) = delete;

    void ForeColor(Color color) override { fore_color_ = color; }
    void DrawWidth(int pixels) override;
    void Cls() override;

    // The picture so far; ends the open painter first.
    const QImage& image();
    double scale() const { return scale_; }
    // The pixels touched since the last call, in image coordinates.
    QRect take_dirty_rect();

    static QRgb to_rgb(Color color);
    static QColor to_qcolor(Color color);

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override;

private:
    QPainter& painter();
    void fill_pixels(int left, int top, int right, int bottom, QRgb rgb);
    void draw_straight(QPoint a, QPoint b, int width, QRgb rgb);
    void draw_slanted(QPoint a, QPoint b, int width, Color color);

    double scale_;
    QImage image_;
    QPainter painter_;
    Color fore_color_ = black;
    int draw_width_ = 1;
    Color pen_color_ = black;
    int pen_width_ = -1;
    QRect dirty_;
};

}  // namespace hcci
