// SPDX-License-Identifier: MIT
#include "qt/plot/study_plot.h"

#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "core/model/engine_parameters.h"
#include "core/report/axis_ticks.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "qt/plot/plot_text.h"
#include "qt/plot/scene_picture.h"

namespace hcci {
namespace {

constexpr double title_height = 70;
constexpr double x_title_height = 40;
constexpr double left_margin = 150;   // the y axis's labels and title
constexpr double right_margin = 260;  // the legend
constexpr double top_gap = 10;        // above a plot area, inside its panel
constexpr double bottom_gap = 28;     // below it: the x axis's labels
constexpr int panel_count = 6;
// Markers on the lines while there are few enough values to see them apart.
constexpr std::size_t most_marked_values = 40;

struct Curve {
    const char* name;
    QColor color;
    Qt::PenStyle dash;
    double (*value)(const CycleAnalysis&);
};

struct Panel {
    const char* axis;      // the y axis's title
    bool logarithmic;      // for values that span decades
    double smallest_span;  // of a linear axis, so that a constant is a flat line
    double limit = 0;      // a horizontal line to show, or 0
    const char* limit_name = "";
    std::vector<Curve> curves;
};

double ignition_angle(const CycleAnalysis& a, ChargeName charge) {
    const Ignition* ignition = a.fuel.first(charge);
    return ignition != nullptr ? ignition->angle_atdc : not_defined;
}

// The colours of the window's traces: united blue, main green, auxiliary red.
const QColor united(0, 0, 255), main_chamber(0, 160, 0), auxiliary(220, 0, 0);

// A model with fuel books its work as gross: its IMEP is IMEPg.
std::vector<Panel> panels(bool gross) {
    return {
        {gross ? "IMEPg, bar" : "IMEP, bar",
         false,
         0.01,
         0,
         "",
         {{gross ? "IMEPg" : "IMEP", QColor(0, 0, 128), Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.imep_bar; }}}},
        {"efficiency",
         false,
         0.002,
         0,
         "",
         {{"indicated (first law)", QColor(0, 0, 128), Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.indicated_efficiency; }},
          {"Otto, united ratio", QColor(110, 110, 110), Qt::DashLine,
           [](const CycleAnalysis& a) { return a.otto_efficiency; }},
          // The predictive model's own: its booked work over the fuel's energy.
          {"fuel conversion", QColor(0, 128, 0), Qt::DashDotLine,
           [](const CycleAnalysis& a) { return a.fuel.fuel_conversion_efficiency; }}}},
        {"CA, deg ATDC",
         false,
         0.2,
         0,
         "",
         {{"CA10", QColor(230, 140, 0), Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.ca10_deg; }},
          {"CA50", QColor(128, 0, 128), Qt::DashLine,
           [](const CycleAnalysis& a) { return a.ca50_deg; }},
          {"CA90", QColor(0, 128, 128), Qt::DotLine,
           [](const CycleAnalysis& a) { return a.ca90_deg; }},
          // The predictive model's ignitions; the scheduled model has none to show.
          {"aux ignition", auxiliary, Qt::DashDotLine,
           [](const CycleAnalysis& a) { return ignition_angle(a, ChargeName::aux); }},
          {"united ignition", united, Qt::DashDotDotLine,
           [](const CycleAnalysis& a) { return ignition_angle(a, ChargeName::united); }}}},
        {"peak p, bar",
         false,
         0.5,
         0,
         "",
         {{"united", united, Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.united.peak_pressure.value; }},
          {"main", main_chamber, Qt::DashLine,
           [](const CycleAnalysis& a) { return a.main.peak_pressure.value; }},
          {"auxiliary", auxiliary, Qt::DashDotLine,
           [](const CycleAnalysis& a) { return a.aux.peak_pressure.value; }}}},
        {"dp/dt, bar/ms",
         true,
         0,
         0,
         "",
         {{"united", united, Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.united.max_pressure_rise_bar_per_ms; }},
          {"main", main_chamber, Qt::DashLine,
           [](const CycleAnalysis& a) { return a.main.max_pressure_rise_bar_per_ms; }},
          {"auxiliary", auxiliary, Qt::DashDotLine,
           [](const CycleAnalysis& a) { return a.aux.max_pressure_rise_bar_per_ms; }}}},
        {"RI, MW/m\u00b2",
         true,
         0,
         ringing_limit_mw_per_m2,
         "limit 5 MW/m\u00b2",
         {{"united", united, Qt::SolidLine,
           [](const CycleAnalysis& a) { return a.united.ringing_mw_per_m2; }},
          {"main", main_chamber, Qt::DashLine,
           [](const CycleAnalysis& a) { return a.main.ringing_mw_per_m2; }},
          {"auxiliary", auxiliary, Qt::DashDotLine,
           [](const CycleAnalysis& a) { return a.aux.ringing_mw_per_m2; }}}},
    };
}

double panel_height(QSize size) {
    return (size.height() - title_height - x_title_height) / panel_count;
}

// The range a linear axis shows: the values' own, widened to the panel's smallest span around
// their middle, with a margin.
std::pair<double, double> linear_range(double low, double high, double smallest_span) {
    const double middle = 0.5 * (low + high);
    const double span = std::max({high - low, smallest_span, 1e-3 * std::abs(middle)});
    const double half = 0.5 * span * 1.1;
    return {std::min(low, middle - half), std::max(high, middle + half)};
}

// The values' range on a logarithmic axis: whole decades around the positive values.
std::pair<double, double> decade_range(double low, double high) {
    return {std::pow(10.0, std::floor(std::log10(low))),
            std::pow(10.0, std::ceil(std::log10(high)))};
}

QLineSeries* line(QChart& chart, const QString& name, const QPen& pen) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(pen);
    chart.addSeries(series);
    return series;
}

// The x axis: the study's range, or offsets from its first value where round values between
// its ends would print alike (study_axis).
AxisTicks x_ticks_of(const Study& study) {
    const double from = study.values.front();
    const double to = study.values.back() > from ? study.values.back() : from + 1;
    return study_axis(from, to);
}

std::unique_ptr<QChart> make_panel(const Panel& panel, const Study& study,
                                   const EngineParameters& defaults, bool first, bool last,
                                   const QString& x_title, QRectF geometry, QRectF plot_area) {
    const AxisTicks x_ticks = x_ticks_of(study);
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins());
    chart->setGeometry(geometry);
    const std::size_t count = study.values.size();
    double low = INFINITY, high = -INFINITY;
    std::vector<QLineSeries*> series;
    for (const Curve& curve : panel.curves) {
        QList<QPointF> points;
        for (std::size_t i = 0; i < count; ++i) {
            const double y = curve.value(study.analyses[i]);
            // Not defined for that value, or not shown on a logarithmic axis.
            if (!std::isfinite(y) || (panel.logarithmic && !(y > 0))) continue;
            points.append(QPointF(x_ticks.place_of(study.values[i]), y));
            low = std::min(low, y);
            high = std::max(high, y);
        }
        if (points.isEmpty()) continue;  // not a figure of this engine's model
        QLineSeries* s =
            line(*chart, QString::fromUtf8(curve.name), QPen(curve.color, 2.5, curve.dash));
        s->setPointsVisible(count <= most_marked_values);
        s->setMarkerSize(5);
        s->replace(points);
        series.push_back(s);
    }
    if (panel.limit > 0) {
        low = std::min(low, panel.limit);
        high = std::max(high, panel.limit);
    }
    if (!(low <= high)) low = high = panel.logarithmic ? 1 : 0;  // nothing to show
    auto* x_axis = new QValueAxis;
    const double from = x_ticks.low;
    const double to = x_ticks.high;
    x_axis->setRange(from, to);
    // The ends exactly the study's; ticks at round values (or offsets) between them.
    x_axis->setTickType(QValueAxis::TicksDynamic);
    x_axis->setTickAnchor(0);
    x_axis->setTickInterval(x_ticks.interval);
    x_axis->setLabelFormat(x_ticks.offsets()
                               ? QStringLiteral("%+.6g") + text_of(x_ticks.label_suffix())
                               : QStringLiteral("%.6g"));
    x_axis->setLabelsFont(font_of(14));
    if (last) {
        x_axis->setTitleText(x_title);
        x_axis->setTitleFont(font_of(16, true));
    }
    chart->addAxis(x_axis, Qt::AlignBottom);
    QAbstractAxis* y_axis = nullptr;
    double y_low = 0, y_high = 0;
    if (panel.logarithmic) {
        auto* axis = new QLogValueAxis;
        std::tie(y_low, y_high) = decade_range(low, high);
        if (y_low == y_high) y_high = 10 * y_low;
        axis->setBase(10);
        axis->setRange(y_low, y_high);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(8);
        y_axis = axis;
    } else {
        auto* axis = new QValueAxis;
        std::tie(y_low, y_high) = linear_range(low, high, panel.smallest_span);
        // Round ticks, at most four gaps between them: a panel has room for five labels.
        double step = round_step((y_high - y_low) / 4);
        while (std::ceil(y_high / step) - std::floor(y_low / step) > 4) {
            step = round_step(step * 1.01);
        }
        y_low = std::floor(y_low / step) * step;
        y_high = std::ceil(y_high / step) * step;
        axis->setRange(y_low, y_high);
        axis->setTickCount(static_cast<int>(std::lround((y_high - y_low) / step)) + 1);
        axis->setLabelFormat(QStringLiteral("%.6g"));
        y_axis = axis;
    }
    y_axis->setTitleText(QString::fromUtf8(panel.axis));
    y_axis->setTitleFont(font_of(14, true));
    y_axis->setLabelsFont(font_of(14));
    chart->addAxis(y_axis, Qt::AlignLeft);
    if (panel.limit > 0) {
        QLineSeries* limit = line(*chart, QString::fromUtf8(panel.limit_name),
                                  QPen(QColor(90, 90, 90), 2, Qt::DashLine));
        limit->append(from, panel.limit);
        limit->append(to, panel.limit);
        series.push_back(limit);
    }
    // The default value of the varied parameter (the model's own), where the study passes it.
    const double default_value = x_ticks.place_of(defaults.*study.parameter->member);
    if (default_value >= from && default_value <= to) {
        QLineSeries* mark = line(*chart, QStringLiteral("default value"),
                                 QPen(QColor(150, 150, 150), 1.5, Qt::DotLine));
        mark->append(default_value, y_low);
        mark->append(default_value, y_high);
        series.push_back(mark);
    }
    for (QLineSeries* s : series) {
        s->attachAxis(x_axis);
        s->attachAxis(y_axis);
    }
    // The default's line is named once, in the first panel's legend (the title says so too).
    if (!first && !series.empty() && series.back()->name() == QStringLiteral("default value")) {
        chart->legend()->markers(series.back()).front()->setVisible(false);
    }
    // The plot area is set once the axes are in: every panel's the same from left to right.
    chart->setPlotArea(plot_area.translated(-geometry.topLeft()));
    QLegend* legend = chart->legend();
    legend->setFont(font_of(14));
    legend->detachFromChart();
    legend->setAlignment(Qt::AlignLeft);
    legend->setGeometry(QRectF(plot_area.right() + 16 - geometry.left(), top_gap, right_margin - 24,
                               geometry.height() - top_gap));
    return chart;
}

void add_title(QGraphicsScene& scene, const Study& study, const EngineParameters& base,
               QSize size) {
    const ParameterInfo& parameter = *study.parameter;
    QString title = QStringLiteral("Study of ") + text_of(parameter.name);
    if (!parameter.unit.empty()) title += QStringLiteral(" (") + text_of(parameter.unit) + ")";
    auto* heading = scene.addSimpleText(title, font_of(28, true));
    heading->setPos(left_margin, 8);
    const QString engine = QStringLiteral("engine: ") +
                           QString::fromStdString(changed_parameters(base)) +
                           QStringLiteral("; the default value is marked");
    auto* subtitle = scene.addSimpleText(engine, font_of(17));
    subtitle->setPos(left_margin, 44);
    (void)size;
}

}  // namespace

std::vector<QRectF> study_plot_areas(QSize size) {
    std::vector<QRectF> areas;
    const double height = panel_height(size);
    for (int i = 0; i < panel_count; ++i) {
        const double top = title_height + i * height;
        areas.emplace_back(left_margin, top + top_gap, size.width() - left_margin - right_margin,
                           height - top_gap - bottom_gap);
    }
    return areas;
}

std::string plot_study(const Study& study, const EngineParameters& base, PlotFormat format) {
    const bool gross = !study.analyses.empty() && study.analyses.front().fuel.present;
    const std::vector<Panel> all = panels(gross);
    const ParameterInfo& parameter = *study.parameter;
    QString x_title = text_of(parameter.name);
    if (!parameter.unit.empty()) x_title += QStringLiteral(" (") + text_of(parameter.unit) + ')';
    if (const AxisTicks ticks = x_ticks_of(study); ticks.offsets()) {
        x_title += QStringLiteral(", offsets from ") + text_of(shortest_text(ticks.origin));
    }
    const QSize size = study_plot_size;
    QGraphicsScene scene(0, 0, size.width(), size.height());
    scene.setBackgroundBrush(Qt::white);
    add_title(scene, study, base, size);
    const std::vector<QRectF> areas = study_plot_areas(size);
    const EngineParameters defaults = model_defaults(base.model).value_or(EngineParameters{});
    const double height = panel_height(size);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QRectF geometry(0, title_height + static_cast<double>(i) * height, size.width(),
                              height + (i + 1 == all.size() ? x_title_height : 0));
        std::unique_ptr<QChart> chart = make_panel(
            all[i], study, defaults, i == 0, i + 1 == all.size(), x_title, geometry, areas[i]);
        scene.addItem(chart.release());  // the scene owns it now
    }
    return scene_picture(scene, size, format,
                         QStringLiteral("hcci-cycle study of ") + text_of(parameter.name));
}

}  // namespace hcci
