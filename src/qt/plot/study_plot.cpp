// SPDX-License-Identifier: MIT
#include "qt/plot/study_plot.h"

#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

namespace hcci {
namespace {

constexpr int plot_width = 900;
constexpr int panel_height = 300;

struct Curve {
    const char* name;
    QColor color;
    double (*value)(const CycleAnalysis&);
};

struct Panel {
    const char* title;
    const char* axis;
    std::vector<Curve> curves;
};

// The colours of the window's traces: united blue, main green, auxiliary red.
const QColor united(0, 0, 255), main_chamber(0, 192, 0), auxiliary(255, 0, 0);

std::vector<Panel> panels() {
    return {
        {"Mean effective pressure",
         "IMEP (bar)",
         {{"IMEP", QColor(0, 0, 128), [](const CycleAnalysis& a) { return a.imep_bar; }}}},
        {"Combustion phasing",
         "degrees after TDC",
         {{"CA10", QColor(255, 160, 0), [](const CycleAnalysis& a) { return a.ca10_deg; }},
          {"CA50", QColor(128, 0, 128), [](const CycleAnalysis& a) { return a.ca50_deg; }},
          {"CA90", QColor(0, 128, 128), [](const CycleAnalysis& a) { return a.ca90_deg; }}}},
        {"Peak pressure",
         "bar",
         {{"united", united, [](const CycleAnalysis& a) { return a.peak_united_pressure.value; }},
          {"main", main_chamber, [](const CycleAnalysis& a) { return a.peak_main_pressure.value; }},
          {"auxiliary", auxiliary,
           [](const CycleAnalysis& a) { return a.peak_aux_pressure.value; }}}},
        {"Largest pressure rise rate",
         "bar per degree",
         {{"united", united,
           [](const CycleAnalysis& a) { return a.max_united_pressure_rise.value; }},
          {"main", main_chamber,
           [](const CycleAnalysis& a) { return a.max_main_pressure_rise.value; }},
          {"auxiliary", auxiliary,
           [](const CycleAnalysis& a) { return a.max_aux_pressure_rise.value; }}}},
    };
}

std::unique_ptr<QChart> make_chart(const Panel& panel, const Study& study, const QString& x_title) {
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setTitle(QString::fromUtf8(panel.title));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignRight);
    auto* x_axis = new QValueAxis;
    auto* y_axis = new QValueAxis;
    x_axis->setTitleText(x_title);
    y_axis->setTitleText(QString::fromUtf8(panel.axis));
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    double low = INFINITY, high = -INFINITY;
    for (const Curve& curve : panel.curves) {
        auto* series = new QLineSeries;
        series->setName(QString::fromUtf8(curve.name));
        series->setPen(QPen(curve.color, 2));
        for (std::size_t i = 0; i < study.values.size(); ++i) {
            const double y = curve.value(study.analyses[i]);
            if (!std::isfinite(y)) continue;  // not defined for that value
            series->append(study.values[i], y);
            low = std::min(low, y);
            high = std::max(high, y);
        }
        chart->addSeries(series);
        series->attachAxis(x_axis);
        series->attachAxis(y_axis);
    }
    x_axis->setRange(study.values.front(), study.values.back() > study.values.front()
                                               ? study.values.back()
                                               : study.values.front() + 1);
    x_axis->applyNiceNumbers();
    if (low <= high) {
        const double margin =
            high > low ? 0.05 * (high - low) : std::max(1.0, std::abs(high) * 0.05);
        // Values that are none of them negative get no negative axis.
        const double bottom = low >= 0 ? std::max(0.0, low - margin) : low - margin;
        y_axis->setRange(bottom, high + margin);
        y_axis->applyNiceNumbers();
    }
    return chart;
}

}  // namespace

std::string plot_study(const Study& study, PlotFormat format) {
    const std::vector<Panel> all = panels();
    const ParameterInfo* info = study.parameter;
    const auto text = [](std::string_view t) {
        return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
    };
    QString x_title = text(info->name);
    if (!info->unit.empty()) {
        x_title += QStringLiteral(" (") +
                   QString::fromUtf8(info->unit.data(), static_cast<qsizetype>(info->unit.size())) +
                   QLatin1Char(')');
    }
    QGraphicsScene scene(0, 0, plot_width, panel_height * static_cast<int>(all.size()));
    scene.setBackgroundBrush(Qt::white);
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::unique_ptr<QChart> chart = make_chart(all[i], study, x_title);
        chart->setGeometry(0, static_cast<double>(i) * panel_height, plot_width, panel_height);
        scene.addItem(chart.release());  // the scene owns it now
    }
    const QRectF area = scene.sceneRect();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PlotFormat::svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(area.size().toSize());
        svg.setViewBox(area);
        svg.setTitle(QStringLiteral("hcci-cycle study of ") + text(info->name));
        QPainter painter;
        if (!painter.begin(&svg)) throw std::runtime_error("cannot draw the plot as SVG");
        scene.render(&painter, area, area);
        painter.end();
    } else {
        QImage image(area.size().toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter;
        if (image.isNull() || !painter.begin(&image)) {
            throw std::runtime_error("cannot draw the plot");
        }
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, area, area);
        painter.end();
        if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the plot as PNG");
    }
    return bytes.toStdString();
}

}  // namespace hcci
