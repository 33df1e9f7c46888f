// SPDX-License-Identifier: MIT
#include "qt/picture/svg_surface.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/draw/logical_mapping.h"
#include "qt/picture/image_surface.h"

namespace hcci {
namespace {

// A pen of width w covers (w - 1) / 2 pixels before the centre line and w / 2 after it, as on
// the image surface: a stroke through the middle of that band covers it on whole pixels.
double centre_offset(int width) {
    const int before = (width - 1) / 2;
    const int after = width / 2;
    return 0.5 + (after - before) / 2.0;
}

// The pixels a straight span from a to b covers, as the image surface fills them.
QRect span(QPoint a, QPoint b, int width) {
    const int before = (width - 1) / 2;
    const int after = width / 2;
    return QRect(QPoint(std::min(a.x(), b.x()) - before, std::min(a.y(), b.y()) - before),
                 QPoint(std::max(a.x(), b.x()) + after, std::max(a.y(), b.y()) + after));
}

// The charges' colours, which only the traces are drawn in.
bool is_trace(Color color) {
    return color == blue || color == green || color == red;
}

double distance_to_segment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF off = p - (a + t * ab);
    return std::hypot(off.x(), off.y());
}

}  // namespace

void SvgSurface::ForeColor(Color color) {
    // The moving parts are erased in white, then drawn in black: a white pass starts a step's
    // outline afresh.
    if (color == white) outline_.clear();
    fore_color_ = color;
}

void SvgSurface::DrawWidth(int pixels) {
    draw_width_ = std::max(1, pixels);
}

void SvgSurface::Cls() {
    kept_.clear();
    outline_.clear();
    fixed_black_ = QRegion();
    erased_ = QRegion();
}

void SvgSurface::draw(LineMode mode, float x1, float y1, float x2, float y2,
                      std::optional<Color> explicit_color) {
    const QPoint a(whole_pixel(pixel_x(x1)), whole_pixel(pixel_y(y1)));
    const QPoint b(whole_pixel(pixel_x(x2)), whole_pixel(pixel_y(y2)));
    const QPointF from(pixel_x(x1), pixel_y(y1));
    const QPointF to(pixel_x(x2), pixel_y(y2));
    const Color color = explicit_color.value_or(fore_color_);
    const bool exact = mode == LineMode::line && ((x1 != x2 && y1 != y2) || is_trace(color));
    Shape shape{
        mode,
        exact,
        exact ? std::vector<QPointF>{from, to} : std::vector<QPointF>{QPointF(a), QPointF(b)},
        a,
        draw_width_,
        color,
        {}};
    if (explicit_color) {
        // What is black after the filled boxes: the block less the bore, the partition.
        if (mode == LineMode::filled_box) {
            const QRect area = span(a, b, draw_width_);
            fixed_black_ = *explicit_color == black ? fixed_black_.united(area)
                                                    : fixed_black_.subtracted(area);
        }
        keep(std::move(shape), from, to);
        return;
    }
    if (fore_color_ == black) {
        outline_.push_back(std::move(shape));
    } else if (fore_color_ == white && mode != LineMode::filled_box &&
               (mode == LineMode::box || a.x() == b.x() || a.y() == b.y())) {
        // An erasing stroke paints its pixels white: where they were fixed black, that shows.
        QRegion painted;
        if (mode == LineMode::box) {
            for (const auto& [from, to] :
                 {std::pair{a, QPoint(b.x(), a.y())}, std::pair{QPoint(b.x(), a.y()), b},
                  std::pair{b, QPoint(a.x(), b.y())}, std::pair{QPoint(a.x(), b.y()), a}}) {
                painted += span(from, to, draw_width_);
            }
        } else {
            painted = span(a, b, draw_width_);
        }
        erased_ += painted.intersected(fixed_black_);
    } else {
        kept_.push_back(std::move(shape));
    }
}

void SvgSurface::keep(Shape shape, QPointF from, QPointF to) {
    // A trace's segment starts where its segment of the step before ended, a few calls back
    // (a step draws up to four segments, and near top dead centre the erasing strokes that
    // cross the partition come between; they never cross a trace, so the order stays true).
    // The model's successive points agree to a few thousandths of a pixel; where a division
    // starts or ends, a trace jumps by pixels and starts a path of its own.
    constexpr double joined = 0.05;  // pixels
    if (shape.mode == LineMode::line) {
        const std::size_t look_back = std::min<std::size_t>(kept_.size(), 16);
        for (std::size_t i = kept_.size() - look_back; i < kept_.size(); ++i) {
            Shape& chain = kept_[i];
            const QPointF gap = chain.points.back() - from;
            if (chain.mode == LineMode::line && chain.exact && chain.color == shape.color &&
                chain.width == shape.width && std::abs(gap.x()) < joined &&
                std::abs(gap.y()) < joined) {
                if (gap.x() != 0 || gap.y() != 0) extend(chain, from);
                extend(chain, to);
                return;
            }
        }
    }
    kept_.push_back(std::move(shape));
}

// A point of an unrounded polyline replaces the last one where the line to it from the one
// before passes within a thousandth of a pixel (the precision the file's numbers are written
// at) of the last one and of every point that one stands for: the path passes every point it
// was given, and a trace is some thousands of points, not one for each of 18000 steps.
void SvgSurface::extend(Shape& chain, QPointF point) {
    constexpr double thinned = 0.001;  // pixels
    std::vector<QPointF>& points = chain.points;
    if (points.size() >= 2) {
        const QPointF before = points[points.size() - 2];
        const auto passes = [&](QPointF p) {
            return distance_to_segment(p, before, point) <= thinned;
        };
        if (passes(points.back()) &&
            std::all_of(chain.passed.begin(), chain.passed.end(), passes)) {
            chain.passed.push_back(points.back());
            points.back() = point;
            return;
        }
    }
    chain.passed.clear();
    points.push_back(point);
}

void SvgSurface::paint_shape(QPainter& painter, const Shape& shape) {
    const QColor color = ImageSurface::to_qcolor(shape.color);
    const QPointF a = shape.points.front();
    const QPointF b = shape.points.back();
    // A line of no length is a dot of the pen's size; not every viewer draws the caps of a
    // path that goes nowhere.
    if (shape.mode == LineMode::line && shape.points.size() == 2 && a == b) {
        painter.fillRect(span(shape.pixel, shape.pixel, shape.width), color);
        return;
    }
    if (shape.mode == LineMode::filled_box) {
        painter.fillRect(span(a.toPoint(), b.toPoint(), shape.width), color);
        return;
    }
    painter.setPen(QPen(color, shape.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    // A whole pixel's point is its top left corner; an unrounded point lies inside its pixel
    // already, where the pen's band is centred on the pixel's middle.
    const double offset = centre_offset(shape.width) - (shape.exact ? 0.5 : 0.0);
    const auto at = [offset](QPointF p) { return QPointF(p.x() + offset, p.y() + offset); };
    QPainterPath path(at(a));
    if (shape.mode == LineMode::box) {
        for (const QPointF corner : {QPointF(b.x(), a.y()), b, QPointF(a.x(), b.y()), a}) {
            path.lineTo(at(corner));
        }
    } else {
        for (std::size_t i = 1; i < shape.points.size(); ++i) path.lineTo(at(shape.points[i]));
    }
    painter.drawPath(path);
}

void SvgSurface::paint(QPainter& painter) const {
    painter.fillRect(QRect(0, 0, client_width, client_height), Qt::white);
    for (const Shape& shape : kept_) paint_shape(painter, shape);
    for (const QRect& rect : erased_) painter.fillRect(rect, Qt::white);
    for (const Shape& shape : outline_) paint_shape(painter, shape);
}

std::size_t SvgSurface::path_count() const {
    return kept_.size() + static_cast<std::size_t>(erased_.rectCount()) + outline_.size();
}

}  // namespace hcci
