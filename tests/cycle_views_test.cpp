// SPDX-License-Identifier: MIT
#include "qt/plot/cycle_views.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <string>

#include "core/model/cycle_series.h"
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
            make_view(*view_named("heat-release"), series, nullptr, {.pixels = QSizeF(1600, 1000)});
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

// Thinning keeps a point for each pixel a line passes and never moves one; the hover and the
// tests read the data, never the thinned points.
TEST_F(CycleViews, ThinningKeepsTheDataPointsOfDistinctPixels) {
    const std::vector<ViewChart> charts =
        view_charts(*view_named("temperature-angle"), original, nullptr);
    const ViewLine& line = charts[0].lines[0];
    const std::vector<PlotPoint> kept =
        thinned(line.points, QSizeF(400, 300), {-180, 180}, {0, 2500}, false, false);
    EXPECT_LT(kept.size(), line.points.size() / 4);
    EXPECT_GT(kept.size(), 200u);
    EXPECT_EQ(kept.front(), line.points.front());
    EXPECT_EQ(kept.back(), line.points.back());
    std::size_t from = 0;
    for (const PlotPoint& p : kept) {
        const auto found =
            std::find(line.points.begin() + static_cast<long>(from), line.points.end(), p);
        ASSERT_NE(found, line.points.end());
        from = static_cast<std::size_t>(found - line.points.begin());
    }
}

// On screen, the thinned points are straightened further: a subset of them, in order, its ends
// the same, and far fewer where the line runs smooth; a file's thinning is left as it was.
TEST_F(CycleViews, StraighteningKeepsFewerOfTheThinnedPoints) {
    const std::vector<ViewChart> charts =
        view_charts(*view_named("pressure-angle"), original, nullptr);
    const ViewLine& line = charts[0].lines[0];
    const QSizeF pixels(400, 300);
    const std::vector<PlotPoint> all =
        thinned(line.points, pixels, {-180, 180}, {0, 100}, false, false);
    EXPECT_EQ(thinned(line.points, pixels, {-180, 180}, {0, 100}, false, false, 0), all);
    const std::vector<PlotPoint> bent =
        thinned(line.points, pixels, {-180, 180}, {0, 100}, false, false, 0.1);
    EXPECT_LT(bent.size(), all.size() / 2);
    EXPECT_GT(bent.size(), 10u);
    EXPECT_EQ(bent.front(), all.front());
    EXPECT_EQ(bent.back(), all.back());
    EXPECT_TRUE(std::includes(all.begin(), all.end(), bent.begin(), bent.end(),
                              [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }));
}

// The SVG draws each line through every point of its data, not through pixel steps.
TEST_F(CycleViews, TheSvgHoldsEveryPointAndThePngItsSize) {
    const std::string svg = render_view(*view_named("pressure-angle"), original, nullptr,
                                        QSize(1200, 800), PlotFormat::svg);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Pressure against crank angle"), std::string::npos);
    // The united compression alone is thousands of points: coordinates outnumber them.
    EXPECT_GT(std::count(svg.begin(), svg.end(), ','), 18001);
    const std::string png =
        render_view(*view_named("log-pv"), original, &original, QSize(900, 600), PlotFormat::png);
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(image.size(), QSize(900, 600));
}

}  // namespace
}  // namespace hcci
