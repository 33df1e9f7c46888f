// SPDX-License-Identifier: MIT
#include "qt/plot/view_widget.h"

#include "qt/plot/chart_legend.h"

#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "core/report/number_text.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

// How near a line the pointer must come to read it, in pixels.
constexpr double hover_reach = 8;
// A point this near the line through its neighbours is left out: the same to the eye, and far
// fewer points for the chart to lay out and paint at every change.
constexpr double straighten_within = 0.1;

QAbstractAxis* axis_of(const QChart& chart, Qt::Orientation orientation) {
    const QList<QAbstractAxis*> axes = chart.axes(orientation);
    return axes.isEmpty() ? nullptr : axes.front();
}

bool is_log(const QAbstractAxis* axis) {
    return qobject_cast<const QLogValueAxis*>(axis) != nullptr;
}

// From data to pixels of the plot area, on one axis.
struct AxisScale {
    double origin, per_unit, low;
    bool logarithmic;

    AxisScale(const QAbstractAxis* axis, double pixels, double origin_pixel, bool upward)
        : logarithmic(is_log(axis)) {
        const auto [from, to] = range_of(axis);
        low = logarithmic ? std::log10(from) : from;
        const double high = logarithmic ? std::log10(to) : to;
        per_unit = (upward ? -pixels : pixels) / (high - low);
        origin = origin_pixel;
    }
    double operator()(double v) const {
        return origin + ((logarithmic ? std::log10(v) : v) - low) * per_unit;
    }
};

QString number(double value, int decimals) {
    return QString::fromStdString(fixed_text(value, decimals));
}

}  // namespace

CycleViewWidget::CycleViewWidget(const CycleView& view, QWidget* parent)
    : QWidget(parent), view_(view) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (std::size_t i = 0; i < view.chart_count; ++i) {
        auto* chart_view = new QChartView(this);
        chart_view->setRenderHint(QPainter::Antialiasing);
        chart_view->setRubberBand(QChartView::RectangleRubberBand);
        chart_view->viewport()->setMouseTracking(true);
        chart_view->viewport()->installEventFilter(this);
        column->addWidget(chart_view, 1);
        views_.push_back(chart_view);
    }
    controls_ = new QHBoxLayout;
    controls_->setContentsMargins(6, 2, 6, 4);
    controls_->addStretch(1);
    reset_ = new QPushButton(QStringLiteral("Reset zoom"), this);
    reset_->setFocusPolicy(Qt::TabFocus);
    reset_->setToolTip(QStringLiteral(
        "Back to the view's own ranges. Drag a rectangle over a chart to zoom in; the right "
        "button zooms out."));
    connect(reset_, &QPushButton::clicked, this, &CycleViewWidget::reset_zoom);
    controls_->addWidget(reset_);
    column->addLayout(controls_);
}

CycleViewWidget::~CycleViewWidget() = default;

void CycleViewWidget::show_cycle(std::shared_ptr<const CycleSeries> current,
                                 std::shared_ptr<const CycleSeries> baseline) {
    current_ = std::move(current);
    baseline_ = std::move(baseline);
    rebuild();
}

void CycleViewWidget::set_engine_names(QString current, QString baseline) {
    current_name_ = std::move(current);
    baseline_name_ = std::move(baseline);
}

void CycleViewWidget::rebuild() {
    if (!current_) return;
    const QSizeF pixels(std::max(width(), 400), std::max(height(), 300));
    const ViewDrawing drawing{.pixels = pixels,
                              .current_name = current_name_,
                              .baseline_name = baseline_name_,
                              .straighten_within = straighten_within};
    if (charts_.empty()) {
        charts_ = make_view(view_, *current_, baseline_.get(), drawing);
        for (std::size_t i = 0; i < views_.size() && i < charts_.size(); ++i) {
            QChart* chart = charts_[i].owned.release();  // the view owns it now
            chart->setMargins(QMargins(4, 4, 4, 4));
            // A zoom reads the line afresh, at the new scale's pixels.
            const auto rescaled = [this, i] {
                if (refilling_) return;
                rethin(i);
                place_cursor(i);
            };
            for (QAbstractAxis* axis : chart->axes()) {
                if (auto* value = qobject_cast<QValueAxis*>(axis)) {
                    connect(value, &QValueAxis::rangeChanged, this, rescaled);
                } else if (auto* log = qobject_cast<QLogValueAxis*>(axis)) {
                    connect(log, &QLogValueAxis::rangeChanged, this, rescaled);
                }
            }
            QChart* old = views_[i]->chart();
            views_[i]->setChart(chart);
            delete old;
        }
        for (BuiltChart& built : charts_) add_cursor(built);
    } else {
        refilling_ = true;  // the new ranges are drawn anew below
        refill_view(charts_, view_, *current_, baseline_.get(), drawing);
        refilling_ = false;
    }
    for (std::size_t i = 0; i < charts_.size(); ++i) place_cursor(i);
}

// A line across the chart at the step's angle; on log p-log V, a point on each charge's line.
void CycleViewWidget::add_cursor(BuiltChart& built) {
    QChart* chart = built.chart;
    QAbstractSeries* cursor = nullptr;
    if (built.layout.log_x) {
        auto* points = new QScatterSeries;
        points->setMarkerSize(9);
        points->setColor(Qt::black);
        cursor = points;
    } else {
        auto* line = new QLineSeries;
        line->setPen(QPen(QColor(0, 0, 0, 160), 1));
        cursor = line;
    }
    chart->addSeries(cursor);
    cursor->attachAxis(axis_of(*chart, Qt::Horizontal));
    cursor->attachAxis(axis_of(*chart, Qt::Vertical));
    set_in_legend(*cursor, false);
    cursors_.push_back(cursor);
}

void CycleViewWidget::rethin(std::size_t i) {
    if (i >= charts_.size() || i >= views_.size()) return;
    const QChart* chart = views_[i]->chart();
    const QAbstractAxis* x = axis_of(*chart, Qt::Horizontal);
    const QAbstractAxis* y = axis_of(*chart, Qt::Vertical);
    if (x == nullptr || y == nullptr) return;
    QSizeF pixels = chart->plotArea().size();
    if (pixels.isEmpty()) pixels = views_[i]->size();
    const ViewChart& layout = charts_[i].layout;
    for (std::size_t l = 0; l < layout.lines.size() && l < charts_[i].lines.size(); ++l) {
        const std::vector<PlotPoint> points =
            thinned(layout.lines[l].points, pixels, range_of(x), range_of(y), layout.log_x,
                    layout.log_y, straighten_within);
        QList<QPointF> drawn;
        drawn.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& p : points) drawn.append({p.x, p.y});
        charts_[i].lines[l]->replace(drawn);
    }
}

void CycleViewWidget::set_cursor_step(int step) {
    cursor_step_ = step;
    for (std::size_t i = 0; i < charts_.size(); ++i) place_cursor(i);
}

void CycleViewWidget::place_cursor(std::size_t i) {
    if (!current_ || i >= cursors_.size() || current_->angle_deg.empty()) return;
    const std::size_t step = std::min(static_cast<std::size_t>(std::max(cursor_step_, 0)),
                                      current_->angle_deg.size() - 1);
    if (auto* points = qobject_cast<QScatterSeries*>(cursors_[i])) {
        QList<QPointF> at;
        for (const ChargeSeries* charge : {&current_->united, &current_->main, &current_->aux}) {
            const double v = charge->volume[step], p = charge->pressure[step];
            if (std::isfinite(v) && std::isfinite(p) && v > 0 && p > 0) at.append({v, p});
        }
        points->replace(at);
        return;
    }
    const QChart* chart = views_[i]->chart();
    const QAbstractAxis* y = axis_of(*chart, Qt::Vertical);
    if (y == nullptr) return;
    const auto [low, high] = range_of(y);
    const double angle = current_->angle_deg[step];
    static_cast<QLineSeries*>(cursors_[i])->replace({{angle, low}, {angle, high}});
}

void CycleViewWidget::add_control(QWidget* control) {
    control->setParent(this);
    controls_->insertWidget(controls_->count() - 2, control);  // before the stretch and reset
}

void CycleViewWidget::reset_zoom() {
    for (QChartView* view : views_) view->chart()->zoomReset();
}

QString CycleViewWidget::hover_text(std::size_t i, QPointF view_point) const {
    if (i >= charts_.size() || !current_) return {};
    const QChartView* view = views_[i];
    const QChart* chart = view->chart();
    const QPointF at = chart->mapFromScene(view->mapToScene(view_point.toPoint()));
    const QRectF area = chart->plotArea();
    if (!area.adjusted(-hover_reach, -hover_reach, hover_reach, hover_reach).contains(at))
        return {};
    const AxisScale sx(axis_of(*chart, Qt::Horizontal), area.width(), area.left(), false);
    const AxisScale sy(axis_of(*chart, Qt::Vertical), area.height(), area.bottom(), true);
    const ViewChart& layout = charts_[i].layout;
    double best = hover_reach * hover_reach;
    const ViewLine* line_found = nullptr;
    std::size_t point_found = 0;
    for (const ViewLine& line : layout.lines) {
        for (std::size_t k = 0; k < line.points.size(); ++k) {
            const double dx = sx(line.points[k].x) - at.x();
            if (dx * dx > best) continue;
            const double dy = sy(line.points[k].y) - at.y();
            if (dx * dx + dy * dy <= best) {
                best = dx * dx + dy * dy;
                line_found = &line;
                point_found = k;
            }
        }
    }
    if (line_found == nullptr) return {};
    const PlotPoint point = line_found->points[point_found];
    const int step = line_found->steps[point_found];
    const CycleSeries& series = line_found->baseline && baseline_ ? *baseline_ : *current_;
    const QString unit =
        layout.y_unit.empty() ? QString() : QStringLiteral(" ") + text_of(layout.y_unit);
    QString text = text_of(line_found->name) + QStringLiteral(": ") +
                   number(point.y, layout.y_decimals) + unit;
    if (layout.log_x) text += QStringLiteral(", volume %1").arg(number(point.x, 4));
    text += QStringLiteral("\n%1\u00b0 after top dead centre, step %2")
                .arg(number(series.angle_deg[static_cast<std::size_t>(step)], 2))
                .arg(step);
    return text;
}

bool CycleViewWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        for (std::size_t i = 0; i < views_.size(); ++i) {
            if (watched != views_[i]->viewport()) continue;
            const auto* move = static_cast<QMouseEvent*>(event);
            const QString text = hover_text(i, move->position());
            if (text.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(move->globalPosition().toPoint(), text, views_[i]);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CycleViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (std::size_t i = 0; i < charts_.size(); ++i) rethin(i);
}

}  // namespace hcci
