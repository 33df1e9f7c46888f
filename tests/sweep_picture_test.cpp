// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/draw/diagram_grid.h"
#include "core/draw/engine_outline.h"
#include "core/draw/logical_mapping.h"
#include "core/draw/moving_parts.h"
#include "core/draw/trace_segments.h"
#include "core/model/cycle_record.h"
#include "qt/picture/image_surface.h"

// A whole sweep drawn by the driver, checked against the picture it should leave: the static
// background, every trace segment and the crown at its final place, with nothing of the
// 18000 erased outlines left behind.

namespace hcci {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

void draw_background(DrawingSurface& s, const EngineGeometry& g) {
    draw_diagram_grid(s, g);
    draw_engine_outline(s, g);
    draw_diagram_axes(s, g);
}

struct Pictures {
    QImage swept;       // what the driver drew over one sweep
    QImage expected;    // background + all trace segments + the final outline
    QImage background;  // grid, outline and axes only
    QImage crown_path;  // every outline of the sweep, black on white
};

Pictures make_pictures() {
    Pictures p;
    const EngineGeometry g = make_engine_geometry();

    ImageSurface driven;
    RunControl run;
    CycleDriver driver(driven, run);
    while (driver.advance() == Advance::stepped) {
    }
    EXPECT_EQ(driver.state(), DriverState::waiting);
    EXPECT_EQ(driver.step_index(), steps_per_sweep - 1);
    p.swept = driven.image().copy();

    ImageSurface expected;
    draw_background(expected, g);
    ImageSurface path;
    const CycleRecord record = run_cycle({});
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        draw_trace_segments(expected, record, step);
        path.DrawWidth(1);
        draw_piston_outline(path, g, crown_x(g, record.piston_pos[static_cast<std::size_t>(step)]));
    }
    const double piston_pos = record.piston_pos.back();
    EXPECT_EQ(piston_pos, driver.record().piston_pos.back());
    expected.DrawWidth(1);
    expected.ForeColor(black);
    draw_piston_outline(expected, g, crown_x(g, piston_pos));
    p.expected = expected.image().copy();
    p.crown_path = path.image().copy();

    ImageSurface background;
    draw_background(background, g);
    p.background = background.image().copy();
    return p;
}

const Pictures& pictures() {
    static const Pictures p = make_pictures();
    return p;
}

int row_of(double y) {
    return static_cast<int>(std::floor(pixel_y(static_cast<float>(y))));
}

// The white pass clears whatever lies under the old outline, and nothing restores it. Of the
// static picture, the only black the crown ever crosses is the top and bottom edge of the
// partition disc (y = -62.5 and 62.5): the recess mouth walls and the ends of the shoulders run
// along them while the crown is near top dead centre, so both edge rows end up white across
// the disc's whole width. The crown face ends and ring boxes at y = -125 and 125 fall on the
// bore's own first and last pixel rows (the bore's filled box covers them in white), so the
// liner walls lose nothing.
std::vector<QPoint> known_leftovers() {
    const QImage& background = pictures().background;
    std::vector<QPoint> leftovers;
    for (double edge_y : {-62.5, 62.5}) {
        const int row = row_of(edge_y);
        // The disc spans x = 8.3333 to 10.4167; nothing else is black on these rows near it.
        for (int x = static_cast<int>(pixel_x(5)); x <= static_cast<int>(pixel_x(15)); ++x) {
            if (background.pixel(x, row) == kBlack) leftovers.emplace_back(x, row);
        }
    }
    return leftovers;
}

TEST(SweepPicture, OnlyTheDiscEdgesDifferFromTheExpectedPicture) {
    const Pictures& p = pictures();
    ASSERT_EQ(p.swept.size(), p.expected.size());
    QImage expected = p.expected;
    const std::vector<QPoint> leftovers = known_leftovers();
    // Both edge rows, each as wide as the disc is on a row of its own (y = 30).
    int disc_width = 0;
    for (int x = static_cast<int>(pixel_x(5)); x <= static_cast<int>(pixel_x(15)); ++x) {
        disc_width += p.background.pixel(x, row_of(30)) == kBlack;
    }
    EXPECT_GE(disc_width, 10);
    EXPECT_EQ(leftovers.size(), 2u * static_cast<size_t>(disc_width));
    for (const QPoint& pixel : leftovers) {
        ASSERT_EQ(expected.pixel(pixel), kBlack);
        expected.setPixel(pixel, kWhite);
    }
    int differences = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (p.swept.pixel(x, y) != expected.pixel(x, y)) {
                if (++differences <= 10) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << p.swept.pixel(x, y) << ", expected " << expected.pixel(x, y);
                }
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(SweepPicture, NoStaleBlackRemainsFromErasedOutlines) {
    const Pictures& p = pictures();
    for (int y = 0; y < p.swept.height(); ++y) {
        for (int x = 0; x < p.swept.width(); ++x) {
            if (p.swept.pixel(x, y) == kBlack) {
                ASSERT_EQ(p.expected.pixel(x, y), kBlack)
                    << "stale pixel at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(SweepPicture, CrownNeverReachesTheDiagrams) {
    const Pictures& p = pictures();
    int top = p.crown_path.height();
    int bottom = -1;
    for (int y = 0; y < p.crown_path.height(); ++y) {
        for (int x = 0; x < p.crown_path.width(); ++x) {
            if (p.crown_path.pixel(x, y) != kWhite) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    // Traces are drawn at |y| >= 145 with pen width 2, so they reach one pixel towards the
    // engine; the crown stays within the bore's rows.
    EXPECT_GE(top, row_of(-125) - 1);
    EXPECT_LE(bottom, row_of(125) + 1);
    EXPECT_LT(bottom, row_of(145) - 1);
    EXPECT_GT(top, row_of(-145) + 1);
    // And every trace pixel of the expected picture survives the sweep.
    for (int y = 0; y < p.expected.height(); ++y) {
        for (int x = 0; x < p.expected.width(); ++x) {
            const QRgb c = p.expected.pixel(x, y);
            if (c == qRgb(0, 0, 255) || c == qRgb(0, 192, 0) || c == qRgb(255, 0, 0)) {
                ASSERT_EQ(p.swept.pixel(x, y), c) << "trace pixel at (" << x << ", " << y << ")";
            }
        }
    }
}

}  // namespace
}  // namespace hcci
