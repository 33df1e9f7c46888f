// SPDX-License-Identifier: MIT
#include "core/report/view_charts.h"

#include <algorithm>
#include <cmath>

namespace hcci {

const CycleView* view_named(std::string_view name) {
    const auto views = cycle_views();
    const auto found = std::find_if(views.begin(), views.end(),
                                    [name](const CycleView* v) { return v->name == name; });
    return found == views.end() ? nullptr : *found;
}

std::string view_names_text(std::string_view last_separator) {
    const auto views = cycle_views();
    std::string text;
    for (std::size_t i = 0; i < views.size(); ++i) {
        if (i > 0) text += i + 1 == views.size() ? std::string(last_separator) : ", ";
        text += views[i]->name;
    }
    return text;
}

namespace view_lines {

std::span<const ChargeLook> charges() {
    static const ChargeLook looks[] = {
        {"united", {0, 0, 255}, &CycleSeries::united},
        {"main", {0, 192, 0}, &CycleSeries::main},
        {"auxiliary", {255, 0, 0}, &CycleSeries::aux},
    };
    return looks;
}

ViewLine style(std::string name, Rgb colour, bool baseline) {
    ViewLine line;
    line.name = baseline ? name + " (baseline)" : std::move(name);
    line.colour = colour;
    line.baseline = baseline;
    return line;
}

void add_runs(std::vector<ViewLine>& lines, const ViewLine& style, const std::vector<double>& x,
              const std::vector<double>& y, bool positive) {
    ViewLine run = style;
    const auto flush = [&] {
        if (!run.points.empty()) lines.push_back(run);
        run.points.clear();
        run.steps.clear();
    };
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const bool shown =
            std::isfinite(x[i]) && std::isfinite(y[i]) && (!positive || (x[i] > 0 && y[i] > 0));
        if (!shown) {
            flush();
            continue;
        }
        run.points.push_back({x[i], y[i]});
        run.steps.push_back(static_cast<int>(i));
    }
    flush();
}

void add_charges(std::vector<ViewLine>& lines, const CycleSeries& series, bool baseline,
                 const std::vector<double> ChargeSeries::*y,
                 const std::vector<double> ChargeSeries::*x, bool positive) {
    for (const ChargeLook& c : charges()) {
        const ChargeSeries& charge = series.*c.series;
        add_runs(lines, style(c.name, c.colour, baseline), x ? charge.*x : series.angle_deg,
                 charge.*y, positive);
    }
}

std::vector<ViewLine> measured_line(const MeasuredSeries& measured, const std::vector<double>& x,
                                    const std::vector<double>& y, bool positive) {
    std::vector<ViewLine> lines;
    add_runs(lines, style(measured.name, {0, 0, 0}, false), x, y, positive);
    return lines;
}

std::vector<double> measured_values(const MeasuredSeries& measured, double MeasuredPoint::*value) {
    std::vector<double> values;
    values.reserve(measured.points.size());
    for (const MeasuredPoint& point : measured.points) values.push_back(point.*value);
    return values;
}

bool has_size(const CycleSeries& series) {
    const double displacement = series.analysis.fuel.displacement_l;
    return std::isfinite(displacement) && displacement > 0;
}

double litres_per_height_unit(const CycleSeries& series) {
    return has_size(series) ? series.analysis.fuel.displacement_l / 100 : 0.01;
}

}  // namespace view_lines
}  // namespace hcci
