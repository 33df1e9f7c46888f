// SPDX-License-Identifier: MIT
// The exported picture, checked at known places of the drawing.

#include "qt/picture/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "apps/window/form1.h"
#include "core/draw/logical_mapping.h"
#include "core/draw/trace_segments.h"
#include "model_sweep.h"
#include "qt_application.h"
#include "text_lines.h"

namespace hcci {
namespace {

constexpr QRgb silver_rgb = 0xC0C0C0;
constexpr QRgb dark_red_rgb = 0x800000;
constexpr QRgb black_rgb = 0x000000;
constexpr QRgb white_rgb = 0xFFFFFF;
constexpr QRgb blue_rgb = 0x0000FF;
constexpr QRgb green_rgb = 0x00C000;
constexpr QRgb red_rgb = 0xFF0000;

// Whether the colour lies within a pixel of the logical point (line ends fall on whole pixels).
bool colour_near(const QImage& image, double x, double y, QRgb rgb) {
    const int px = static_cast<int>(pixel_x(static_cast<float>(x)));
    const int py = static_cast<int>(pixel_y(static_cast<float>(y)));
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.valid(px + dx, py + dy) &&
                (image.pixel(px + dx, py + dy) & 0xFFFFFF) == rgb) {
                return true;
            }
        }
    }
    return false;
}

class PngExport : public QtApplicationSuite {};
class Picture : public QtApplicationSuite {};

TEST_F(PngExport, PictureOfTheLastStepShowsEveryPartWhereItBelongs) {
    const QImage image = render_picture(18000, false);
    ASSERT_EQ(image.size(), QSize(client_width, client_height));
    const EngineGeometry g = make_engine_geometry();
    const std::vector<SweepStep> sweep = run_model_sweep();
    const CombustionModel& expansion = sweep[13500].model;
    const CombustionModel& division = sweep[8400].model;

    const struct {
        const char* what;
        double x, y;
        QRgb rgb;
    } places[] = {
        {"silver 1000 K grid line", 60, temperature_y(g, 1000), silver_rgb},
        {"silver 100 bar grid line", 20, pressure_y(g, 100), silver_rgb},
        {"dark red pressure axis", -g.total_clearance, -250, dark_red_rgb},
        {"dark red temperature axis", -g.total_clearance, 250, dark_red_rgb},
        {"black liner wall", 50, 128, black_rgb},
        {"black cylinder head", -2.6, 50, black_rgb},
        {"black partition disc", 9.4, 40, black_rgb},
        {"white bore", 30, 100, white_rgb},
        {"blue expansion pressure", expansion.piston_pos - g.total_clearance,
         pressure_y(g, expansion.united_pressure), blue_rgb},
        {"blue expansion temperature", expansion.piston_pos - g.total_clearance,
         temperature_y(g, expansion.united_temperature), blue_rgb},
        {"green main pressure", division.piston_pos - g.total_clearance,
         pressure_y(g, division.main_pressure), green_rgb},
        {"red auxiliary pressure", division.piston_pos - g.total_clearance,
         pressure_y(g, division.aux_pressure), red_rgb},
        {"red auxiliary temperature", division.piston_pos - g.total_clearance,
         temperature_y(g, division.aux_temperature), red_rgb},
        {"black crown face at bottom dead centre", 100, -100, black_rgb},
    };
    for (const auto& place : places) {
        EXPECT_TRUE(colour_near(image, place.x, place.y, place.rgb))
            << place.what << " at (" << place.x << ", " << place.y << ")";
    }
}

TEST_F(PngExport, AtTopDeadCentreTheCrownFaceIsAtTheHeadAndTheDiscInItsRecess) {
    const QImage image = render_picture(9000, false);
    EXPECT_TRUE(colour_near(image, 0, -100, black_rgb));     // crown face, upper
    EXPECT_TRUE(colour_near(image, 0, 100, black_rgb));      // crown face, lower
    EXPECT_TRUE(colour_near(image, 11.1111, 0, black_rgb));  // recess floor
    EXPECT_FALSE(colour_near(image, 100, -100, black_rgb));  // nothing left at bottom dead centre
    EXPECT_TRUE(colour_near(image, 50, 0, white_rgb));
}

TEST_F(PngExport, LabelsLieOverTheDrawing) {
    const QImage with = render_picture(18000, true);
    const QImage without = render_picture(18000, false);
    ASSERT_EQ(with.size(), without.size());
    // Label8, the readout, covers the middle of the bore with its red "180".
    bool readout_red = false;
    for (int y = 328; y < 328 + 33; ++y) {
        for (int x = 280; x < 280 + 57; ++x)
            readout_red |= (with.pixel(x, y) & 0xFFFFFF) == 0xC00000;
    }
    EXPECT_TRUE(readout_red);
    // Away from the labels the two pictures are the same.
    for (const QPoint p : {QPoint(100, 300), QPoint(50, 180), QPoint(300, 560)}) {
        EXPECT_EQ(with.pixel(p), without.pixel(p)) << p.x() << "," << p.y();
    }
}

// The window and the exported picture show the same client area: the window is not needed to
// make the picture, and nothing of the window is missing from it.
TEST_F(Picture, IsTheWindowsClientAreaPixelForPixel) {
    for (int step : {0, 9000, 18000}) {
        SCOPED_TRACE(step);
        Form1 form;
        for (int i = 0; i <= step; ++i) form.driver().advance();
        form.update_readout();
        const QImage window = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(render_picture(step, true), window);
    }
}

TEST_F(Picture, LegendsBreakAtTheSpaceNotAfterTheSlash) {
    const QImage image = render_picture(18000, true, 2);
    const struct {
        const char* first_line;
        QRect rect;  // at twice the client area's size
    } legends[] = {{"Pressure", {448, 32, 386, 114}}, {"Temperature", {464, 1312, 386, 98}}};
    for (const auto& legend : legends) {
        SCOPED_TRACE(legend.first_line);
        const std::vector<QRect> lines = text_lines(image, legend.rect, qRgb(255, 255, 255));
        ASSERT_EQ(lines.size(), 2u);
        QFont font("Comic Neue");
        font.setBold(true);
        font.setPixelSize(32);
        const int width = QFontMetrics(font).boundingRect(legend.first_line).width();
        EXPECT_NEAR(lines[0].width(), width, 4);
        EXPECT_GT(lines[1].width(), lines[0].width());
    }
}

// The pixels of the default engine's drawing, 3 bytes a pixel, are those the program drew before
// the engine had parameters.
TEST_F(Picture, TheDefaultEngineDrawsBitForBitTheOriginalPicture) {
    const struct {
        int step, scale;
        std::uint64_t hash;
    } pictures[] = {{9000, 1, 0xd6ee1fa0c8d92ed6u},
                    {18000, 1, 0x958bf169afd64f54u},
                    {18000, 2, 0x61cd789e3f512de7u}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(std::to_string(picture.step) + " at " + std::to_string(picture.scale));
        const QImage image = render_picture(picture.step, false, picture.scale, EngineParameters{})
                                 .convertToFormat(QImage::Format_RGB888);
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* row = image.constScanLine(y);
            for (int i = 0; i < image.width() * 3; ++i) {
                hash ^= row[i];
                hash *= 0x100000001b3u;
            }
        }
        EXPECT_EQ(hash, picture.hash);
    }
}

TEST_F(Picture, AnotherEngineDrawsAnotherCycle) {
    EngineParameters hotter;
    hotter.start_temperature = 400;
    EXPECT_NE(render_picture(9000, false, 1, hotter), render_picture(9000, false));
}

}  // namespace
}  // namespace hcci
