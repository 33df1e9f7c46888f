// SPDX-License-Identifier: MIT
#include "qt/plot/cycle_views.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "core/model/cycle_series.h"
#include "core/report/csv_export.h"
#include "qt_application.h"

// The views' data, not their pictures: what each line holds against the sweep's own numbers.

namespace hcci {
namespace {

class CycleViews : public QtApplicationSuite {
protected:
    static EngineParameters predictive() {
        EngineParameters p;
        p.model = "predictive";
        return p;
    }
    const CycleSeries original = cycle_series(run_cycle({}));
};

// Every value of a line, by the step it is at.
std::map<int, double> by_step(const ViewChart& chart, const QString& name) {
    std::map<int, double> values;
    for (const ViewLine& line : chart.lines) {
        if (line.name != name) continue;
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            values[line.steps[i]] = line.points[i].y();
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

TEST_F(CycleViews, PressureAgainstAngleIsTheCsvStepForStep) {
    for (const EngineParameters& engine : {EngineParameters{}, predictive()}) {
        SCOPED_TRACE(std::string(engine.model));
        const CycleSeries series = cycle_series(run_cycle(engine));
        const std::vector<ViewChart> charts =
            view_charts(CycleView::pressure_angle, series, nullptr);
        ASSERT_EQ(charts.size(), 2u);  // the whole cycle and the zoom, of the same lines
        const std::string csv = sweep_csv(run_cycle(engine));
        for (const char* charge : {"united", "main", "auxiliary"}) {
            SCOPED_TRACE(charge);
            const std::string column =
                std::string(charge == std::string("auxiliary") ? "aux" : charge) + "_pressure";
            const std::map<int, double> drawn = by_step(charts[0], QString::fromLatin1(charge));
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
            EXPECT_EQ(drawn, by_step(charts[1], QString::fromLatin1(charge)));
        }
        // The angles the lines are drawn at are the CSV's.
        const std::map<int, double> angles = csv_column(csv, "angle_atdc");
        for (const ViewLine& line : charts[0].lines) {
            for (std::size_t i = 0; i < line.points.size(); i += 997) {
                EXPECT_EQ(line.points[i].x(), angles.at(line.steps[i]));
            }
        }
    }
}

// On log p-log V a compression of a fixed charge is a straight line of slope -gamma.
TEST_F(CycleViews, TheCompressionLineHasTheSlopeMinusGamma) {
    for (const double gamma : {1.4, 1.3}) {
        SCOPED_TRACE(gamma);
        EngineParameters engine;
        engine.gamma = gamma;
        const CycleSeries series = cycle_series(run_cycle(engine));
        const std::vector<ViewChart> charts = view_charts(CycleView::log_pv, series, nullptr);
        ASSERT_EQ(charts.size(), 1u);
        EXPECT_TRUE(charts[0].log_x && charts[0].log_y);
        const ViewLine& compression = charts[0].lines.front();  // the united charge from BDC
        ASSERT_EQ(compression.name, QStringLiteral("united"));
        ASSERT_EQ(compression.steps.front(), 0);
        ASSERT_GT(compression.points.size(), 1000u);
        const auto slope = [&](std::size_t a, std::size_t b) {
            const QPointF p = compression.points[a], q = compression.points[b];
            return (std::log(q.y()) - std::log(p.y())) / (std::log(q.x()) - std::log(p.x()));
        };
        const std::size_t last = compression.points.size() - 1;
        EXPECT_NEAR(slope(0, last), -gamma, 1e-9);
        EXPECT_NEAR(slope(0, last / 2), -gamma, 1e-9);
        EXPECT_NEAR(slope(last / 2, last), -gamma, 1e-9);
    }
}

// The heat-release rate, summed over each step's angle, is the summary's heat release; the
// burned fraction reaches a tenth, a half and nine tenths at CA10, CA50 and CA90.
TEST_F(CycleViews, TheHeatReleaseIntegratesToTheSummaryAndMarksItsPhasing) {
    for (const EngineParameters& engine : {EngineParameters{}, predictive()}) {
        SCOPED_TRACE(std::string(engine.model));
        const CycleSeries series = cycle_series(run_cycle(engine));
        const CycleAnalysis& a = series.analysis;
        double released = 0;
        for (const ChargeSeries* charge : {&series.united, &series.main, &series.aux}) {
            for (std::size_t i = 1; i < series.angle_deg.size(); ++i) {
                const double rate = charge->heat_release_rate[i];
                if (!std::isnan(rate))
                    released += rate * (series.angle_deg[i] - series.angle_deg[i - 1]);
            }
        }
        EXPECT_NEAR(released, a.heat_release, 1e-9 * a.heat_release);

        const std::vector<BuiltChart> built =
            make_view(CycleView::heat_release, series, nullptr, {.pixels = QSizeF(1600, 1000)});
        ASSERT_EQ(built.size(), 2u);
        const std::pair<const char*, double> phasing[] = {
            {"CA10", a.ca10_deg}, {"CA50", a.ca50_deg}, {"CA90", a.ca90_deg}};
        for (const auto& [name, angle] : phasing) {
            SCOPED_TRACE(name);
            const auto marker = std::find_if(
                built[1].series.begin(), built[1].series.end(), [&](const QAbstractSeries* s) {
                    return s->name().startsWith(QString::fromLatin1(name) + QLatin1Char(' '));
                });
            ASSERT_NE(marker, built[1].series.end());
            // Named as the summary prints it, and drawn at the angle itself.
            EXPECT_EQ(
                (*marker)->name(),
                QStringLiteral("%1 %2\u00b0").arg(QString::fromLatin1(name)).arg(angle, 0, 'f', 2));
            EXPECT_EQ(static_cast<const QLineSeries*>(*marker)->at(0).x(), angle);
        }
        const auto fraction_at = [&](double angle) {
            const auto after =
                std::lower_bound(series.angle_deg.begin(), series.angle_deg.end(), angle);
            return series
                .burned_fraction[static_cast<std::size_t>(after - series.angle_deg.begin())];
        };
        EXPECT_NEAR(fraction_at(a.ca10_deg), 0.1, 0.01);
        EXPECT_NEAR(fraction_at(a.ca50_deg), 0.5, 0.01);
        EXPECT_NEAR(fraction_at(a.ca90_deg), 0.9, 0.01);
        EXPECT_NEAR(series.burned_fraction.back(), 1, 1e-12);
    }
}

// Compared with itself, an engine's baseline lines are its own, dashed beneath.
TEST_F(CycleViews, ABaselineIsDrawnDashedBeneathAndOfItselfIsTheSame) {
    for (const CycleView view : all_views) {
        SCOPED_TRACE(std::string(view_name(view)));
        const std::vector<ViewChart> alone = view_charts(view, original, nullptr);
        const std::vector<ViewChart> both = view_charts(view, original, &original);
        ASSERT_EQ(both.size(), alone.size());
        for (std::size_t c = 0; c < both.size(); ++c) {
            const std::vector<ViewLine>& lines = both[c].lines;
            ASSERT_EQ(lines.size(), 2 * alone[c].lines.size());
            const std::size_t half = alone[c].lines.size();
            for (std::size_t i = 0; i < half; ++i) {
                EXPECT_TRUE(lines[i].baseline);  // first, so the current is drawn over it
                EXPECT_EQ(lines[i].dash, Qt::DashLine);
                EXPECT_FALSE(lines[half + i].baseline);
                EXPECT_EQ(lines[i].points, lines[half + i].points);
            }
        }
    }
}

// Thinning keeps a point for each pixel a line passes and never moves one; the hover and the
// tests read the data, never the thinned points.
TEST_F(CycleViews, ThinningKeepsTheDataPointsOfDistinctPixels) {
    const std::vector<ViewChart> charts =
        view_charts(CycleView::temperature_angle, original, nullptr);
    const ViewLine& line = charts[0].lines[0];
    const std::vector<QPointF> kept =
        thinned(line.points, QSizeF(400, 300), {-180, 180}, {0, 2500}, false, false);
    EXPECT_LT(kept.size(), line.points.size() / 4);
    EXPECT_GT(kept.size(), 200u);
    EXPECT_EQ(kept.front(), line.points.front());
    EXPECT_EQ(kept.back(), line.points.back());
    std::size_t from = 0;
    for (const QPointF& p : kept) {
        const auto found =
            std::find(line.points.begin() + static_cast<long>(from), line.points.end(), p);
        ASSERT_NE(found, line.points.end());
        from = static_cast<std::size_t>(found - line.points.begin());
    }
}

// The SVG draws each line through every point of its data, not through pixel steps.
TEST_F(CycleViews, TheSvgHoldsEveryPointAndThePngItsSize) {
    const std::string svg = render_view(CycleView::pressure_angle, original, nullptr,
                                        QSize(1200, 800), PlotFormat::svg);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Pressure against crank angle"), std::string::npos);
    // The united compression alone is thousands of points: coordinates outnumber them.
    EXPECT_GT(std::count(svg.begin(), svg.end(), ','), 18001);
    const std::string png =
        render_view(CycleView::log_pv, original, &original, QSize(900, 600), PlotFormat::png);
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(image.size(), QSize(900, 600));
}

TEST_F(CycleViews, ViewsAreNamedAsTheCommandLineNamesThem) {
    for (const CycleView view : all_views) EXPECT_EQ(view_named(view_name(view)), view);
    EXPECT_EQ(view_named("pressure"), std::nullopt);
    EXPECT_EQ(view_named(""), std::nullopt);
}

}  // namespace
}  // namespace hcci
