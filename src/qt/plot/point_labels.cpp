// SPDX-License-Identifier: MIT
#include "qt/plot/point_labels.h"

#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QPainter>

#include "core/report/label_spread.h"
#include "qt/plot/plot_text.h"

namespace hcci {
namespace {

constexpr int label_font_pixels = 12;
constexpr const char* decimals_property = "hcci_label_decimals";
constexpr const char* unit_property = "hcci_label_unit";

class PointLabels final : public QGraphicsItem {
public:
    enum { Type = UserType + 30 };
    explicit PointLabels(QChart* chart) : QGraphicsItem(chart) { setZValue(11); }
    int type() const override { return Type; }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        painter->save();
        painter->setFont(font_of(label_font_pixels));
        painter->setPen(QColor(40, 40, 40));
        for (const PointLabelDrawn& label : labels_) {
            painter->drawText(label.box, Qt::AlignCenter, label.text);
        }
        painter->restore();
    }
    void relay(QChart& chart);
    const std::vector<PointLabelDrawn>& labels() const { return labels_; }

private:
    std::vector<PointLabelDrawn> labels_;
    QRectF bounds_;
};

PointLabels* labels_of(const QChart& chart) {
    for (QGraphicsItem* child : chart.childItems()) {
        if (child->type() == PointLabels::Type) return static_cast<PointLabels*>(child);
    }
    return nullptr;
}

void PointLabels::relay(QChart& chart) {
    prepareGeometryChange();
    labels_.clear();
    const QFontMetricsF metrics(font_of(label_font_pixels));
    const QRectF plot = chart.plotArea();
    std::vector<LabelAnchor> anchors;
    for (QAbstractSeries* series : chart.series()) {
        const QVariant decimals = series->property(decimals_property);
        if (!decimals.isValid() || !series->isVisible()) continue;
        const QString unit = series->property(unit_property).toString();
        for (const QPointF& p : static_cast<const QScatterSeries*>(series)->points()) {
            const QPointF at = chart.mapToPosition(p, series);
            if (!plot.adjusted(-1, -1, 1, 1).contains(at)) continue;
            const QString text = QString::number(p.y(), 'f', decimals.toInt()) + unit;
            anchors.push_back({at.x(), at.y(), std::ceil(metrics.horizontalAdvance(text)) + 2,
                               std::ceil(metrics.height())});
            labels_.push_back({text, {}});
        }
    }
    const std::vector<LabelBox> boxes = spread_labels(anchors, plot.top());
    bounds_ = QRectF();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        labels_[i].box = QRectF(boxes[i].x, boxes[i].y, boxes[i].width, boxes[i].height);
        bounds_ = bounds_.united(labels_[i].box);
    }
    update();
}

}  // namespace

void label_points(QScatterSeries& series, int decimals, const QString& unit) {
    series.setPointLabelsVisible(false);
    series.setProperty(decimals_property, decimals);
    series.setProperty(unit_property, unit);
}

void use_point_labels(QChart& chart) {
    if (labels_of(chart) != nullptr) return;
    new PointLabels(&chart);  // the chart's child
    QObject::connect(&chart, &QChart::plotAreaChanged, &chart,
                     [chart = &chart] { relay_point_labels(*chart); });
}

void relay_point_labels(QChart& chart) {
    if (PointLabels* labels = labels_of(chart)) labels->relay(chart);
}

std::vector<PointLabelDrawn> drawn_point_labels(const QChart& chart) {
    const PointLabels* labels = labels_of(chart);
    return labels != nullptr ? labels->labels() : std::vector<PointLabelDrawn>{};
}

}  // namespace hcci
