// SPDX-License-Identifier: MIT
#include "qt/plot/map_plot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "core/report/study_text.h"
#include "qt_application.h"

namespace hcci {
namespace {

class MapPlot : public QtApplicationSuite {};

// A 4 x 3 map of made-up figures: the left column misfires, the right one rings over the
// limit, the rest fires within it; the peak pressure rises upwards past its limit.
MapTable made_up_map() {
    MapTable table;
    table.grid = *map_grid(std::get<StudyRange>(parse_study_range("rod_length=100:250:50")),
                           std::get<StudyRange>(parse_study_range("gamma=1.3:1.4:0.05")));
    table.model = "predictive";
    table.engine = "bore_mm = 90";
    for (std::size_t j = 0; j < 3; ++j) {
        for (std::size_t i = 0; i < 4; ++i) {
            table.cells.push_back({.ca50 = 2.0 * static_cast<double>(i),
                                   .imep = 4 + static_cast<double>(j),
                                   .fuel_conversion = 0.4,
                                   .combustion = i == 0 ? 0.05 : 0.95,
                                   .ringing = i == 3 ? 20.0 : 1.0,
                                   .peak_pressure = 150.0 + 40 * static_cast<double>(j),
                                   .misfire = i == 0,
                                   .partial_burn = false});
        }
    }
    return table;
}

TEST_F(MapPlot, SixPanelsSideBySideWithinTheSlide) {
    const std::vector<QRectF> areas = map_plot_areas(map_plot_size);
    ASSERT_EQ(areas.size(), 6u);
    const QRectF slide(QPointF(0, 0), QSizeF(map_plot_size));
    for (std::size_t i = 0; i < areas.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(slide.contains(areas[i]));
        EXPECT_GT(areas[i].width(), 300);
        EXPECT_GT(areas[i].height(), 300);
        for (std::size_t k = 0; k < i; ++k) EXPECT_FALSE(areas[i].intersects(areas[k])) << k;
    }
}

// What each cell shows: misfire hatched in dark lines over its colour, the ringing limit a red
// line between the third and fourth columns, the peak pressure limit an orange one between the
// second and third rows.
TEST_F(MapPlot, TheCellsCarryTheirLimitsAndMarks) {
    const MapTable table = made_up_map();
    const std::string png = plot_map(table, {}, PlotFormat::png);
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                   static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(image.size(), map_plot_size);
    const QRectF area = map_plot_areas(map_plot_size)[1];  // IMEPg, a colour per row
    const double cell_w = area.width() / 4, cell_h = area.height() / 3;
    const auto dark_share = [&](int column, int row) {
        int dark = 0, all = 0;
        for (double y = area.bottom() - (row + 0.8) * cell_h;
             y < area.bottom() - (row + 0.2) * cell_h; y += 1) {
            for (double x = area.left() + (column + 0.2) * cell_w;
                 x < area.left() + (column + 0.8) * cell_w; x += 1) {
                ++all;
                dark += qGray(image.pixel(static_cast<int>(x), static_cast<int>(y))) < 40;
            }
        }
        return static_cast<double>(dark) / all;
    };
    EXPECT_GT(dark_share(0, 1), 0.05);  // hatched
    EXPECT_EQ(dark_share(1, 1), 0);     // a plain colour
    const auto red_near = [&](QPointF at) {
        for (int dx = -3; dx <= 3; ++dx) {
            for (int dy = -3; dy <= 3; ++dy) {
                const QColor c =
                    image.pixelColor(static_cast<int>(at.x()) + dx, static_cast<int>(at.y()) + dy);
                if (c.red() > 180 && c.green() < 60 && c.blue() < 60) return true;
            }
        }
        return false;
    };
    // Along the edge between columns 3 and 4 (dashed: one of a few places is on a dash).
    bool ringing_line = false;
    for (double y = area.top() + 10; y < area.bottom() - 10; y += 6) {
        ringing_line |= red_near({area.left() + 3 * cell_w, y});
    }
    EXPECT_TRUE(ringing_line);
    EXPECT_FALSE(red_near({area.left() + 2 * cell_w, area.center().y()}));

    const std::string svg = plot_map(table, {.ringing = 5, .peak_pressure = 200}, PlotFormat::svg);
    for (const char* text : {"Operating map of rod_length and gamma, the predictive model",
                             "engine: bore_mm = 90", "ringing limit, 5 MW/m", "IMEPg, bar",
                             "peak pressure limit, 200 bar", "the default engine"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
}

// A click on a cell of any panel is that cell's point, x fastest; between the panels, none.
TEST_F(MapPlot, APlaceOnAPanelIsThePointOfItsCell) {
    const MapTable table = made_up_map();
    const std::vector<QRectF> areas = map_plot_areas(map_plot_size);
    for (const QRectF& area : areas) {
        for (std::size_t j = 0; j < 3; ++j) {
            for (std::size_t i = 0; i < 4; ++i) {
                const QPointF centre(area.left() + (i + 0.5) * area.width() / 4,
                                     area.bottom() - (j + 0.5) * area.height() / 3);
                EXPECT_EQ(map_point_at(table, centre), j * 4 + i) << i << ", " << j;
            }
        }
        // Just inside the corners: the first point and the last.
        EXPECT_EQ(map_point_at(table, area.bottomLeft() + QPointF(1, -1)), 0u);
        EXPECT_EQ(map_point_at(table, area.topRight() + QPointF(-1, 1)), 11u);
    }
    EXPECT_FALSE(map_point_at(table, QPointF(5, 5)).has_value());  // the title
    EXPECT_FALSE(map_point_at(table, areas[0].topRight() + QPointF(40, 40)).has_value());
}

}  // namespace
}  // namespace hcci
