// SPDX-License-Identifier: MIT
#include "qt/plot/cycle_views.h"

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "core/model/cycle_series.h"
#include "qt/plot/chart_legend.h"
#include "qt/plot/plot_text.h"
#include "qt/plot/point_labels.h"
#include "qt/plot/view_widget.h"
#include "qt_application.h"

// The views' data, not their pictures: what each line holds against the sweep's own numbers.

namespace hcci {
namespace {

class CycleViews : public QtApplicationSuite {
protected:
    static EngineParameters predictive() { return *model_defaults("predictive"); }
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

// A picture's line keeps the points that show: within a tenth of a pixel of the line drawn, and
// cut where it leaves the plot.
TEST_F(CycleViews, VectorLinesKeepWhatShowsAndStopAtTheFrame) {
    const struct {
        const char* name;
        std::vector<PlotPoint> points;
        std::vector<PlotPoint> kept;
    } rows[] = {
        // 100 px over 100 units: a unit is a pixel.
        {"a straight line", {{0, 0}, {10, 10}, {20, 20}, {30, 30}}, {{0, 0}, {30, 30}}},
        {"a bend of a fifth of a pixel",
         {{0, 0}, {50, 0.2}, {100, 0}},
         {{0, 0}, {50, 0.2}, {100, 0}}},
        {"a bend of a twentieth", {{0, 0}, {50, 0.05}, {100, 0}}, {{0, 0}, {100, 0}}},
        {"a corner", {{0, 0}, {50, 0}, {50, 50}, {50, 100}}, {{0, 0}, {50, 0}, {50, 100}}},
        {"two points", {{0, 0}, {1, 1}}, {{0, 0}, {1, 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(simplified(row.points, QSizeF(100, 100), {0, 100}, {0, 100}, false, false, 0.1),
                  row.kept);
    }
    const struct {
        const char* name;
        std::vector<PlotPoint> points;
        std::vector<PlotPoint> kept;
    } cuts[] = {
        {"within", {{-10, 1}, {10, 2}}, {{-10, 1}, {10, 2}}},
        {"through both ends",
         {{-40, 0}, {-20, 2}, {20, 6}, {40, 8}},
         {{-30, 1}, {-20, 2}, {20, 6}, {30, 7}}},
        {"outside", {{40, 0}, {50, 1}}, {}},
        {"out and back", {{0, 0}, {40, 10}, {20, 20}}, {{0, 0}, {30, 7.5}, {30, 15}, {20, 20}}},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.name);
        EXPECT_EQ(clipped_to_x(cut.points, {-30, 30}), cut.kept);
    }
    // A whole trace: far fewer points, none dropped that lies off the line drawn by a tenth of
    // a pixel.
    const std::vector<ViewChart> charts =
        view_charts(*view_named("temperature-angle"), original, nullptr);
    const ViewLine& line = charts[0].lines[0];
    const QSizeF pixels(1500, 900);
    const std::vector<PlotPoint> kept =
        simplified(line.points, pixels, {-180, 180}, {0, 2500}, false, false, 0.1);
    EXPECT_LT(kept.size(), line.points.size() / 10);
    const auto px = [&](const PlotPoint& p) {
        return QPointF((p.x + 180) / 360 * pixels.width(), p.y / 2500 * pixels.height());
    };
    std::size_t segment = 0;
    for (const PlotPoint& p : line.points) {
        while (segment + 1 < kept.size() && kept[segment + 1].x < p.x) ++segment;
        if (segment + 1 >= kept.size()) break;
        const QPointF a = px(kept[segment]), b = px(kept[segment + 1]), q = px(p);
        const QPointF chord = b - a, d = q - a;
        const double off =
            std::abs(chord.x() * d.y() - chord.y() * d.x()) / std::hypot(chord.x(), chord.y());
        ASSERT_LE(off, 0.1 + 1e-9) << "at " << p.x;
    }
}

// What a picture draws of every view lies in its chart's ranges: nothing crosses the frame
// into the axes, the legend or the other chart (an SVG does not clip).
TEST_F(CycleViews, EverySeriesOfAPictureLiesWithinItsFrame) {
    const CycleSeries predicted = cycle_series(run_cycle(predictive()));
    for (const CycleView* view : cycle_views()) {
        SCOPED_TRACE(std::string(view->name));
        const std::vector<BuiltChart> charts = make_view(
            *view, predicted, &original, {.pixels = QSizeF(1600, 1000), .every_point = true});
        for (const BuiltChart& built : charts) {
            const auto [x0, x1] = range_of(built.chart->axes(Qt::Horizontal).front());
            const auto [y0, y1] = range_of(built.chart->axes(Qt::Vertical).front());
            const auto inside = [&](const QList<QPointF>& points) {
                for (const QPointF& p : points) {
                    // Within a thousandth of the range: a rounding's trace below zero is no
                    // pixel outside.
                    const double dx = 1e-3 * (x1 - x0), dy = 1e-3 * (y1 - y0);
                    if (!(p.x() >= x0 - dx && p.x() <= x1 + dx && p.y() >= y0 - dy &&
                          p.y() <= y1 + dy)) {
                        ADD_FAILURE() << "(" << p.x() << ", " << p.y() << ")";
                        return false;
                    }
                }
                return true;
            };
            for (const QAbstractSeries* series : built.series) {
                SCOPED_TRACE(series->name().toStdString() + " in x " + std::to_string(x0) + ".." +
                             std::to_string(x1) + ", y " + std::to_string(y0) + ".." +
                             std::to_string(y1));
                if (const auto* area = qobject_cast<const QAreaSeries*>(series)) {
                    EXPECT_TRUE(inside(area->upperSeries()->points()));
                    EXPECT_TRUE(inside(area->lowerSeries()->points()));
                } else {
                    EXPECT_TRUE(inside(static_cast<const QXYSeries*>(series)->points()));
                }
            }
        }
    }
}

// An SVG of a view weighs under a megabyte and, rasterised, is the PNG: the same lines in the
// same frames, only their edges' smoothing differs.
TEST_F(CycleViews, AnSvgIsSmallAndRasterisesToThePng) {
    const CycleSeries predicted = cycle_series(run_cycle(predictive()));
    const QSize size(1600, 1000);
    for (const CycleView* view : cycle_views()) {
        for (const CycleSeries* baseline : {static_cast<const CycleSeries*>(nullptr), &original}) {
            SCOPED_TRACE(std::string(view->name) + (baseline ? " compared" : ""));
            const std::string svg = render_view(*view, predicted, baseline, size, PlotFormat::svg);
            EXPECT_LT(svg.size(), 1'000'000u);
            const std::string png = render_view(*view, predicted, baseline, size, PlotFormat::png);
            QSvgRenderer renderer(QByteArray::fromStdString(svg));
            ASSERT_TRUE(renderer.isValid());
            QImage drawn(size, QImage::Format_RGB32);
            drawn.fill(Qt::white);
            QPainter painter(&drawn);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
            painter.end();
            const QImage expected = QImage::fromData(QByteArray::fromStdString(png), "PNG")
                                        .convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(expected.size(), size);
            // A pixel that differs by more than a quarter of its range is a line where the other
            // has none; outside the traces' edges there is none such (a percent of the pixels
            // allows for the edges of the predictive model's steep, dense traces).
            long far_off = 0;
            for (int y = 0; y < size.height(); ++y) {
                const auto* a = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
                const auto* b = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
                for (int x = 0; x < size.width(); ++x) {
                    const int d = std::max({std::abs(qRed(a[x]) - qRed(b[x])),
                                            std::abs(qGreen(a[x]) - qGreen(b[x])),
                                            std::abs(qBlue(a[x]) - qBlue(b[x]))});
                    if (d > 64) ++far_off;
                }
            }
            EXPECT_LT(far_off, size.width() * size.height() / 100) << far_off;
        }
    }
}

// A title names the view, the model and the conditions; a comparison's legend both engines.
TEST_F(CycleViews, TitlesAndLegendsNameTheEngines) {
    const std::string svg =
        render_view(*view_named("pressure-angle"), cycle_series(run_cycle(predictive())), &original,
                    QSize(1200, 800), PlotFormat::svg, {"hot.toml", "the defaults"});
    for (const char* said :
         {"Pressure against crank angle", "predictive model, 1200 rpm", "\u03c6 0.3, intake 400 K",
          "solid: hot.toml", "dashed: the defaults"}) {
        EXPECT_NE(svg.find(said), std::string::npos) << said;
    }
    EXPECT_EQ(svg.find("baseline (dashed)"), std::string::npos);
}

// A peak is labelled where the charge's own trace has it, never where a chamber's trace begins
// (its value there is the united charge's at the division).
TEST_F(CycleViews, PeaksAreLabelledOnlyWhereTheirTraceHasThem) {
    for (const EngineParameters& engine : {EngineParameters{}, predictive()}) {
        SCOPED_TRACE(std::string(engine.model));
        const CycleSeries series = cycle_series(run_cycle(engine));
        for (const char* name : {"pressure-angle", "temperature-angle"}) {
            SCOPED_TRACE(name);
            const bool pressure = std::string(name) == "pressure-angle";
            const std::vector<BuiltChart> charts =
                make_view(*view_named(name), series, nullptr, {.pixels = QSizeF(1600, 1000)});
            const auto peaks = std::find_if(
                charts[0].series.begin(), charts[0].series.end(),
                [](const QAbstractSeries* s) { return s->name() == QStringLiteral("peaks"); });
            ASSERT_NE(peaks, charts[0].series.end());
            for (const QPointF& p : static_cast<const QScatterSeries*>(*peaks)->points()) {
                for (const DivisionAngles& division : series.divisions) {
                    EXPECT_NE(p.x(), division.from_deg) << "a peak at a division's start";
                }
                // The largest value of some charge's trace, read as the summary rounds it (a
                // chamber's over the first division where the model's chamber peaks are those).
                const DivisionAngles& first = series.divisions.front();
                bool a_maximum = false;
                for (const ChargeSeries* charge : {&series.united, &series.main, &series.aux}) {
                    const std::vector<double>& v =
                        pressure ? charge->pressure : charge->temperature;
                    const bool first_only =
                        charge != &series.united && series.analysis.chamber_peaks_in_first_division;
                    double largest = -INFINITY;
                    for (std::size_t i = 0; i < v.size(); ++i) {
                        const double angle = series.angle_deg[i];
                        if (first_only && (angle < first.from_deg || angle > first.to_deg))
                            continue;
                        if (std::isfinite(v[i])) largest = std::max(largest, v[i]);
                    }
                    a_maximum = a_maximum || std::abs(largest - p.y()) <= 0.05;
                }
                EXPECT_TRUE(a_maximum) << p.y();
            }
        }
    }
}

// CA10, CA50 and CA90 each have a dash of their own, none the ignitions' dots.
TEST_F(CycleViews, ThePhasingLinesAreToldApart) {
    const std::vector<BuiltChart> charts =
        make_view(*view_named("heat-release"), cycle_series(run_cycle(predictive())), nullptr,
                  {.pixels = QSizeF(1600, 1000)});
    std::vector<Qt::PenStyle> dashes;
    for (const QAbstractSeries* s : charts[1].series) {
        if (s->name().startsWith(QStringLiteral("CA"))) {
            dashes.push_back(static_cast<const QLineSeries*>(s)->pen().style());
        }
    }
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_NE(dashes[0], dashes[1]);
    EXPECT_NE(dashes[1], dashes[2]);
    EXPECT_NE(dashes[0], dashes[2]);
    EXPECT_EQ(std::count(dashes.begin(), dashes.end(), Qt::DotLine), 0);
}

// log p against log V: volumes in litres for the engine of a litre displaced (the stroke's 100
// height units), the axes fitted to the data rather than to whole decades.
TEST_F(CycleViews, LogPvIsInLitresWithAxesFittedToTheData) {
    const std::vector<BuiltChart> charts =
        make_view(*view_named("log-pv"), original, nullptr, {.pixels = QSizeF(1600, 1000)});
    double smallest = INFINITY, largest = 0;
    for (const ChargeSeries* charge : {&original.united, &original.main, &original.aux}) {
        for (const double v : charge->volume) {
            if (std::isfinite(v) && v > 0) {
                smallest = std::min(smallest, v / 100);
                largest = std::max(largest, v / 100);
            }
        }
    }
    const auto [x0, x1] = range_of(charts[0].chart->axes(Qt::Horizontal).front());
    EXPECT_LE(x0, smallest);
    EXPECT_GE(x1, largest);
    // Within a quarter of a decade of the data, either side.
    EXPECT_LT(std::log10(smallest) - std::log10(x0), 0.25);
    EXPECT_LT(std::log10(x1) - std::log10(largest), 0.25);
    EXPECT_NE(charts[0].layout.x_title.find("litres"), std::string::npos);
}

// A legend is drawn whole at the explorer's sizes: the view in a window of a 1366 x 768 and of a
// 1920 x 1200 screen, all of it or the part beside the picture and the panel. Every entry that
// its chart names is drawn with its whole text, in the room the text takes, inside the chart
// beneath its plot, none over another; a comparison's legend, the longest, included.
TEST_F(CycleViews, LegendsAreDrawnWholeAtTheExplorersSizes) {
    const auto predicted =
        std::make_shared<const CycleSeries>(cycle_series(run_cycle(predictive())));
    const auto baseline = std::make_shared<const CycleSeries>(original);
    const QFontMetricsF metrics(font_of(12));
    const QSize sizes[] = {{1366, 768}, {1920, 1200}, {560, 700}, {900, 1100}};
    for (const CycleView* view : cycle_views()) {
        for (const QSize size : sizes) {
            SCOPED_TRACE(std::string(view->name) + " at " + std::to_string(size.width()) + "x" +
                         std::to_string(size.height()));
            CycleViewWidget widget(*view);
            widget.set_engine_names(QStringLiteral("a long engine file name.toml"),
                                    QStringLiteral("the defaults"));
            widget.resize(size);
            widget.show();
            widget.show_cycle(predicted, baseline);
            QCoreApplication::processEvents();
            for (std::size_t i = 0; i < widget.charts().size(); ++i) {
                const QChart& chart = *widget.chart_view(i)->chart();
                QStringList named;
                for (const QAbstractSeries* series : chart.series()) {
                    if (in_legend(*series) && !series->name().isEmpty()) named << series->name();
                }
                const std::vector<LegendEntryDrawn> drawn = drawn_legend(chart);
                QStringList texts;
                for (const LegendEntryDrawn& entry : drawn) texts << entry.text;
                EXPECT_EQ(texts, named);
                EXPECT_TRUE(named.contains(QStringLiteral("solid: a long engine file name.toml")));
                EXPECT_TRUE(named.contains(QStringLiteral("dashed: the defaults")));
                const QRectF inside(QPointF(0, 0), chart.size());
                for (std::size_t e = 0; e < drawn.size(); ++e) {
                    const LegendEntryDrawn& entry = drawn[e];
                    SCOPED_TRACE(entry.text.toStdString());
                    EXPECT_GE(entry.text_width, metrics.horizontalAdvance(entry.text));
                    EXPECT_TRUE(inside.contains(entry.box));
                    EXPECT_GE(entry.box.top(), chart.plotArea().bottom());
                    for (std::size_t f = e + 1; f < drawn.size(); ++f) {
                        EXPECT_FALSE(entry.box.intersects(drawn[f].box))
                            << drawn[f].text.toStdString();
                    }
                }
                // The peaks' values, none printed over another.
                const std::vector<PointLabelDrawn> labels = drawn_point_labels(chart);
                if (i == 0 && view->name.ends_with("-angle")) {
                    EXPECT_FALSE(labels.empty());
                }
                for (std::size_t a = 0; a < labels.size(); ++a) {
                    for (std::size_t b = a + 1; b < labels.size(); ++b) {
                        EXPECT_FALSE(labels[a].box.intersects(labels[b].box))
                            << labels[a].text.toStdString() << " over "
                            << labels[b].text.toStdString();
                    }
                }
            }
        }
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

// A PNG is the size asked for.
TEST_F(CycleViews, ThePngIsItsSize) {
    const std::string png =
        render_view(*view_named("log-pv"), original, &original, QSize(900, 600), PlotFormat::png);
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(image.size(), QSize(900, 600));
}

}  // namespace
}  // namespace hcci

namespace hcci {
namespace {

// A measured trace a flat 100 bar from -150 to 170 degrees, far above the model's trace but
// near top dead centre; its volume grows over it, so that it releases heat.
MeasuredSeries flat_trace() {
    MeasuredSeries m;
    m.name = "bench.csv";
    for (int angle = -150; angle <= 170; ++angle) {
        m.trace.angle_deg.push_back(angle);
        m.trace.pressure_bar.push_back(100);
    }
    analyse_measured(m.trace, {}, &m.points);
    return m;
}

// Black and dark grey pixels: the measured trace's, the text's and the peaks' marks.
long dark_pixels(const std::string& png) {
    const QImage image = QImage::fromData(QByteArray::fromStdString(png), "PNG")
                             .convertToFormat(QImage::Format_RGB32);
    long black = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            black += std::max({qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) < 80 ? 1 : 0;
        }
    }
    return black;
}

// A measured trace is drawn in black beneath the model on the views of pressure and heat
// release, named by its file in the legend; the temperature view has none.
TEST_F(CycleViews, AMeasuredTraceIsDrawnInBlackBeneathTheModel) {
    const MeasuredSeries measured = flat_trace();
    for (const CycleView* view : cycle_views()) {
        SCOPED_TRACE(std::string(view->name));
        const bool drawn = view->name != "temperature-angle";
        const std::string png = render_view(*view, original, nullptr, QSize(1600, 1000),
                                            PlotFormat::png, {}, &measured);
        const std::string without =
            render_view(*view, original, nullptr, QSize(1600, 1000), PlotFormat::png);
        // The line of 320 degrees is a thousand pixels long or more, two wide, on every chart.
        const long more = dark_pixels(png) - dark_pixels(without);
        if (drawn) {
            EXPECT_GT(more, 1000) << more;
        } else {
            EXPECT_EQ(more, 0);
        }
        if (!drawn) continue;
        const LinesBeneath beneath = view->measured(measured, original);
        const std::vector<BuiltChart> charts =
            make_view(*view, original, nullptr, {.pixels = QSizeF(1600, 1000)}, &beneath);
        for (const BuiltChart& built : charts) {
            ASSERT_FALSE(built.layout.lines.empty());
            const ViewLine& first = built.layout.lines.front();
            EXPECT_EQ(first.name, "bench.csv");
            EXPECT_EQ(first.colour, (Rgb{0, 0, 0}));
            // Drawn before the model's lines, beneath them.
            const auto series = built.chart->series();
            const auto index = [&](const QAbstractSeries* s) {
                return std::find(series.begin(), series.end(), s) - series.begin();
            };
            for (std::size_t i = 1; i < built.lines.size(); ++i) {
                EXPECT_LT(index(built.lines.front()), index(built.lines[i]));
            }
            EXPECT_EQ(built.lines.front()->pen().color(), QColor(Qt::black));
        }
    }
}

}  // namespace
}  // namespace hcci
