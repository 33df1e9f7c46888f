// SPDX-License-Identifier: MIT
#include "qt/plot/chart_legend.h"

#include <QAreaSeries>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <algorithm>

#include "qt/plot/plot_text.h"

namespace hcci {
namespace {

constexpr int legend_font_pixels = 12;
constexpr const char* in_legend_property = "hcci_in_legend";
constexpr double swatch_width = 22, swatch_gap = 6, entry_gap = 16, side = 8, row_gap = 4;

// An entry's look is copied from its series, which a refill may replace.
struct Entry {
    QString text;
    QAbstractSeries::SeriesType kind;
    QPen pen;
    QBrush brush;
    QRectF box;
    double text_width;
};

Entry entry_of(const QAbstractSeries& series, double text_width, double row_height) {
    Entry entry{series.name(),
                series.type(),
                {},
                {},
                QRectF(0, 0, swatch_width + swatch_gap + text_width, row_height),
                text_width};
    switch (entry.kind) {
        case QAbstractSeries::SeriesTypeArea: {
            const auto* area = static_cast<const QAreaSeries*>(&series);
            entry.brush = area->brush();
            entry.pen = QPen(area->brush().color().darker(150), 1);
            break;
        }
        case QAbstractSeries::SeriesTypeScatter:
            entry.brush = static_cast<const QScatterSeries&>(series).color();
            entry.pen = Qt::NoPen;
            break;
        default:
            entry.pen = static_cast<const QLineSeries*>(&series)->pen();
            break;
    }
    return entry;
}

class WrappedLegend final : public QGraphicsItem {
public:
    enum { Type = UserType + 29 };
    explicit WrappedLegend(QChart* chart) : QGraphicsItem(chart) { setZValue(10); }
    int type() const override { return Type; }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;
    void relay(QChart& chart);
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    QRectF bounds_;
    double row_height_ = 0;
    int margin_set_ = -1;  // the bottom margin this legend gave the chart last
    int base_margin_ = 0;  // the chart's own, beneath the legend
};

WrappedLegend* legend_of(const QChart& chart) {
    for (QGraphicsItem* child : chart.childItems()) {
        if (child->type() == WrappedLegend::Type) return static_cast<WrappedLegend*>(child);
    }
    return nullptr;
}

void WrappedLegend::relay(QChart& chart) {
    prepareGeometryChange();
    const QFont font = font_of(legend_font_pixels);
    const QFontMetricsF metrics(font);
    row_height_ = std::max(metrics.height(), 12.0) + row_gap;
    entries_.clear();
    for (const QAbstractSeries* series : chart.series()) {
        if (!in_legend(*series) || series->name().isEmpty()) continue;
        // The text's own advance, rounded up: the box is never narrower than what is drawn.
        const double text_width = std::ceil(metrics.horizontalAdvance(series->name())) + 1;
        entries_.push_back(entry_of(*series, text_width, row_height_));
    }
    // Rows across the chart's width, each centred; an entry wider than a row has one to itself.
    const double width = chart.size().width() - 2 * side;
    std::vector<std::vector<Entry*>> rows;
    double used = 0;
    for (Entry& entry : entries_) {
        const double needed =
            entry.box.width() + (rows.empty() || rows.back().empty() ? 0 : entry_gap);
        if (rows.empty() || used + needed > width) {
            rows.emplace_back();
            used = 0;
        }
        used += rows.back().empty() ? entry.box.width() : entry.box.width() + entry_gap;
        rows.back().push_back(&entry);
    }
    const int height = static_cast<int>(std::ceil(static_cast<double>(rows.size()) * row_height_));
    // The plot gives up the legend's rows at the bottom, above the chart's own margin.
    QMargins margins = chart.margins();
    if (margins.bottom() != margin_set_) base_margin_ = margins.bottom();
    margins.setBottom(base_margin_ + height);
    margin_set_ = margins.bottom();
    if (chart.margins() != margins) chart.setMargins(margins);
    const double top = chart.size().height() - base_margin_ - height;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double row_width = 0;
        for (const Entry* e : rows[r]) row_width += e->box.width();
        row_width += entry_gap * static_cast<double>(rows[r].size() - 1);
        double x = std::max(side, (chart.size().width() - row_width) / 2);
        for (Entry* e : rows[r]) {
            e->box.moveTopLeft({x, top + static_cast<double>(r) * row_height_});
            x += e->box.width() + entry_gap;
        }
    }
    bounds_ = QRectF();
    for (const Entry& e : entries_) bounds_ = bounds_.united(e.box);
    update();
}

void WrappedLegend::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    painter->save();
    painter->setFont(font_of(legend_font_pixels));
    for (const Entry& e : entries_) {
        const QRectF swatch(e.box.left(), e.box.top(), swatch_width, row_height_);
        const QPointF middle = swatch.center();
        painter->setPen(e.pen);
        painter->setBrush(e.brush);
        if (e.kind == QAbstractSeries::SeriesTypeArea) {
            painter->drawRect(swatch.adjusted(2, 3, -2, -3));
        } else if (e.kind == QAbstractSeries::SeriesTypeScatter) {
            painter->drawEllipse(middle, 4.5, 4.5);
        } else {
            painter->drawLine(QPointF(swatch.left() + 1, middle.y()),
                              QPointF(swatch.right() - 1, middle.y()));
        }
        painter->setPen(Qt::black);
        painter->drawText(
            QRectF(swatch.right() + swatch_gap, e.box.top(), e.text_width, row_height_),
            Qt::AlignLeft | Qt::AlignVCenter, e.text);
    }
    painter->restore();
}

}  // namespace

void set_in_legend(QAbstractSeries& series, bool shown) {
    series.setProperty(in_legend_property, shown);
}

bool in_legend(const QAbstractSeries& series) {
    const QVariant shown = series.property(in_legend_property);
    return !shown.isValid() || shown.toBool();
}

void use_wrapped_legend(QChart& chart) {
    if (legend_of(chart) != nullptr) return;
    chart.legend()->hide();
    new WrappedLegend(&chart);  // the chart's child, as its own legend is
    QObject::connect(&chart, &QGraphicsWidget::geometryChanged, &chart,
                     [chart = &chart] { relay_legend(*chart); });
}

void relay_legend(QChart& chart) {
    if (WrappedLegend* legend = legend_of(chart)) legend->relay(chart);
}

std::vector<LegendEntryDrawn> drawn_legend(const QChart& chart) {
    std::vector<LegendEntryDrawn> drawn;
    if (const WrappedLegend* legend = legend_of(chart)) {
        for (const Entry& e : legend->entries()) drawn.push_back({e.text, e.box, e.text_width});
    }
    return drawn;
}

}  // namespace hcci
