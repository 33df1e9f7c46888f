// SPDX-License-Identifier: MIT
#include "qt/picture/svg_surface.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/picture.h"
#include "qt_application.h"

// The vector picture against the image surface's pixels, rasterised by Qt's own renderer.

namespace hcci {
namespace {

class SvgPicture : public QtApplicationSuite {};

QImage rasterised(int step) {
    const std::string svg = render_svg(step, false);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    EXPECT_TRUE(renderer.isValid());
    QImage image(client_width, client_height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

int row_of(double y) {
    return static_cast<int>(std::floor(pixel_y(static_cast<float>(y))));
}

TEST_F(SvgPicture, CoversThePixelsOfThePictureButForTheSlantedLinesEdges) {
    for (const int step : {0, 8400, 9000, 18000}) {
        SCOPED_TRACE(step);
        const QImage vector = rasterised(step);
        const QImage pixels = render_picture(step, false);
        int different = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x)
                different += vector.pixel(x, y) != pixels.pixel(x, y);
        }
        // Level and upright lines and boxes land on whole pixels; slanted segments may differ by
        // a pixel at their sides.
        EXPECT_LT(different, 400);
    }
}

// The erasing strokes are in the picture where they change it: the disc's top and bottom edge
// rows turn white as the recess passes over them, and stay black before it does.
TEST_F(SvgPicture, KeepsTheErasingOfTheDiscsEdges) {
    const int disc_column = static_cast<int>(pixel_x(9.4f));
    const QImage before = rasterised(7000);
    const QImage after = rasterised(18000);
    for (const double edge : {-62.5, 62.5}) {
        SCOPED_TRACE(edge);
        EXPECT_EQ(before.pixel(disc_column, row_of(edge)), qRgb(0, 0, 0));
        EXPECT_EQ(after.pixel(disc_column, row_of(edge)), qRgb(255, 255, 255));
        EXPECT_EQ(after.pixel(disc_column, row_of(edge / 2)), qRgb(0, 0, 0));
    }
}

// A sweep's thousands of calls become a picture of what it shows: each trace one path a phase,
// the outlines that were erased left out.
TEST_F(SvgPicture, StaysTheSizeOfWhatItShows) {
    SvgSurface surface;
    RunControl run;
    CycleDriver driver(surface, run);
    while (driver.advance() == Advance::stepped) {
    }
    // Against 18001 steps of 2 to 4 segments and 34 outline shapes: the background's 54, about
    // twenty trace paths, the last outline's 17 and the disc's erased edges.
    EXPECT_LT(surface.path_count(), 200u);
}

}  // namespace
}  // namespace hcci
