// SPDX-License-Identifier: MIT
#include "qt/plot/view_backdrop.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QPainter>
#include <cmath>
#include <stdexcept>

#include "qt/plot/cycle_views.h"
#include "qt/plot/plot_text.h"

namespace hcci {
namespace {

// As render_view lays a view out: the title, then the charts stacked below it.
constexpr double title_height = 44;

const QColor cursor_colour(40, 40, 40);

}  // namespace

ViewBackdrop draw_view_backdrop(const CycleView& view, const CycleSeries& series, QSize size) {
    std::vector<BuiltChart> charts = make_view(view, series, nullptr, {.pixels = size});
    QGraphicsScene scene(0, 0, size.width(), size.height());
    scene.setBackgroundBrush(Qt::white);
    auto* title = scene.addSimpleText(text_of(view.title), font_of(22, true));
    title->setPos(16, 8);
    const double height = (size.height() - title_height) / static_cast<double>(charts.size());
    for (std::size_t i = 0; i < charts.size(); ++i) {
        charts[i].chart->setGeometry(0, title_height + static_cast<double>(i) * height,
                                     size.width(), height);
        scene.addItem(charts[i].owned.release());
    }
    // The charts lay themselves out, axes and all, on the events this posts.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    ViewBackdrop backdrop{QImage(size, QImage::Format_RGB32), {}};
    if (backdrop.image.isNull()) throw std::bad_alloc();
    backdrop.image.fill(Qt::white);
    QPainter painter;
    if (!painter.begin(&backdrop.image)) throw std::runtime_error("cannot draw the view");
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, scene.sceneRect(), scene.sceneRect());
    painter.end();
    for (const BuiltChart& built : charts) {
        if (built.layout.log_x || built.lines.empty()) continue;  // not against the angle
        QChart* chart = built.chart;
        const QRectF area = chart->plotArea();
        QLineSeries* line = built.lines.front();
        const QPointF left = chart->mapToValue(QPointF(area.left(), area.center().y()), line);
        const QPointF right = chart->mapToValue(QPointF(area.right(), area.center().y()), line);
        backdrop.spans.push_back({chart->mapRectToScene(area), left.x(), right.x()});
    }
    return backdrop;
}

void draw_angle_cursor(QImage& image, const ViewBackdrop& backdrop, double angle_deg) {
    QPainter painter(&image);
    painter.setPen(QPen(cursor_colour, 2));
    for (const AngleSpan& span : backdrop.spans) {
        const double across = span.right_angle - span.left_angle;
        if (across <= 0) continue;
        const double where = (angle_deg - span.left_angle) / across;
        if (where < 0 || where > 1) continue;
        const double x = std::round(span.plot_area.left() + where * span.plot_area.width());
        painter.drawLine(QPointF(x, span.plot_area.top()), QPointF(x, span.plot_area.bottom()));
    }
}

}  // namespace hcci
