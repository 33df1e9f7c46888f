// SPDX-License-Identifier: MIT
#include "qt/picture/image_surface.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/draw/pixel_surface.h"

// What the image adds to the core's pixel surface (tests/pixel_surface_test.cpp): the QImage,
// its copies as pictures of a moment, QColor and QRect.

namespace hcci {
namespace {

struct Call {
    std::string name;
    LineMode mode;
    double x1, y1, x2, y2;
};

const std::vector<Call> kCalls = {
    {"horizontal", LineMode::line, 0, 0, 100, 0},
    {"vertical", LineMode::line, 50, -125, 50, -62.5},
    {"shallow", LineMode::line, 9.9406, -157.907, 1.1505, -190.3428},
    {"steep", LineMode::line, 3, 100, 4, -100},
    {"diagonal backwards", LineMode::line, 60, 40, 20, -10},
    {"off the picture", LineMode::line, -50, -400, 200, 500},
    {"box", LineMode::box, 3.3333, -125, 4.1667, -113.6364},
    {"box right corner first", LineMode::box, 10, 125, 8.4746, 113.6364},
    {"filled box", LineMode::filled_box, 10.4167, -62.5, 8.3333, 62.5},
};

bool same_pixels(const QImage& image, const PixelSurface& surface) {
    if (image.width() != surface.width() || image.height() != surface.height()) return false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] != surface.pixel(x, y)) return false;
        }
    }
    return true;
}

TEST(ImageSurface, IsAnRgb32ImageOfTheScaledClientArea) {
    struct Row {
        double scale;
        QSize size;
    };
    const Row rows[] = {{1, {616, 741}}, {1.5, {924, 1112}}, {2, {1232, 1482}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scale);
        ImageSurface surface(r.scale);
        EXPECT_EQ(surface.image().size(), r.size);
        EXPECT_EQ(surface.image().format(), QImage::Format_RGB32);
        EXPECT_EQ(surface.image().pixel(r.size.width() - 1, r.size.height() - 1),
                  qRgb(255, 255, 255));
        EXPECT_EQ(surface.scale(), r.scale);
    }
    EXPECT_THROW(ImageSurface(0), std::runtime_error);
}

TEST(ImageSurface, ColoursAreBgrAndTheSystemColourIsWhite) {
    struct Row {
        Color color;
        QColor expected;
    };
    const Row rows[] = {
        {black, QColor(0, 0, 0)},        {white, QColor(255, 255, 255)},
        {silver, QColor(192, 192, 192)}, {blue, QColor(0, 0, 255)},
        {green, QColor(0, 192, 0)},      {red, QColor(255, 0, 0)},
        {dark_red, QColor(128, 0, 0)},   {0x563412, QColor(0x12, 0x34, 0x56)},
        {window_background, Qt::white},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << r.color);
        EXPECT_EQ(ImageSurface::to_qcolor(r.color), r.expected);
        ImageSurface surface;
        surface.Line(LineMode::filled_box, 0, 0, 10, 10, r.color);
        EXPECT_EQ(surface.image().pixel(70, 350), r.expected.rgb());
    }
}

TEST(ImageSurface, HoldsThePixelsOfTheCoreSurface) {
    for (const double scale : {1.0, 1.5, 3.0}) {
        SCOPED_TRACE(scale);
        ImageSurface image(scale);
        PixelSurface pixels(scale);
        for (int width = 1; width <= 3; ++width) {
            for (const Call& c : kCalls) {
                for (DrawingSurface* s : std::initializer_list<DrawingSurface*>{&image, &pixels}) {
                    s->DrawWidth(width);
                    s->ForeColor(width == 2 ? blue : red);
                    s->Line(c.mode, c.x1, c.y1, c.x2, c.y2);
                    s->Line(c.mode, c.x1 + 5, c.y1 + 7, c.x2 - 3, c.y2 + 11, green);
                }
            }
        }
        EXPECT_TRUE(same_pixels(image.image(), pixels));
    }
}

TEST(ImageSurface, ACopyOfTheImageIsAPictureOfThatMoment) {
    ImageSurface surface;
    surface.DrawWidth(2);
    surface.Line(LineMode::line, 0, 0, 100, 100, blue);
    const QImage moment = surface.image();  // shares the pixels until one side writes
    const QImage expected = moment.copy();
    surface.Line(LineMode::line, 0, 100, 100, 0, red);
    surface.Line(LineMode::filled_box, 20, -50, 40, 50, green);
    EXPECT_EQ(moment, expected);
    EXPECT_NE(surface.image(), expected);
    const QImage after_drawing = surface.image();
    surface.Cls();
    EXPECT_NE(after_drawing, surface.image());
    EXPECT_EQ(after_drawing.pixel(200, 342), qRgb(0, 192, 0));
}

TEST(ImageSurface, GoingOnFromAPictureLeavesThePictureAsItIs) {
    ImageSurface first(1.5);
    first.Line(LineMode::line, 0, 0, 100, 100, blue);
    const QImage picture = first.image().copy();
    const QImage kept = picture.copy();

    ImageSurface next(1.5, picture);
    EXPECT_EQ(next.image(), picture);
    next.Line(LineMode::line, 0, 100, 100, 0, red);
    EXPECT_EQ(picture, kept);
    EXPECT_NE(next.image(), kept);

    // What it draws is what a surface drawing both lines draws.
    ImageSurface both(1.5);
    both.Line(LineMode::line, 0, 0, 100, 100, blue);
    both.Line(LineMode::line, 0, 100, 100, 0, red);
    EXPECT_EQ(next.image(), both.image());

    EXPECT_THROW(ImageSurface(1, picture), std::invalid_argument);
    EXPECT_THROW(ImageSurface(1.5, picture.convertToFormat(QImage::Format_ARGB32)),
                 std::invalid_argument);
}

TEST(ImageSurface, DirtyRectangleIsTheCoreOnesAsAQRect) {
    ImageSurface image;
    PixelSurface pixels;
    EXPECT_EQ(image.take_dirty_rect(), QRect(0, 0, 616, 741));
    EXPECT_TRUE(image.take_dirty_rect().isNull());
    (void)pixels.take_dirty_rect();
    for (const Call& c : kCalls) {
        SCOPED_TRACE(c.name);
        image.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);
        pixels.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);
        const PixelRect expected = pixels.take_dirty_rect();
        EXPECT_EQ(image.take_dirty_rect(), QRect(QPoint(expected.left, expected.top),
                                                 QPoint(expected.right, expected.bottom)));
    }
    image.Line(LineMode::line, 0, -500, 100, -500, black);  // wholly above the picture
    EXPECT_TRUE(image.take_dirty_rect().isNull());
}

TEST(ImageSurface, RejectsPenWidthsBelowOnePixel) {
    ImageSurface surface;
    EXPECT_THROW(surface.DrawWidth(0), std::invalid_argument);
}

}  // namespace
}  // namespace hcci
