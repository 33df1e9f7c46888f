// SPDX-License-Identifier: MIT
#pragma once

#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <vector>

#include "core/draw/drawing_surface.h"

// The drawing surface as vector graphics: every call becomes a path on the painter it is given
// at the end (a QSvgGenerator's), covering the same pixels as the image surface.
//
// The image surface keeps only what the last call painted on each pixel; a vector picture keeps
// every call. So that the picture stays the size of what it shows, the moving parts' outlines
// that a later step erased are left out (the last one is drawn at the end), and their erasing
// strokes (white, level or upright) become what they leave seen: white rectangles where they
// crossed the fixed black parts, which are the partition disc's edges near top dead centre.
//
// Level and upright lines and boxes lie on whole pixels, as on the image surface, and stay
// crisp. The traces (the lines in the charges' colours) and any other slanted line (the
// connecting rod) go through the points they were given, mapped onto the picture unrounded;
// consecutive segments of a trace join into one polyline through every step's point.

namespace hcci {

class SvgSurface final : public DrawingSurface {
public:
    void ForeColor(Color color) override;
    void DrawWidth(int pixels) override;
    void Cls() override;

    // Paints what the calls left, in their order, at the client area's own size.
    void paint(QPainter& painter) const;
    // How many paths that is.
    std::size_t path_count() const;

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override;

private:
    // A call: a box, a filled box or a straight line on whole pixels, or a polyline through
    // unrounded points (a trace, a slanted line).
    struct Shape {
        LineMode mode;
        bool exact;                   // points unrounded, not whole pixels
        std::vector<QPointF> points;  // two for a box or a filled box
        QPoint pixel;                 // the whole pixel of the first point
        int width;
        Color color;
        std::vector<QPointF> passed;  // unrounded: points left out since the one before the last
    };
    // Keeps a shape of an explicit colour; a line's unrounded ends are from and to.
    void keep(Shape shape, QPointF from, QPointF to);
    static void extend(Shape& chain, QPointF point);
    static void paint_shape(QPainter& painter, const Shape& shape);

    Color fore_color_ = black;
    int draw_width_ = 1;
    std::vector<Shape> kept_;     // everything but the moving outline, in order
    std::vector<Shape> outline_;  // the moving parts' outline of the last step, drawn last
    QRegion fixed_black_;         // the black that the filled boxes leave
    QRegion erased_;              // of that, what the erasing strokes painted white
};

}  // namespace hcci
