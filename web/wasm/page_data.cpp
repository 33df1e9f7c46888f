// SPDX-License-Identifier: MIT
#include "web/wasm/page_data.h"

#include <cstdio>

#include "core/model/engine_model.h"
#include "core/report/parameter_labels.h"
#include "core/report/parameter_messages.h"
#include "core/report/view_charts.h"
#include "web/wasm/json_text.h"

namespace hcci {
namespace {

using json::boolean;
using json::member;
using json::number;

template <class Items, class Write>
std::string array(const Items& items, Write write) {
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) out += ',';
        out += write(item);
    }
    return out + "]";
}

std::string strings(const std::vector<std::string>& items) {
    return array(items, [](const std::string& s) { return json::string(s); });
}

std::string colour_text(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

std::string values_json(const EngineParameters& parameters) {
    std::string out = "{";
    for (const ParameterInfo& info : parameter_table()) {
        if (out.size() > 1) out += ',';
        out += member(info.name, number(parameters.*info.member));
    }
    return out + "}";
}

std::string parameter_json(const ParameterInfo& info) {
    const ParameterRange& r = info.range;
    std::string shaped, tooltips;
    for (const EngineModelEntry* model : engine_models()) {
        if (shapes(info, model->name)) {
            shaped += (shaped.empty() ? "" : ",") + json::string(model->name);
        }
        tooltips += (tooltips.empty() ? "" : ",") +
                    member(model->name, json::string(parameter_tooltip(info, model->name)));
    }
    return "{" + member("name", json::string(info.name)) + "," +
           member("label", json::string(info.label)) + "," +
           member("unit", json::string(info.unit)) + "," +
           member("meaning", json::string(info.meaning)) + "," +
           member("group", json::string(info.group)) + "," + member("lowest", number(r.lowest)) +
           "," + member("lowestIncluded", boolean(r.lowest_included)) + "," +
           member("highest", number(r.highest)) + "," +
           member("highestIncluded", boolean(r.highest_included)) + "," +
           member("range", json::string(range_text(r))) + "," + member("step", number(info.step)) +
           "," + member("models", "[" + shaped + "]") + "," +
           member("tooltips", "{" + tooltips + "}") + "}";
}

std::string line_json(const ViewLine& line, std::vector<double>& points) {
    const std::size_t first = points.size() / 2;
    for (const PlotPoint& p : line.points) {
        points.push_back(p.x);
        points.push_back(p.y);
    }
    return "{" + member("name", json::string(line.name)) + "," +
           member("colour", json::string(colour_text(line.colour))) + "," +
           member("baseline", boolean(line.baseline)) + "," +
           member("first", std::to_string(first)) + "," +
           member("count", std::to_string(line.points.size())) + "}";
}

std::string chart_json(const ViewChart& chart, std::vector<double>& points) {
    const std::string range = chart.x_range ? "[" + number(chart.x_range->first) + "," +
                                                  number(chart.x_range->second) + "]"
                                            : "null";
    const bool angles = !chart.log_x && chart.x_range.has_value();
    return "{" + member("xTitle", json::string(chart.x_title)) + "," +
           member("yTitle", json::string(chart.y_title)) + "," +
           member("logX", boolean(chart.log_x)) + "," + member("logY", boolean(chart.log_y)) + "," +
           member("xRange", range) + "," + member("yUnit", json::string(chart.y_unit)) + "," +
           member("yDecimals", std::to_string(chart.y_decimals)) + "," +
           member("angles", boolean(angles)) + "," +
           member("lines",
                  array(chart.lines,
                        [&points](const ViewLine& line) { return line_json(line, points); })) +
           "}";
}

}  // namespace

std::string registry_json() {
    const std::string models = array(engine_models(), [](const EngineModelEntry* model) {
        return "{" + member("name", json::string(model->name)) + "," +
               member("summary", json::string(model->summary)) + "," +
               member("defaults", values_json(*model_defaults(model->name))) + "}";
    });
    const std::string views = array(cycle_views(), [](const CycleView* view) {
        return "{" + member("name", json::string(view->name)) + "," +
               member("title", json::string(view->title)) + "," +
               member("tab", json::string(view->tab)) + "}";
    });
    return "{" + member("models", models) + "," +
           member("parameters", array(parameter_table(), parameter_json)) + "," +
           member("views", views) + "}";
}

std::string engine_json(const PageEngine& engine) {
    const std::string refused = array(engine.refused, [](const SettingRefusal& r) {
        return "{" + member("names", strings(r.names)) + "," +
               member("message", json::string(r.message)) + "}";
    });
    return "{" + member("model", json::string(engine.parameters.model)) + "," +
           member("values", values_json(engine.parameters)) + "," +
           member("settings", strings(engine.settings)) + "," +
           member("link", strings(settings_of(engine.parameters))) + "," +
           member("refused", refused) + "," + member("notices", strings(engine.notices)) + "}";
}

std::string view_json(std::string_view view_name, const CycleSeries& current,
                      const CycleSeries* baseline, std::vector<double>& points) {
    points.clear();
    const CycleView* view = view_named(view_name);
    if (view == nullptr) return "null";
    const std::vector<ViewChart> charts = view_charts(*view, current, baseline);
    const std::string divisions = array(current.divisions, [](const DivisionAngles& d) {
        return "[" + number(d.from_deg) + "," + number(d.to_deg) + "]";
    });
    const auto looks = view_lines::charges();
    const std::string ignitions =
        array(current.analysis.fuel.ignitions, [&looks](const Ignition& ignition) {
            const auto& look = looks[static_cast<std::size_t>(ignition.charge)];
            return "{" + member("charge", json::string(look.name)) + "," +
                   member("angle", number(ignition.angle_atdc)) + "," +
                   member("colour", json::string(colour_text(look.colour))) + "}";
        });
    return "{" + member("name", json::string(view->name)) + "," +
           member("title", json::string(view->title)) + "," +
           member("tab", json::string(view->tab)) + "," +
           member("charts",
                  array(charts, [&points](const ViewChart& c) { return chart_json(c, points); })) +
           "," + member("divisions", divisions) + "," + member("ignitions", ignitions) + "}";
}

}  // namespace hcci
