// SPDX-License-Identifier: MIT
#include "core/report/view_charts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "core/model/cycle_series.h"
#include "core/report/csv_export.h"
#include "core/report/view_text.h"

// The views' data, not their pictures: what each line holds against the sweep's own numbers.

namespace hcci {
namespace {

class ViewCharts : public testing::Test {
protected:
    static EngineParameters predictive() {
        EngineParameters p;
        p.model = "predictive";
        return p;
    }
    const CycleSeries original = cycle_series(run_cycle({}));
};

// Every value of a line, by the step it is at.
std::map<int, double> by_step(const ViewChart& chart, const std::string& name) {
    std::map<int, double> values;
    for (const ViewLine& line : chart.lines) {
        if (line.name != name) continue;
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            values[line.steps[i]] = line.points[i].y;
        }
    }
    return values;
}

// The CSV's column as numbers by step; an empty cell (the charge is not there) is left out.
std::map<int, double> csv_column(const std::string& csv, const std::string& column) {
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header;
    std::stringstream names(line);
    for (std::string name; std::getline(names, name, ',');) header.push_back(name);
    const auto at = std::find(header.begin(), header.end(), column) - header.begin();
    std::map<int, double> values;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        cells.resize(header.size());
        if (!cells[static_cast<std::size_t>(at)].empty()) {
            values[std::stoi(cells[0])] = std::stod(cells[static_cast<std::size_t>(at)]);
        }
    }
    return values;
}

TEST_F(ViewCharts, PressureAgainstAngleIsTheCsvStepForStep) {
    for (const EngineParameters& engine : {EngineParameters{}, predictive()}) {
        SCOPED_TRACE(std::string(engine.model));
        const CycleSeries series = cycle_series(run_cycle(engine));
        const std::vector<ViewChart> charts =
            view_charts(*view_named("pressure-angle"), series, nullptr);
        ASSERT_EQ(charts.size(), 2u);  // the whole cycle and the zoom, of the same lines
        const std::string csv = sweep_csv(run_cycle(engine));
        for (const char* charge : {"united", "main", "auxiliary"}) {
            SCOPED_TRACE(charge);
            const std::string column =
                std::string(charge == std::string("auxiliary") ? "aux" : charge) + "_pressure";
            const std::map<int, double> drawn = by_step(charts[0], charge);
            // The CSV prints each number in full, so that it reads back to the same double. Its
            // united pressure goes on through the divisions (the chambers' mean), where the
            // picture and the views draw the chambers instead.
            std::map<int, double> expected = csv_column(csv, column);
            if (column == "united_pressure") {
                for (const auto& [step, phase] : csv_column(csv, "phase")) {
                    if (phase == 2 || phase == 4) expected.erase(step);
                }
            }
            EXPECT_EQ(drawn, expected);
            EXPECT_EQ(drawn, by_step(charts[1], charge));
        }
        // The angles the lines are drawn at are the CSV's.
        const std::map<int, double> angles = csv_column(csv, "angle_atdc");
        for (const ViewLine& line : charts[0].lines) {
            for (std::size_t i = 0; i < line.points.size(); i += 997) {
                EXPECT_EQ(line.points[i].x, angles.at(line.steps[i]));
            }
        }
    }
}

// On log p-log V a compression of a fixed charge is a straight line of slope -gamma.
TEST_F(ViewCharts, TheCompressionLineHasTheSlopeMinusGamma) {
    for (const double gamma : {1.4, 1.3}) {
        SCOPED_TRACE(gamma);
        EngineParameters engine;
        engine.gamma = gamma;
        const CycleSeries series = cycle_series(run_cycle(engine));
        const std::vector<ViewChart> charts = view_charts(*view_named("log-pv"), series, nullptr);
        ASSERT_EQ(charts.size(), 1u);
        EXPECT_TRUE(charts[0].log_x && charts[0].log_y);
        const ViewLine& compression = charts[0].lines.front();  // the united charge from BDC
        ASSERT_EQ(compression.name, "united");
        ASSERT_EQ(compression.steps.front(), 0);
        ASSERT_GT(compression.points.size(), 1000u);
        const auto slope = [&](std::size_t a, std::size_t b) {
            const PlotPoint p = compression.points[a], q = compression.points[b];
            return (std::log(q.y) - std::log(p.y)) / (std::log(q.x) - std::log(p.x));
        };
        const std::size_t last = compression.points.size() - 1;
        // In litres for the engine of a litre displaced: a height unit is a hundredth of a litre.
        EXPECT_NEAR(compression.points.front().x, series.united.volume.front() / 100, 1e-12);
        EXPECT_NEAR(slope(0, last), -gamma, 1e-9);
        EXPECT_NEAR(slope(0, last / 2), -gamma, 1e-9);
        EXPECT_NEAR(slope(last / 2, last), -gamma, 1e-9);
    }
}

// An engine with a size (the predictive model's bore and stroke) is drawn in its own litres.
TEST_F(ViewCharts, LogPvIsInTheEnginesOwnLitresWhereItHasASize) {
    EngineParameters engine = *model_defaults("predictive");
    engine.bore_mm = 80;
    engine.stroke_mm = 90;
    const CycleSeries series = cycle_series(run_cycle(engine));
    const double displacement_l = 3.141592653589793 / 4 * 0.8 * 0.8 * 0.9;  // dm
    ASSERT_NEAR(series.analysis.fuel.displacement_l, displacement_l, 1e-12);
    const std::vector<ViewChart> charts = view_charts(*view_named("log-pv"), series, nullptr);
    EXPECT_EQ(charts[0].x_title, "volume, litres (log)");
    const ViewLine& united = charts[0].lines.front();
    EXPECT_NEAR(united.points.front().x, series.united.volume.front() * displacement_l / 100,
                1e-15);
}

// Compared with itself, an engine's baseline lines are its own, dashed beneath.
TEST_F(ViewCharts, ABaselineIsDrawnDashedBeneathAndOfItselfIsTheSame) {
    for (const CycleView* view : cycle_views()) {
        SCOPED_TRACE(std::string(view->name));
        const std::vector<ViewChart> alone = view_charts(*view, original, nullptr);
        const std::vector<ViewChart> both = view_charts(*view, original, &original);
        EXPECT_EQ(alone.size(), view->chart_count);
        ASSERT_EQ(both.size(), alone.size());
        for (std::size_t c = 0; c < both.size(); ++c) {
            const std::vector<ViewLine>& lines = both[c].lines;
            ASSERT_EQ(lines.size(), 2 * alone[c].lines.size());
            const std::size_t half = alone[c].lines.size();
            for (std::size_t i = 0; i < half; ++i) {
                EXPECT_TRUE(lines[i].baseline);  // first, so the current is drawn over it
                EXPECT_EQ(lines[i].name, lines[half + i].name + " (baseline)");
                EXPECT_FALSE(lines[half + i].baseline);
                EXPECT_EQ(lines[i].points, lines[half + i].points);
            }
        }
    }
}

TEST_F(ViewCharts, ViewsAreNamedAsTheCommandLineNamesThem) {
    for (const CycleView* view : cycle_views()) EXPECT_EQ(view_named(view->name), view);
    EXPECT_EQ(view_named("pressure"), nullptr);
    EXPECT_EQ(view_named(""), nullptr);
    EXPECT_EQ(view_names_text(), "pressure-angle, log-pv, heat-release or temperature-angle");
    EXPECT_EQ(view_names_text(", "), "pressure-angle, log-pv, heat-release, temperature-angle");
}

// A plot's title names the model and the conditions; φ only where the model reads it.
TEST(ViewText, TitlesNameTheEngineAndItsConditions) {
    EngineParameters predictive;
    predictive.model = "predictive";
    predictive.equivalence_ratio = 0.35;
    predictive.engine_speed = 1500;
    EngineParameters hot;
    hot.start_temperature = 340.12345;
    const struct {
        EngineParameters engine;
        const char* text;
    } rows[] = {
        {EngineParameters{}, "scheduled model, 1200 rpm, intake 323 K"},
        {hot, "scheduled model, 1200 rpm, intake 340.1 K"},
        {predictive, "predictive model, 1500 rpm, \u03c6 0.35, intake 323 K"},
    };
    for (const auto& row : rows) EXPECT_EQ(engine_conditions_text(row.engine), row.text);
}

// A comparison names an engine by its file (not its folders), or as the defaults; settings
// after either.
TEST(ViewText, AnEngineIsNamedByItsSource) {
    const struct {
        std::optional<std::string> file;
        std::vector<std::string> settings;
        const char* name;
    } rows[] = {
        {std::nullopt, {}, "the defaults"},
        {"engines/hot.toml", {}, "hot.toml"},
        {"hot.toml",
         {"gamma=1.3", "model=predictive"},
         "hot.toml with gamma=1.3, model=predictive"},
        {std::nullopt, {"gamma=1.3"}, "the defaults with gamma=1.3"},
    };
    for (const auto& row : rows) EXPECT_EQ(engine_source_name(row.file, row.settings), row.name);
}

}  // namespace
}  // namespace hcci
