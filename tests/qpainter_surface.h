// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/draw/logical_mapping.h"
#include "core/draw/pixel_surface.h"

// The surface as the Qt layer drew it before slanted lines moved into the core, to compare
// against: level and upright lines and boxes as the core's spans, slanted lines through
// QPainter (antialiasing off; pen width round(DrawWidth x scale), square caps, mitre joins,
// cosmetic when one pixel wide), between the same whole pixels.

namespace hcci {

class QPainterSurface final : public DrawingSurface {
public:
    explicit QPainterSurface(double scale)
        : scale_(scale),
          image_(PixelSurface::width_at(scale), PixelSurface::height_at(scale),
                 QImage::Format_RGB32),
          spans_(scale, {reinterpret_cast<Pixel*>(image_.bits()), image_.width(), image_.height(),
                         image_.bytesPerLine() / 4}) {
        image_.fill(Qt::white);
    }
    ~QPainterSurface() override {
        if (painter_.isActive()) painter_.end();
    }

    void ForeColor(Color color) override {
        fore_color_ = color;
        spans_.ForeColor(color);
    }
    void DrawWidth(int pixels) override {
        draw_width_ = pixels;
        spans_.DrawWidth(pixels);
    }
    void Cls() override { spans_.Cls(); }

    const QImage& image() {
        if (painter_.isActive()) painter_.end();
        return image_;
    }

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override {
        const Color color = explicit_color.value_or(fore_color_);
        const int width = std::max(1, static_cast<int>(std::lround(draw_width_ * scale_)));
        const QPoint a(whole_pixel(pixel_x(x1, scale_)), whole_pixel(pixel_y(y1, scale_)));
        const QPoint b(whole_pixel(pixel_x(x2, scale_)), whole_pixel(pixel_y(y2, scale_)));
        if (mode != LineMode::line || a.x() == b.x() || a.y() == b.y()) {
            spans_.Line(mode, x1, y1, x2, y2, color);
            return;
        }
        if (!painter_.isActive()) {
            painter_.begin(&image_);
            painter_.setRenderHint(QPainter::Antialiasing, false);
        }
        QPen pen(QColor::fromRgb(to_pixel(color)), width, Qt::SolidLine, Qt::SquareCap,
                 Qt::MiterJoin);
        pen.setCosmetic(width == 1);
        painter_.setPen(pen);
        painter_.drawLine(a, b);
    }

private:
    double scale_;
    QImage image_;
    PixelSurface spans_;
    QPainter painter_;
    Color fore_color_ = black;
    int draw_width_ = 1;
};

}  // namespace hcci
