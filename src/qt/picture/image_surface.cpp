// SPDX-License-Identifier: MIT
#include "qt/picture/image_surface.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/draw/logical_mapping.h"

namespace hcci {

ImageSurface::ImageSurface(double scale)
    : scale_(scale),
      image_(static_cast<int>(std::lround(client_width * scale)),
             static_cast<int>(std::lround(client_height * scale)), QImage::Format_RGB32) {
    if (image_.isNull()) throw std::runtime_error("cannot allocate the drawing surface image");
    image_.fill(Qt::white);
    dirty_ = image_.rect();
}

ImageSurface::ImageSurface(double scale, const QImage& picture) : scale_(scale), image_(picture) {
    const QSize size(static_cast<int>(std::lround(client_width * scale)),
                     static_cast<int>(std::lround(client_height * scale)));
    if (image_.size() != size || image_.format() != QImage::Format_RGB32) {
        throw std::invalid_argument("the picture does not fit a surface of that scale");
    }
    image_.detach();  // its own pixels from now on
    dirty_ = image_.rect();
}

ImageSurface::~ImageSurface() {
    if (painter_.isActive()) painter_.end();
}

QRgb ImageSurface::to_rgb(Color color) {
    if (color & 0x80000000u) return qRgb(255, 255, 255);  // system colours: window background
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QColor ImageSurface::to_qcolor(Color color) {
    return QColor::fromRgb(to_rgb(color));
}

void ImageSurface::DrawWidth(int pixels) {
    if (pixels < 1) throw std::invalid_argument("DrawWidth must be at least 1 pixel");
    draw_width_ = pixels;
}

QPainter& ImageSurface::painter() {
    if (!painter_.isActive()) {
        if (!painter_.begin(&image_))
            throw std::runtime_error("cannot paint on the drawing surface");
        painter_.setRenderHint(QPainter::Antialiasing, false);
        pen_width_ = -1;
    }
    return painter_;
}

void ImageSurface::Cls() {
    if (painter_.isActive()) painter_.end();
    image_.fill(Qt::white);
    dirty_ = image_.rect();
}

const QImage& ImageSurface::image() {
    if (painter_.isActive()) painter_.end();
    return image_;
}

QRect ImageSurface::take_dirty_rect() {
    const QRect result = dirty_.intersected(image_.rect());
    dirty_ = QRect();
    return result;
}

void ImageSurface::fill_pixels(int left, int top, int right, int bottom, QRgb rgb) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_.width() - 1);
    bottom = std::min(bottom, image_.height() - 1);
    if (left > right || top > bottom) return;
    uchar* const bits = image_.bits();  // one detach check per span, not per row
    const qsizetype bytes_per_line = image_.bytesPerLine();
    for (int y = top; y <= bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * bytes_per_line);
        std::fill(row + left, row + right + 1, rgb);
    }
}

void ImageSurface::draw_straight(QPoint a, QPoint b, int width, QRgb rgb) {
    // A pen of width w covers (w - 1) / 2 pixels before the centre line and w / 2 after it;
    // the ends are square.
    const int before = (width - 1) / 2;
    const int after = width / 2;
    fill_pixels(std::min(a.x(), b.x()) - before, std::min(a.y(), b.y()) - before,
                std::max(a.x(), b.x()) + after, std::max(a.y(), b.y()) + after, rgb);
}

void ImageSurface::draw(LineMode mode, float x1, float y1, float x2, float y2,
                        std::optional<Color> explicit_color) {
    const Color color = explicit_color.value_or(fore_color_);
    const QRgb rgb = to_rgb(color);
    const int width = std::max(1, static_cast<int>(std::lround(draw_width_ * scale_)));
    // Whole pixels: the same call always lands on the same pixels.
    const QPoint a(whole_pixel(pixel_x(x1, scale_)), whole_pixel(pixel_y(y1, scale_)));
    const QPoint b(whole_pixel(pixel_x(x2, scale_)), whole_pixel(pixel_y(y2, scale_)));
    // Boxes and level or upright lines are spans of pixels written directly; only slanted
    // lines go through the painter.
    switch (mode) {
        case LineMode::line:
            if (a.x() == b.x() || a.y() == b.y()) {
                draw_straight(a, b, width, rgb);
            } else {
                draw_slanted(a, b, width, color);
            }
            break;
        case LineMode::box:
            draw_straight(a, QPoint(b.x(), a.y()), width, rgb);
            draw_straight(QPoint(b.x(), a.y()), b, width, rgb);
            draw_straight(b, QPoint(a.x(), b.y()), width, rgb);
            draw_straight(QPoint(a.x(), b.y()), a, width, rgb);
            break;
        case LineMode::filled_box:
            draw_straight(a, b, width, rgb);
            break;
    }
    const int margin = width + 1;
    const QRect touched = QRect(a, b).normalized().adjusted(-margin, -margin, margin, margin);
    dirty_ = dirty_.isNull() ? touched : dirty_.united(touched);
}

void ImageSurface::draw_slanted(QPoint a, QPoint b, int width, Color color) {
    QPainter& p = painter();
    if (color != pen_color_ || width != pen_width_) {
        QPen pen(to_qcolor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        pen.setCosmetic(width == 1);
        p.setPen(pen);
        pen_color_ = color;
        pen_width_ = width;
    }
    p.drawLine(a, b);
}

}  // namespace hcci
