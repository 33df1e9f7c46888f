#include "image_surface.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "logical_mapping.h"

namespace hcci {

ImageSurface::ImageSurface(double scale)
    : scale_(scale),
      image_(static_cast<int>(std::lround(client_width * scale)),
             static_cast<int>(std::lround(client_height * scale)), QImage::Format_RGB32) {
    if (image_.isNull()) throw std::runtime_error("cannot allocate the drawing surface image");
    image_.fill(Qt::white);
    dirty_ = image_.rect();
}

ImageSurface::~ImageSurface() {
    if (painter_.isActive()) painter_.end();
}

QColor ImageSurface::to_qcolor(Color color) {
    if (color & 0x80000000u) return QColor(255, 255, 255);  // system colours: window background
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

void ImageSurface::DrawWidth(int pixels) {
    if (pixels < 1) throw std::invalid_argument("DrawWidth must be at least 1 pixel");
    draw_width_ = pixels;
}

QPainter& ImageSurface::painter() {
    if (!painter_.isActive()) {
        if (!painter_.begin(&image_)) throw std::runtime_error("cannot paint on the drawing surface");
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

void ImageSurface::draw(LineMode mode, float x1, float y1, float x2, float y2,
                        std::optional<Color> explicit_color) {
    QPainter& p = painter();
    const Color color = explicit_color.value_or(fore_color_);
    const int width = std::max(1, static_cast<int>(std::lround(draw_width_ * scale_)));
    if (color != pen_color_ || width != pen_width_) {
        QPen pen(to_qcolor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        p.setPen(pen);
        pen_color_ = color;
        pen_width_ = width;
    }
    const QPointF a(pixel_x(x1, scale_), pixel_y(y1, scale_));
    const QPointF b(pixel_x(x2, scale_), pixel_y(y2, scale_));
    switch (mode) {
        case LineMode::line:
            p.drawLine(a, b);
            break;
        case LineMode::box:
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(a, b).normalized());
            break;
        case LineMode::filled_box:
            p.setBrush(to_qcolor(color));
            p.drawRect(QRectF(a, b).normalized());
            p.setBrush(Qt::NoBrush);
            break;
    }
    const int margin = width + 1;
    const QRect touched = QRectF(a, b).normalized().toAlignedRect().adjusted(-margin, -margin,
                                                                              margin, margin);
    dirty_ = dirty_.isNull() ? touched : dirty_.united(touched);
}

}  // namespace hcci
