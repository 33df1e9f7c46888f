// SPDX-License-Identifier: MIT
#include "qt/plot/cycle_views.h"

#include <QAreaSeries>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/report/axis_ticks.h"
#include "core/report/straight_runs.h"
#include "core/report/view_text.h"
#include "qt/plot/chart_legend.h"
#include "qt/plot/plot_text.h"
#include "qt/plot/point_labels.h"
#include "qt/plot/scene_picture.h"

namespace hcci {
namespace {

QColor qcolor_of(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// A tick interval of 1, 2, 2.5 or 5 times a power of ten, giving about `ticks` intervals.
double nice_interval(double span, int ticks) {
    const double raw = span / ticks;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * decade >= raw) return m * decade;
    }
    return 10 * decade;
}

// A tick of angle that a person counts by (5, 15, 30 degrees...), giving about `ticks`.
double angle_interval(double span, int ticks) {
    for (const double interval : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 90.0}) {
        if (interval * ticks >= span) return interval;
    }
    return 180;
}

// A linear axis's range widened to whole ticks, and the tick.
struct LinearAxis {
    double low, high, interval;
};

LinearAxis nice_axis(std::pair<double, double> range, int ticks) {
    range = readable_range(range, ticks);  // a flat line's range ends, and its ticks differ
    const double interval = nice_interval(range.second - range.first, ticks);
    return {std::floor(range.first / interval + 1e-9) * interval,
            std::ceil(range.second / interval - 1e-9) * interval, interval};
}

// The values the lines take within the x range, fitted with a margin (or whole decades on a
// logarithmic axis). Values that are never negative (but for rounding's traces, a
// ten-thousandth of their span) keep zero as their floor.
std::pair<double, double> fitted(const std::vector<ViewLine>& lines, bool on_x, bool logarithmic,
                                 std::optional<std::pair<double, double>> within) {
    double low = INFINITY, high = -INFINITY;
    for (const ViewLine& line : lines) {
        for (const PlotPoint& p : line.points) {
            if (within && (p.x < within->first || p.x > within->second)) continue;
            const double v = on_x ? p.x : p.y;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (!(low <= high)) return logarithmic ? std::pair{1.0, 10.0} : std::pair{0.0, 1.0};
    if (logarithmic) {
        // A twentieth of the data's decades either side (at least a tenth of a decade in all).
        const double decades = std::max(std::log10(high) - std::log10(low), 0.1);
        return {low / std::pow(10.0, decades / 20), high * std::pow(10.0, decades / 20)};
    }
    const double margin = high > low ? 0.05 * (high - low) : std::max(1.0, std::abs(high) * 0.05);
    const bool never_negative = low >= -1e-4 * (high - low);
    return {never_negative ? std::max(0.0, low - margin) : low - margin, high + margin};
}

// Where a point of the data falls on a plot of that size over those ranges, in pixels.
class PlotPixels {
public:
    PlotPixels(QSizeF pixels, std::pair<double, double> x_range, std::pair<double, double> y_range,
               bool log_x, bool log_y)
        : log_x_(log_x),
          log_y_(log_y),
          x0_(coordinate(x_range.first, log_x)),
          y0_(coordinate(y_range.first, log_y)),
          sx_(pixels.width() / (coordinate(x_range.second, log_x) - x0_)),
          sy_(pixels.height() / (coordinate(y_range.second, log_y) - y0_)) {}
    std::pair<double, double> operator()(const PlotPoint& p) const {
        return {(coordinate(p.x, log_x_) - x0_) * sx_, (coordinate(p.y, log_y_) - y0_) * sy_};
    }

private:
    static double coordinate(double v, bool logarithmic) { return logarithmic ? std::log10(v) : v; }
    bool log_x_, log_y_;
    double x0_, y0_, sx_, sy_;
};

}  // namespace

std::vector<PlotPoint> thinned(const std::vector<PlotPoint>& points, QSizeF pixels,
                               std::pair<double, double> x_range, std::pair<double, double> y_range,
                               bool log_x, bool log_y, double straighten_within) {
    if (points.size() < 3) return points;
    const PlotPixels to_pixels(pixels, x_range, y_range, log_x, log_y);
    std::vector<PlotPoint> kept;
    std::vector<PixelPosition> at;  // the kept points' pixels, where they are straightened
    long last_px = LONG_MIN, last_py = LONG_MIN;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [x, y] = to_pixels(points[i]);
        const long px = std::lround(x);
        const long py = std::lround(y);
        if (px == last_px && py == last_py && i + 1 < points.size()) continue;
        kept.push_back(points[i]);
        if (straighten_within > 0) at.push_back({x, y});
        last_px = px;
        last_py = py;
    }
    if (straighten_within <= 0) return kept;
    std::vector<PlotPoint> bent;
    for (const std::size_t i : bends(at, straighten_within)) bent.push_back(kept[i]);
    return bent;
}

std::vector<PlotPoint> clipped_to_x(const std::vector<PlotPoint>& points,
                                    std::pair<double, double> x_range) {
    const auto inside = [x_range](const PlotPoint& p) {
        return p.x >= x_range.first && p.x <= x_range.second;
    };
    // Where the segment from a to b crosses the edge x.
    const auto crossing = [](const PlotPoint& a, const PlotPoint& b, double x) {
        return PlotPoint{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
    };
    std::vector<PlotPoint> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PlotPoint& p = points[i];
        if (i > 0 && inside(p) != inside(points[i - 1])) {
            const PlotPoint& q = points[i - 1];
            const PlotPoint& out = inside(p) ? q : p;
            kept.push_back(crossing(q, p, out.x < x_range.first ? x_range.first : x_range.second));
        }
        if (inside(p)) kept.push_back(p);
    }
    return kept;
}

std::vector<PlotPoint> simplified(const std::vector<PlotPoint>& points, QSizeF pixels,
                                  std::pair<double, double> x_range,
                                  std::pair<double, double> y_range, bool log_x, bool log_y,
                                  double tolerance_px) {
    if (points.size() < 3) return points;
    const PlotPixels to_pixels(pixels, x_range, y_range, log_x, log_y);
    std::vector<QPointF> px;
    px.reserve(points.size());
    for (const PlotPoint& p : points) {
        const auto [x, y] = to_pixels(p);
        px.emplace_back(x, y);
    }
    // Douglas-Peucker: a stretch keeps its farthest point from its chord while that lies
    // beyond the tolerance, and is split there.
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> stretches{{0, points.size() - 1}};
    while (!stretches.empty()) {
        const auto [from, to] = stretches.back();
        stretches.pop_back();
        if (to <= from + 1) continue;
        const QPointF a = px[from], chord = px[to] - a;
        const double length = std::hypot(chord.x(), chord.y());
        double farthest = -1;
        std::size_t at = from;
        for (std::size_t i = from + 1; i < to; ++i) {
            const QPointF d = px[i] - a;
            const double distance = length > 0
                                        ? std::abs(chord.x() * d.y() - chord.y() * d.x()) / length
                                        : std::hypot(d.x(), d.y());
            if (distance > farthest) {
                farthest = distance;
                at = i;
            }
        }
        if (farthest > tolerance_px) {
            keep[at] = true;
            stretches.emplace_back(from, at);
            stretches.emplace_back(at, to);
        }
    }
    std::vector<PlotPoint> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) kept.push_back(points[i]);
    }
    return kept;
}

std::pair<double, double> range_of(const QAbstractAxis* axis) {
    if (const auto* v = qobject_cast<const QValueAxis*>(axis)) return {v->min(), v->max()};
    const auto* l = qobject_cast<const QLogValueAxis*>(axis);
    return {l->min(), l->max()};
}

namespace {

QAbstractAxis* make_axis(const QString& title, bool logarithmic) {
    QAbstractAxis* axis = nullptr;
    if (logarithmic) {
        auto* log_axis = new QLogValueAxis;
        log_axis->setBase(10);
        log_axis->setLabelFormat(QStringLiteral("%g"));
        log_axis->setMinorTickCount(8);
        axis = log_axis;
    } else {
        auto* value_axis = new QValueAxis;
        value_axis->setTickType(QValueAxis::TicksDynamic);
        value_axis->setTickAnchor(0);
        value_axis->setLabelFormat(QStringLiteral("%.6g"));
        axis = value_axis;
    }
    axis->setTitleText(title);
    axis->setTitleFont(font_of(14, true));
    axis->setLabelsFont(font_of(13));
    return axis;
}

// A linear axis over whole ticks (about 6 of them) or, for the angle, over the range given with
// `angle_ticks` of a count's size.
void set_axis_range(QAbstractAxis* axis, std::pair<double, double> range, int angle_ticks) {
    if (auto* log_axis = qobject_cast<QLogValueAxis*>(axis)) {
        log_axis->setRange(range.first, range.second);
        return;
    }
    auto* value_axis = static_cast<QValueAxis*>(axis);
    const bool angle = angle_ticks > 0;
    const LinearAxis nice = nice_axis(range, 6);
    value_axis->setTickInterval(angle ? angle_interval(range.second - range.first, angle_ticks)
                                      : nice.interval);
    value_axis->setRange(angle ? range.first : nice.low, angle ? range.second : nice.high);
}

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

// A series of a chart as data: what it is, how it looks and its points. A chart's series are
// made from their plans, and changed in place from new plans of the same kinds, which Qt Charts
// does many times faster than it makes a series.
struct SeriesPlan {
    enum class Kind { line, area, scatter } kind = Kind::line;
    QString name;
    QPen pen;
    QColor fill;                  // an area's, a scatter's points
    std::vector<QPointF> points;  // a line's or a scatter's; an area's top
    std::vector<QPointF> lower;   // an area's bottom
    bool in_legend = true;
    QString label_unit;  // a scatter's labels' unit, if it has labels: " bar"
    int label_decimals = 0;
};

std::vector<QPointF> points_of(const std::vector<PlotPoint>& points) {
    std::vector<QPointF> q;
    q.reserve(points.size());
    for (const PlotPoint& p : points) q.emplace_back(p.x, p.y);
    return q;
}

SeriesPlan upright(const QString& name, double x, std::pair<double, double> y, QPen pen) {
    SeriesPlan plan;
    plan.name = name;
    plan.pen = std::move(pen);
    plan.points = {{x, y.first}, {x, y.second}};
    return plan;
}

// Whether a chamber's trace begins at the step: its value there is the united charge's at the
// division, not a peak of its own.
bool begins_at(const std::vector<double>& values, int step) {
    return step <= 0 || static_cast<std::size_t>(step) >= values.size() ||
           !std::isfinite(values[static_cast<std::size_t>(step) - 1]);
}

// What the sweep's analysis marks on a chart of angles, within its x range (an SVG draws what
// lies outside its frame too): the divisions, the ignitions, and the peaks of the quantity the
// chart shows (pressures or temperatures), or the phasing.
void plan_marks(std::vector<SeriesPlan>& plans, ChartMarks marks, const CycleSeries& series,
                std::pair<double, double> xs, std::pair<double, double> ys) {
    const auto within = [xs](double x) { return x >= xs.first && x <= xs.second; };
    bool division_named = false;
    for (const DivisionAngles& whole : series.divisions) {
        const DivisionAngles division{std::max(whole.from_deg, xs.first),
                                      std::min(whole.to_deg, xs.second)};
        if (!(division.from_deg < division.to_deg)) continue;
        SeriesPlan area;
        area.kind = SeriesPlan::Kind::area;
        area.name = QStringLiteral("chambers divided");
        area.pen = Qt::NoPen;
        area.fill = QColor(0, 0, 0, 22);
        area.points = {{division.from_deg, ys.second}, {division.to_deg, ys.second}};
        area.lower = {{division.from_deg, ys.first}, {division.to_deg, ys.first}};
        area.in_legend = !division_named;
        division_named = true;
        plans.push_back(std::move(area));
    }
    const auto charges = view_lines::charges();
    // Each charge's ignition, its first zone's; a stratified charge's later zones follow close.
    for (const Ignition& ignition : series.analysis.fuel.ignitions) {
        if (series.analysis.fuel.first(ignition.charge) != &ignition) continue;
        if (!within(ignition.angle_atdc)) continue;
        const view_lines::ChargeLook& c = charges[static_cast<std::size_t>(ignition.charge)];
        plans.push_back(upright(QStringLiteral("%1 ignites, %2\u00b0")
                                    .arg(QString::fromLatin1(c.name))
                                    .arg(ignition.angle_atdc, 0, 'f', 2),
                                ignition.angle_atdc, ys,
                                QPen(qcolor_of(c.colour), 1.5, Qt::DotLine)));
    }
    if (marks == ChartMarks::phasing) {
        const CycleAnalysis& a = series.analysis;
        // Each its own dash, told apart from the ignitions' dotted lines.
        const struct {
            const char* name;
            double angle;
            Qt::PenStyle dash;
        } phasing[] = {{"CA10", a.ca10_deg, Qt::DashLine},
                       {"CA50", a.ca50_deg, Qt::DashDotLine},
                       {"CA90", a.ca90_deg, Qt::DashDotDotLine}};
        for (const auto& [name, angle, dash] : phasing) {
            if (!std::isfinite(angle) || angle < xs.first || angle > xs.second) continue;
            plans.push_back(upright(
                QStringLiteral("%1 %2\u00b0").arg(QString::fromLatin1(name)).arg(angle, 0, 'f', 2),
                angle, ys, QPen(QColor(70, 70, 70), 1.5, dash)));
        }
        return;
    }
    if (marks != ChartMarks::pressure_peaks && marks != ChartMarks::temperature_peaks) return;
    const bool pressure = marks == ChartMarks::pressure_peaks;
    SeriesPlan peaks;
    peaks.kind = SeriesPlan::Kind::scatter;
    peaks.name = QStringLiteral("peaks");
    peaks.fill = Qt::black;
    peaks.label_unit = pressure ? QStringLiteral(" bar") : QStringLiteral(" K");
    peaks.label_decimals = pressure ? 2 : 1;
    const CycleAnalysis& a = series.analysis;
    const std::pair<const ChargeFigures*, const ChargeSeries*> traced[] = {
        {&a.united, &series.united}, {&a.main, &series.main}, {&a.aux, &series.aux}};
    for (const auto& [f, trace] : traced) {
        const Peak& peak = pressure ? f->peak_pressure : f->peak_temperature;
        // Read as the summary gives them: pressures to 0.01 bar, temperatures to 0.1 K.
        const double places = pressure ? 100 : 10;
        const bool chamber = f != &a.united;
        if (chamber && begins_at(pressure ? trace->pressure : trace->temperature, peak.step)) {
            continue;
        }
        if (peak.step >= 0 && within(peak.angle_deg)) {
            peaks.points.emplace_back(peak.angle_deg, std::round(peak.value * places) / places);
        }
    }
    plans.push_back(std::move(peaks));
}

// Each line of the layout, thinned to the pixels; for vector graphics, cut to the x range and
// without the points that lie within a tenth of a pixel of the line through their neighbours.
// The two engines of a comparison are named in the legend by their lines' dashes; a name is in
// the legend once.
void plan_lines(std::vector<SeriesPlan>& plans, const ViewChart& layout, const ViewDrawing& drawing,
                std::pair<double, double> xs, std::pair<double, double> ys) {
    std::vector<QString> named;
    bool with_baseline = false;
    for (const ViewLine& line : layout.lines) {
        SeriesPlan plan;
        plan.name = text_of(line.name);
        // A baseline is drawn lighter and dashed beneath the current engine.
        const QColor colour = qcolor_of(line.colour);
        plan.pen = line.baseline ? QPen(colour.lighter(150), 1.5, Qt::DashLine) : QPen(colour, 2);
        plan.points = points_of(drawing.every_point
                                    ? simplified(clipped_to_x(line.points, xs), drawing.pixels, xs,
                                                 ys, layout.log_x, layout.log_y, 0.1)
                                    : thinned(line.points, drawing.pixels, xs, ys, layout.log_x,
                                              layout.log_y, drawing.straighten_within));
        with_baseline = with_baseline || line.baseline;
        plan.in_legend =
            !line.baseline && std::find(named.begin(), named.end(), plan.name) == named.end();
        if (plan.in_legend) named.push_back(plan.name);
        plans.push_back(std::move(plan));
    }
    if (with_baseline) {
        SeriesPlan current;
        current.name = QStringLiteral("solid: %1").arg(drawing.current_name);
        current.pen = QPen(QColor(60, 60, 60), 2);
        plans.push_back(std::move(current));
        SeriesPlan baseline;
        baseline.name = QStringLiteral("dashed: %1").arg(drawing.baseline_name);
        baseline.pen = QPen(QColor(110, 110, 110), 1.5, Qt::DashLine);
        plans.push_back(std::move(baseline));
    }
}

QList<QPointF> list_of(const std::vector<QPointF>& points) {
    return {points.begin(), points.end()};
}

void show_in_legend(QAbstractSeries* series, bool shown) {
    set_in_legend(*series, shown);
}

QAbstractSeries* make_series(QChart& chart, const SeriesPlan& plan, QAbstractAxis* x,
                             QAbstractAxis* y) {
    QAbstractSeries* made = nullptr;
    switch (plan.kind) {
        case SeriesPlan::Kind::line: {
            auto* line = new QLineSeries;
            line->setPen(plan.pen);
            line->replace(list_of(plan.points));
            made = line;
            break;
        }
        case SeriesPlan::Kind::area: {
            auto* top = new QLineSeries;
            auto* bottom = new QLineSeries;
            top->replace(list_of(plan.points));
            bottom->replace(list_of(plan.lower));
            auto* area = new QAreaSeries(top, bottom);
            // An area does not own its edges: they go with it as its children.
            top->setParent(area);
            bottom->setParent(area);
            area->setBrush(plan.fill);
            area->setPen(plan.pen);
            made = area;
            break;
        }
        case SeriesPlan::Kind::scatter: {
            auto* points = new QScatterSeries;
            points->setMarkerSize(9);
            points->setColor(plan.fill);
            if (!plan.label_unit.isEmpty()) {
                label_points(*points, plan.label_decimals, plan.label_unit);
            }
            points->replace(list_of(plan.points));
            made = points;
            break;
        }
    }
    made->setName(plan.name);
    attach(chart, made, x, y);
    show_in_legend(made, plan.in_legend);
    return made;
}

// The series changed to the plan, of its own kind.
void update_series(QAbstractSeries* series, const SeriesPlan& plan) {
    if (series->name() != plan.name) series->setName(plan.name);
    switch (plan.kind) {
        case SeriesPlan::Kind::line: {
            auto* line = static_cast<QLineSeries*>(series);
            if (line->pen() != plan.pen) line->setPen(plan.pen);
            // A line that has not changed (the baseline's, say) is not laid out again.
            const QList<QPointF> points = list_of(plan.points);
            if (line->points() != points) line->replace(points);
            break;
        }
        case SeriesPlan::Kind::area: {
            auto* area = static_cast<QAreaSeries*>(series);
            area->upperSeries()->replace(list_of(plan.points));
            area->lowerSeries()->replace(list_of(plan.lower));
            break;
        }
        case SeriesPlan::Kind::scatter:
            static_cast<QScatterSeries*>(series)->replace(list_of(plan.points));
            break;
    }
    show_in_legend(series, plan.in_legend);
}

bool of_kind(const QAbstractSeries* series, SeriesPlan::Kind kind) {
    switch (kind) {
        case SeriesPlan::Kind::line:
            return series->type() == QAbstractSeries::SeriesTypeLine;
        case SeriesPlan::Kind::area:
            return series->type() == QAbstractSeries::SeriesTypeArea;
        case SeriesPlan::Kind::scatter:
            return series->type() == QAbstractSeries::SeriesTypeScatter;
    }
    return false;
}

QAbstractAxis* axis_of(const QChart& chart, Qt::Orientation orientation) {
    return chart.axes(orientation).front();
}

// The chart's series and its axes' ranges from the layout. Series of the kinds planned, in their
// order, are changed in place; otherwise the chart's own series (those of an earlier fill) go
// and new ones are made. A chart that its user has zoomed keeps its ranges.
void fill_chart(BuiltChart& built, ViewChart layout, const CycleSeries& current,
                const ViewDrawing& drawing) {
    QChart* chart = built.chart;
    QAbstractAxis* x = axis_of(*chart, Qt::Horizontal);
    QAbstractAxis* y = axis_of(*chart, Qt::Vertical);
    if (!chart->isZoomed()) {
        const std::pair<double, double> x_range =
            layout.x_range ? *layout.x_range
                           : fitted(layout.lines, true, layout.log_x, std::nullopt);
        // An angle label every 70 pixels or so, at most twelve.
        const int angle_ticks = std::clamp(static_cast<int>(drawing.pixels.width() / 70), 4, 12);
        set_axis_range(x, x_range, layout.log_x ? 0 : angle_ticks);
        set_axis_range(y, fitted(layout.lines, false, layout.log_y, layout.x_range), 0);
    }
    const std::pair<double, double> xs = range_of(x), ys = range_of(y);
    std::vector<SeriesPlan> plans;
    if (!layout.log_x) plan_marks(plans, layout.marks, current, xs, ys);
    const std::size_t first_line = plans.size();
    plan_lines(plans, layout, drawing, xs, ys);
    const bool same_kinds = built.series.size() == plans.size() &&
                            std::equal(plans.begin(), plans.end(), built.series.begin(),
                                       [](const SeriesPlan& plan, const QAbstractSeries* series) {
                                           return of_kind(series, plan.kind);
                                       });
    if (same_kinds) {
        for (std::size_t i = 0; i < plans.size(); ++i) update_series(built.series[i], plans[i]);
    } else {
        for (QAbstractSeries* series : built.series) {
            chart->removeSeries(series);
            delete series;
        }
        built.series.clear();
        for (const SeriesPlan& plan : plans)
            built.series.push_back(make_series(*chart, plan, x, y));
    }
    built.lines.clear();
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        built.lines.push_back(static_cast<QLineSeries*>(built.series[first_line + i]));
    }
    built.layout = std::move(layout);
    relay_legend(*chart);
    relay_point_labels(*chart);
}

BuiltChart build_chart(const ViewChart& layout) {
    BuiltChart built;
    built.owned = std::make_unique<QChart>();
    built.chart = built.owned.get();
    QChart* chart = built.chart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    use_wrapped_legend(*chart);
    use_point_labels(*chart);
    chart->addAxis(make_axis(text_of(layout.x_title), layout.log_x), Qt::AlignBottom);
    chart->addAxis(make_axis(text_of(layout.y_title), layout.log_y), Qt::AlignLeft);
    return built;
}

}  // namespace

std::vector<BuiltChart> make_view(const CycleView& view, const CycleSeries& current,
                                  const CycleSeries* baseline, const ViewDrawing& drawing,
                                  const LinesBeneath* beneath) {
    const std::vector<ViewChart> layouts = view_charts(view, current, baseline);
    std::vector<BuiltChart> charts;
    charts.reserve(layouts.size());
    for (const ViewChart& layout : layouts) charts.push_back(build_chart(layout));
    refill_view(charts, view, current, baseline, drawing, beneath);
    return charts;
}

void refill_view(std::vector<BuiltChart>& charts, const CycleView& view, const CycleSeries& current,
                 const CycleSeries* baseline, const ViewDrawing& drawing,
                 const LinesBeneath* beneath) {
    std::vector<ViewChart> layouts = view_charts(view, current, baseline);
    ViewDrawing each = drawing;
    each.pixels.setHeight(drawing.pixels.height() / static_cast<double>(layouts.size()));
    for (std::size_t i = 0; i < layouts.size() && i < charts.size(); ++i) {
        // Lines first in a chart are drawn first: beneath the rest.
        if (beneath != nullptr && i < beneath->size()) {
            std::vector<ViewLine>& lines = layouts[i].lines;
            lines.insert(lines.begin(), (*beneath)[i].begin(), (*beneath)[i].end());
        }
        fill_chart(charts[i], std::move(layouts[i]), current, each);
    }
}

std::string render_view(const CycleView& view, const CycleSeries& current,
                        const CycleSeries* baseline, QSize size, PlotFormat format,
                        const EngineNames& names, const MeasuredSeries* measured) {
    const bool svg = format == PlotFormat::svg;
    LinesBeneath beneath;
    if (measured != nullptr && view.measured != nullptr)
        beneath = view.measured(*measured, current);
    std::vector<BuiltChart> charts = make_view(view, current, baseline,
                                               {.pixels = size,
                                                .every_point = svg,
                                                .current_name = text_of(names.current),
                                                .baseline_name = text_of(names.baseline)},
                                               &beneath);
    QGraphicsScene scene(0, 0, size.width(), size.height());
    scene.setBackgroundBrush(Qt::white);
    // The view, and the engine and conditions it was drawn for (the current one's, where two are
    // compared), after it on one line where there is room, else on a second.
    const QFont title_font = font_of(22, true), conditions_font = font_of(16);
    const QString title = text_of(view.title);
    const QString conditions = text_of(engine_conditions_text(current.parameters));
    const double title_width = QFontMetricsF(title_font).horizontalAdvance(title);
    const double conditions_width = QFontMetricsF(conditions_font).horizontalAdvance(conditions);
    const bool one_line = 16 + title_width + 24 + conditions_width + 16 <= size.width();
    const double title_height = one_line ? 44 : 70;
    scene.addSimpleText(title, title_font)->setPos(16, 8);
    auto* said = scene.addSimpleText(conditions, conditions_font);
    said->setBrush(QColor(60, 60, 60));
    said->setPos(one_line ? 16 + title_width + 24 : 16, one_line ? 13 : 40);
    const double height = (size.height() - title_height) / static_cast<double>(charts.size());
    for (std::size_t i = 0; i < charts.size(); ++i) {
        charts[i].chart->setGeometry(0, title_height + static_cast<double>(i) * height,
                                     size.width(), height);
        scene.addItem(charts[i].owned.release());  // the scene owns it now
    }
    return scene_picture(
        scene, size, format,
        QStringLiteral("hcci-cycle: ") + title + QStringLiteral(", ") + conditions);
}

}  // namespace hcci
