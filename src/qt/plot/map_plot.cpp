// SPDX-License-Identifier: MIT
#include "qt/plot/map_plot.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "core/report/number_text.h"
#include "qt/plot/plot_text.h"
#include "qt/plot/scene_picture.h"

namespace hcci {
namespace {

constexpr double title_height = 84;
constexpr double legend_height = 52;
constexpr int columns = 3, rows = 2;
constexpr double panel_title = 34;  // above a map, inside its panel
constexpr double left_gap = 86;     // the y axis's labels and title
constexpr double right_gap = 128;   // the colour scale and its labels
constexpr double bottom_gap = 62;   // the x axis's labels and title
constexpr double scale_width = 18;  // the colour scale's bar

// Perceptually even, dark to bright, readable in grey.
constexpr std::array<std::array<int, 3>, 9> palette{{{68, 1, 84},
                                                     {71, 45, 123},
                                                     {59, 82, 139},
                                                     {44, 114, 142},
                                                     {33, 145, 140},
                                                     {40, 174, 128},
                                                     {94, 201, 98},
                                                     {173, 220, 48},
                                                     {253, 231, 37}}};
const QColor undefined_color(215, 215, 215);
const QColor ringing_color(220, 0, 0);
const QColor pressure_color(255, 140, 0);

QColor colour_at(double share) {
    share = std::clamp(share, 0.0, 1.0) * (palette.size() - 1);
    const auto low = static_cast<std::size_t>(std::min(std::floor(share), palette.size() - 2.0));
    const double t = share - static_cast<double>(low);
    const auto mix = [&](int c) {
        return static_cast<int>(std::lround(palette[low][c] * (1 - t) + palette[low + 1][c] * t));
    };
    return QColor(mix(0), mix(1), mix(2));
}

struct Quantity {
    QString title;  // with its unit
    std::function<double(const MapCell&)> value;
    bool logarithmic = false;
};

std::vector<Quantity> quantities(bool gross) {
    return {
        {QStringLiteral("CA50, deg ATDC"), [](const MapCell& c) { return c.ca50; }},
        {gross ? QStringLiteral("IMEPg, bar") : QStringLiteral("IMEP, bar"),
         [](const MapCell& c) { return c.imep; }},
        {QStringLiteral("fuel conversion efficiency"),
         [](const MapCell& c) { return c.fuel_conversion; }},
        {QStringLiteral("combustion efficiency"), [](const MapCell& c) { return c.combustion; }},
        {QStringLiteral("ringing intensity, MW/m\u00b2"),
         [](const MapCell& c) { return c.ringing; }, true},
        {QStringLiteral("peak pressure, bar"), [](const MapCell& c) { return c.peak_pressure; }},
    };
}

// The edges of the cells along an axis: halfway between values, half a step beyond the ends.
std::vector<double> cell_edges(const std::vector<double>& values) {
    const std::size_t n = values.size();
    std::vector<double> edges(n + 1);
    if (n == 1) {
        const double half = values[0] != 0 ? std::abs(values[0]) * 0.05 : 0.5;
        return {values[0] - half, values[0] + half};
    }
    for (std::size_t i = 1; i < n; ++i) edges[i] = (values[i - 1] + values[i]) / 2;
    edges[0] = values[0] - (values[1] - values[0]) / 2;
    edges[n] = values[n - 1] + (values[n - 1] - values[n - 2]) / 2;
    return edges;
}

// Round values within [low, high], some five of them.
std::vector<double> ticks(double low, double high) {
    const double span = high - low;
    if (!(span > 0)) return {low};
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10;
    for (const double nice : {1.0, 2.0, 2.5, 5.0}) {
        if (nice * power >= rough) {
            step = nice * power;
            break;
        }
    }
    std::vector<double> values;
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k) {
        values.push_back(std::abs(k) < 0.5 ? 0 : k * step);
    }
    return values;
}

QString tick_text(double value) {
    return QString::number(value, 'g', 8);
}

// A colour scale's end that is no round number: as many digits as a reader needs.
QString end_text(double value) {
    return QString::number(value, 'g', 3);
}

// The colour scale of one quantity over the values the map holds.
struct Scale {
    double low = 0, high = 1;
    bool logarithmic = false;
    bool any = false;
    double share(double v) const {
        if (logarithmic) v = std::log10(std::max(v, low));
        const double a = logarithmic ? std::log10(low) : low;
        const double b = logarithmic ? std::log10(high) : high;
        return b > a ? (v - a) / (b - a) : 0.5;
    }
};

Scale scale_of(const MapTable& table, const Quantity& quantity) {
    Scale scale{.low = INFINITY, .high = -INFINITY, .logarithmic = quantity.logarithmic};
    for (const MapCell& cell : table.cells) {
        const double v = quantity.value(cell);
        if (!std::isfinite(v) || (scale.logarithmic && !(v > 0))) continue;
        scale.low = std::min(scale.low, v);
        scale.high = std::max(scale.high, v);
        scale.any = true;
    }
    if (!scale.any) return {.low = 0, .high = 1, .logarithmic = false, .any = false};
    if (scale.logarithmic) {
        // Four decades at most: what lies below is as good as none.
        scale.low = std::max(scale.low, scale.high * 1e-4);
        if (scale.high <= scale.low * 1.0001) scale.high = scale.low * 10;
    } else if (scale.high == scale.low) {
        const double pad = scale.low != 0 ? std::abs(scale.low) * 0.01 : 0.5;
        scale.low -= pad;
        scale.high += pad;
    }
    return scale;
}

class MapPicture : public QGraphicsItem {
public:
    MapPicture(const MapTable& table, const MapLimits& limits, QSize size)
        : table_(table), limits_(limits), size_(size) {}
    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), QSizeF(size_)); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    void draw_title(QPainter& p) const;
    void draw_legend(QPainter& p) const;
    void draw_panel(QPainter& p, const Quantity& quantity, const QRectF& area) const;
    void draw_axes(QPainter& p, const QRectF& area) const;
    void draw_scale(QPainter& p, const Scale& scale, const QRectF& area) const;
    // Segments between neighbouring cells that differ in `inside`; with `closed`, also along
    // the grid's edge where a cell is inside.
    QPainterPath boundary(const QRectF& area, const std::function<bool(const MapCell&)>& inside,
                          bool closed) const;
    QPainterPath region(const QRectF& area,
                        const std::function<bool(const MapCell&)>& inside) const;
    QPointF at(const QRectF& area, double x, double y) const;
    bool within_limits(const MapCell& c) const {
        return !c.misfire && !(c.ringing > limits_.ringing) &&
               !(c.peak_pressure > limits_.peak_pressure);
    }

    const MapTable& table_;
    MapLimits limits_;
    QSize size_;
    std::vector<double> x_edges_ = cell_edges(table_.grid.xs);
    std::vector<double> y_edges_ = cell_edges(table_.grid.ys);
};

QPointF MapPicture::at(const QRectF& area, double x, double y) const {
    const double x0 = x_edges_.front(), x1 = x_edges_.back();
    const double y0 = y_edges_.front(), y1 = y_edges_.back();
    return {area.left() + (x - x0) / (x1 - x0) * area.width(),
            area.bottom() - (y - y0) / (y1 - y0) * area.height()};
}

QPainterPath MapPicture::region(const QRectF& area,
                                const std::function<bool(const MapCell&)>& inside) const {
    QPainterPath path;
    const std::size_t nx = table_.grid.xs.size(), ny = table_.grid.ys.size();
    for (std::size_t j = 0; j < ny; ++j) {
        // Runs of cells along a row, one rectangle each.
        for (std::size_t i = 0; i < nx;) {
            if (!inside(table_.cells[j * nx + i])) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < nx && inside(table_.cells[j * nx + end])) ++end;
            path.addRect(QRectF(at(area, x_edges_[i], y_edges_[j + 1]),
                                at(area, x_edges_[end], y_edges_[j])));
            i = end;
        }
    }
    return path;
}

QPainterPath MapPicture::boundary(const QRectF& area,
                                  const std::function<bool(const MapCell&)>& inside,
                                  bool closed) const {
    QPainterPath path;
    const std::size_t nx = table_.grid.xs.size(), ny = table_.grid.ys.size();
    const auto in = [&](std::size_t i, std::size_t j) { return inside(table_.cells[j * nx + i]); };
    const auto segment = [&](double xa, double ya, double xb, double yb) {
        path.moveTo(at(area, xa, ya));
        path.lineTo(at(area, xb, yb));
    };
    for (std::size_t j = 0; j < ny; ++j) {
        for (std::size_t i = 0; i < nx; ++i) {
            const bool here = in(i, j);
            const bool right = i + 1 < nx ? in(i + 1, j) : (closed ? false : here);
            const bool up = j + 1 < ny ? in(i, j + 1) : (closed ? false : here);
            if (here != right)
                segment(x_edges_[i + 1], y_edges_[j], x_edges_[i + 1], y_edges_[j + 1]);
            if (here != up) segment(x_edges_[i], y_edges_[j + 1], x_edges_[i + 1], y_edges_[j + 1]);
            if (closed && here && i == 0)
                segment(x_edges_[0], y_edges_[j], x_edges_[0], y_edges_[j + 1]);
            if (closed && here && j == 0)
                segment(x_edges_[i], y_edges_[0], x_edges_[i + 1], y_edges_[0]);
        }
    }
    return path;
}

// Lines across a region, over its colours paled so that they show on dark and light alike.
void hatch(QPainter& p, const QRectF& area, const QPainterPath& region, double spacing, bool rising,
           const QPen& pen, int paling) {
    if (region.isEmpty()) return;
    p.save();
    p.setClipPath(region, Qt::IntersectClip);
    p.fillRect(area, QColor(255, 255, 255, paling));
    p.setPen(pen);
    const double span = area.width() + area.height();
    for (double d = 0; d <= span; d += spacing) {
        if (rising) {
            p.drawLine(QPointF(area.left() + d - area.height(), area.bottom()),
                       QPointF(area.left() + d, area.top()));
        } else {
            p.drawLine(QPointF(area.left() + d - area.height(), area.top()),
                       QPointF(area.left() + d, area.bottom()));
        }
    }
    p.restore();
}

// Misfire: dense rising lines over much paled colours; partial burn: sparse falling ones over
// slightly paled colours.
struct Hatch {
    double spacing;
    bool rising;
    double width;
    int paling;
};
constexpr Hatch misfire_hatch{6, true, 1.4, 150};
constexpr Hatch partial_hatch{10, false, 1.2, 70};

void hatch(QPainter& p, const QRectF& area, const QPainterPath& region, const Hatch& kind) {
    hatch(p, area, region, kind.spacing, kind.rising, QPen(QColor(25, 25, 25), kind.width),
          kind.paling);
}

void MapPicture::draw_axes(QPainter& p, const QRectF& area) const {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    p.setFont(font_of(13));
    for (const double x : ticks(x_edges_.front(), x_edges_.back())) {
        const double px = at(area, x, y_edges_.front()).x();
        p.drawLine(QPointF(px, area.bottom()), QPointF(px, area.bottom() + 5));
        p.drawText(QRectF(px - 40, area.bottom() + 6, 80, 18), Qt::AlignHCenter | Qt::AlignTop,
                   tick_text(x));
    }
    for (const double y : ticks(y_edges_.front(), y_edges_.back())) {
        const double py = at(area, x_edges_.front(), y).y();
        p.drawLine(QPointF(area.left() - 5, py), QPointF(area.left(), py));
        p.drawText(QRectF(area.left() - 70, py - 9, 62, 18), Qt::AlignRight | Qt::AlignVCenter,
                   tick_text(y));
    }
    const auto axis_title = [](const ParameterInfo& parameter) {
        QString title = text_of(parameter.name);
        if (!parameter.unit.empty()) title += QStringLiteral(", ") + text_of(parameter.unit);
        return title;
    };
    p.setFont(font_of(14));
    p.drawText(QRectF(area.left(), area.bottom() + 26, area.width(), 20), Qt::AlignHCenter,
               axis_title(*table_.grid.x.parameter));
    p.save();
    p.translate(area.left() - 76, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, -2, area.height(), 20), Qt::AlignHCenter,
               axis_title(*table_.grid.y.parameter));
    p.restore();
}

void MapPicture::draw_scale(QPainter& p, const Scale& scale, const QRectF& area) const {
    const QRectF bar(area.right() + 14, area.top(), scale_width, area.height());
    constexpr int bands = 64;
    p.setPen(Qt::NoPen);
    for (int k = 0; k < bands; ++k) {
        const double top = bar.bottom() - bar.height() * (k + 1) / bands;
        p.setBrush(colour_at((k + 0.5) / bands));
        p.drawRect(QRectF(bar.left(), top, bar.width(), bar.height() / bands + 0.5));
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar);
    p.setFont(font_of(13));
    std::vector<double> marks;
    if (scale.logarithmic) {
        for (double e = std::ceil(std::log10(scale.low) - 1e-9); e <= std::log10(scale.high) + 1e-9;
             ++e) {
            marks.push_back(std::pow(10.0, e));
        }
    } else {
        marks = ticks(scale.low, scale.high);
    }
    const bool round = marks.size() >= 2;
    if (!round) marks = {scale.low, scale.high};
    for (const double v : marks) {
        const double py = bar.bottom() - scale.share(v) * bar.height();
        p.drawLine(QPointF(bar.right(), py), QPointF(bar.right() + 4, py));
        p.drawText(QRectF(bar.right() + 6, py - 9, right_gap - scale_width - 20, 18),
                   Qt::AlignLeft | Qt::AlignVCenter, round ? tick_text(v) : end_text(v));
    }
}

void MapPicture::draw_panel(QPainter& p, const Quantity& quantity, const QRectF& area) const {
    const Scale scale = scale_of(table_, quantity);
    p.setFont(font_of(17, true));
    p.setPen(Qt::black);
    p.drawText(
        QRectF(area.left(), area.top() - panel_title, area.width() + right_gap, panel_title - 6),
        Qt::AlignLeft | Qt::AlignBottom, quantity.title);
    // The cells, each in its quantity's colour; grey where it is not defined.
    const std::size_t nx = table_.grid.xs.size(), ny = table_.grid.ys.size();
    p.setPen(Qt::NoPen);
    for (std::size_t j = 0; j < ny; ++j) {
        for (std::size_t i = 0; i < nx; ++i) {
            const double v = quantity.value(table_.cells[j * nx + i]);
            const bool shown = std::isfinite(v) && (!scale.logarithmic || v > 0);
            p.setBrush(shown ? colour_at(scale.share(v)) : undefined_color);
            // A hair larger than the cell, so that no seam shows between neighbours.
            const QRectF cell(at(area, x_edges_[i], y_edges_[j + 1]),
                              at(area, x_edges_[i + 1], y_edges_[j]));
            p.drawRect(cell.adjusted(0, 0, 0.6, 0.6).intersected(area));
        }
    }
    if (!scale.any) {
        p.setPen(Qt::black);
        p.setFont(font_of(15));
        p.drawText(area, Qt::AlignCenter, QStringLiteral("no value on this map"));
    }
    p.save();
    p.setClipRect(area);
    hatch(p, area, region(area, [](const MapCell& c) { return c.misfire; }), misfire_hatch);
    hatch(p, area, region(area, [](const MapCell& c) { return c.partial_burn; }), partial_hatch);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ringing_color, 2.2, Qt::DashLine));
    p.drawPath(boundary(
        area, [&](const MapCell& c) { return c.ringing > limits_.ringing; }, false));
    p.setPen(QPen(pressure_color, 2.2, Qt::DashDotLine));
    p.drawPath(boundary(
        area, [&](const MapCell& c) { return c.peak_pressure > limits_.peak_pressure; }, false));
    p.setPen(QPen(Qt::black, 3));
    p.drawPath(boundary(
        area, [&](const MapCell& c) { return within_limits(c); }, true));
    // The default engine, where the map passes it.
    const double dx = default_value(*table_.grid.x.parameter, table_.model);
    const double dy = default_value(*table_.grid.y.parameter, table_.model);
    if (dx >= x_edges_.front() && dx <= x_edges_.back() && dy >= y_edges_.front() &&
        dy <= y_edges_.back()) {
        const QPointF mark = at(area, dx, dy);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(mark, 7, 7);
        p.drawLine(mark - QPointF(4, 0), mark + QPointF(4, 0));
        p.drawLine(mark - QPointF(0, 4), mark + QPointF(0, 4));
    }
    p.restore();
    draw_axes(p, area);
    if (scale.any) draw_scale(p, scale, area);
}

void MapPicture::draw_title(QPainter& p) const {
    const ParameterInfo& x = *table_.grid.x.parameter;
    const ParameterInfo& y = *table_.grid.y.parameter;
    p.setPen(Qt::black);
    p.setFont(font_of(28, true));
    p.drawText(QRectF(24, 6, size_.width() - 48, 38), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Operating map of ") + text_of(x.name) + QStringLiteral(" and ") +
                   text_of(y.name) + QStringLiteral(", the ") +
                   QString::fromStdString(table_.model) + QStringLiteral(" model"));
    p.setFont(font_of(17));
    const QString engine = QStringLiteral("engine: ") + QString::fromStdString(table_.engine) +
                           QStringLiteral("; %1 \u00d7 %2 points")
                               .arg(table_.grid.xs.size())
                               .arg(table_.grid.ys.size());
    p.drawText(QRectF(24, 46, size_.width() - 48, 30), Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(engine, Qt::ElideRight, size_.width() - 48));
}

void MapPicture::draw_legend(QPainter& p) const {
    const double top = size_.height() - legend_height + 8;
    double left = 24;
    p.setFont(font_of(15));
    const auto label = [&](const QString& text) {
        p.setPen(Qt::black);
        const double width = p.fontMetrics().horizontalAdvance(text);
        p.drawText(QRectF(left, top, width + 4, 30), Qt::AlignLeft | Qt::AlignVCenter, text);
        left += width + 36;
    };
    const auto swatch = [&](const std::function<void(const QRectF&)>& draw) {
        const QRectF box(left, top + 4, 34, 22);
        draw(box);
        left += 42;
    };
    // A square of the colour scale under a region's hatching.
    const auto hatched = [&](double shade, const auto& hatching) {
        swatch([&](const QRectF& box) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour_at(shade));
            p.drawRect(box);
            QPainterPath path;
            path.addRect(box);
            hatch(p, box, path, hatching);
        });
    };
    hatched(0.6, misfire_hatch);
    label(QStringLiteral("misfire (combustion efficiency under 0.1)"));
    hatched(0.3, partial_hatch);
    label(QStringLiteral("partial burn (under 0.9)"));
    const auto line = [&](const QPen& pen) {
        swatch([&](const QRectF& box) {
            p.setPen(pen);
            p.drawLine(QPointF(box.left(), box.center().y()),
                       QPointF(box.right(), box.center().y()));
        });
    };
    line(QPen(ringing_color, 2.2, Qt::DashLine));
    label(QStringLiteral("ringing limit, ") + tick_text(limits_.ringing) +
          QStringLiteral(" MW/m\u00b2"));
    line(QPen(pressure_color, 2.2, Qt::DashDotLine));
    label(QStringLiteral("peak pressure limit, ") + tick_text(limits_.peak_pressure) +
          QStringLiteral(" bar"));
    line(QPen(Qt::black, 3));
    label(QStringLiteral("fires within both limits"));
    swatch([&](const QRectF& box) {
        const QPointF mark = box.center();
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(mark, 7, 7);
        p.drawLine(mark - QPointF(4, 0), mark + QPointF(4, 0));
        p.drawLine(mark - QPointF(0, 4), mark + QPointF(0, 4));
    });
    label(QStringLiteral("the default engine"));
}

void MapPicture::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    QPainter& p = *painter;
    p.fillRect(boundingRect(), Qt::white);
    draw_title(p);
    const bool gross = std::any_of(table_.cells.begin(), table_.cells.end(),
                                   [](const MapCell& c) { return !std::isnan(c.combustion); });
    const std::vector<Quantity> all = quantities(gross);
    const std::vector<QRectF> areas = map_plot_areas(size_);
    for (std::size_t i = 0; i < all.size(); ++i) draw_panel(p, all[i], areas[i]);
    draw_legend(p);
}

}  // namespace

std::vector<QRectF> map_plot_areas(QSize size) {
    const double width = size.width() / static_cast<double>(columns);
    const double height = (size.height() - title_height - legend_height) / rows;
    std::vector<QRectF> areas;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            areas.emplace_back(c * width + left_gap, title_height + r * height + panel_title,
                               width - left_gap - right_gap, height - panel_title - bottom_gap);
        }
    }
    return areas;
}

std::optional<std::size_t> map_point_at(const MapTable& table, QPointF place) {
    for (const QRectF& area : map_plot_areas(map_plot_size)) {
        if (!area.contains(place)) continue;
        // The cell whose edges hold it, along each axis.
        const auto index = [](const std::vector<double>& values, double share) {
            const std::vector<double> edges = cell_edges(values);
            const double value = edges.front() + share * (edges.back() - edges.front());
            const auto above = std::upper_bound(edges.begin() + 1, edges.end() - 1, value);
            return static_cast<std::size_t>(above - edges.begin() - 1);
        };
        const std::size_t i = index(table.grid.xs, (place.x() - area.left()) / area.width());
        const std::size_t j = index(table.grid.ys, (area.bottom() - place.y()) / area.height());
        return j * table.grid.xs.size() + i;
    }
    return std::nullopt;
}

std::string plot_map(const MapTable& table, const MapLimits& limits, PlotFormat format) {
    const QSize size = map_plot_size;
    QGraphicsScene scene(0, 0, size.width(), size.height());
    scene.setBackgroundBrush(Qt::white);
    scene.addItem(new MapPicture(table, limits, size));  // the scene owns it
    return scene_picture(scene, size, format,
                         QStringLiteral("hcci-cycle map of ") +
                             text_of(table.grid.x.parameter->name) + QStringLiteral(" and ") +
                             text_of(table.grid.y.parameter->name));
}

}  // namespace hcci
