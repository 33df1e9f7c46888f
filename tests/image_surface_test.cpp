// SPDX-License-Identifier: MIT
#include "qt/picture/image_surface.h"

#include <gtest/gtest.h>

#include <limits>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/draw/logical_mapping.h"

namespace hcci {
namespace {

constexpr double kPixelTolerance = 1e-4;
constexpr QRgb kWhitePixel = 0xFFFFFFFFu;

struct Call {
    std::string name;
    LineMode mode;
    double x1, y1, x2, y2;
};

// Lines of several slopes and directions, boxes with either corner first, fractional ends.
const std::vector<Call> kCalls = {
    {"horizontal", LineMode::line, 0, 0, 100, 0},
    {"vertical", LineMode::line, 50, -125, 50, -62.5},
    {"shallow", LineMode::line, 9.9406, -157.907, 1.1505, -190.3428},
    {"steep", LineMode::line, 3, 100, 4, -100},
    {"diagonal backwards", LineMode::line, 60, 40, 20, -10},
    {"box", LineMode::box, 3.3333, -125, 4.1667, -113.6364},
    {"box right corner first", LineMode::box, 10, 125, 8.4746, 113.6364},
    {"filled box", LineMode::filled_box, 10.4167, -62.5, 8.3333, 62.5},
};

int count_non_white(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != kWhitePixel;
    }
    return n;
}

// The pixels of the given colour, as a mask.
std::vector<bool> mask_of(const QImage& image, QRgb color) {
    std::vector<bool> mask;
    mask.reserve(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) mask.push_back(image.pixel(x, y) == color);
    }
    return mask;
}

QRect bounds_of_non_white(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kWhitePixel) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

TEST(LogicalMapping, CornersAndOriginMapToTheirPixels) {
    struct Row {
        const char* name;
        float x, y;
        double column, row;
    };
    const Row rows[] = {
        {"top left", -10, -300, 0, 0},     {"top right", 117.239f, -300, 616, 0},
        {"bottom left", -10, 350, 0, 741}, {"bottom right", 117.239f, 350, 616, 741},
        {"origin", 0, 0, 48.41283, 342},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_NEAR(pixel_x(r.x), r.column, kPixelTolerance);
        EXPECT_NEAR(pixel_y(r.y), r.row, kPixelTolerance);
    }
}

TEST(ImageSurface, CoversTheClientAreaCornerToCorner) {
    ImageSurface surface;
    EXPECT_EQ(surface.image().size(), QSize(client_width, client_height));
    // A small filled box in each corner of the logical area paints that corner's pixel.
    struct Row {
        const char* name;
        double x, y, inward_x, inward_y;
        QPoint pixel;
    };
    const Row rows[] = {
        {"top left", -10, -300, 1, 2, {0, 0}},
        {"top right", 117.239, -300, -1, 2, {615, 0}},
        {"bottom left", -10, 350, 1, -2, {0, 740}},
        {"bottom right", 117.239, 350, -1, -2, {615, 740}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        surface.Line(LineMode::filled_box, r.x, r.y, r.x + r.inward_x, r.y + r.inward_y, black);
        EXPECT_EQ(surface.image().pixel(r.pixel), qRgb(0, 0, 0));
    }
}

TEST(ImageSurface, AxisLinesThroughTheOriginMeetAtItsPixel) {
    ImageSurface surface;
    surface.Line(LineMode::line, 0, 0, 10, 0, black);
    surface.Line(LineMode::line, 0, 0, 0, 10, black);
    const QRect bounds = bounds_of_non_white(surface.image());
    EXPECT_EQ(bounds.topLeft(), QPoint(48, 342));
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
        // The colour that reaches the pixels is the same.
        ImageSurface surface;
        surface.Line(LineMode::filled_box, 0, 0, 10, 10, r.color);
        EXPECT_EQ(surface.image().pixel(70, 350), r.expected.rgb());
    }
}

TEST(ImageSurface, RedrawingInWhiteErasesExactly) {
    for (int width = 1; width <= 3; ++width) {
        for (const Call& c : kCalls) {
            SCOPED_TRACE(testing::Message() << c.name << ", pen width " << width);
            ImageSurface surface;
            surface.DrawWidth(width);
            surface.ForeColor(black);
            surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2);
            ASSERT_GT(count_non_white(surface.image()), 0);
            surface.ForeColor(white);
            surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2);
            EXPECT_EQ(count_non_white(surface.image()), 0);
        }
    }
}

TEST(ImageSurface, SameCallCoversSamePixelsWhateverCameBefore) {
    for (int width = 1; width <= 3; ++width) {
        for (const Call& c : kCalls) {
            SCOPED_TRACE(testing::Message() << c.name << ", pen width " << width);
            ImageSurface plain;
            plain.DrawWidth(width);
            plain.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);

            // Another colour, over a silver ground, through ForeColor, after the painter was
            // closed and other pens were used.
            ImageSurface busy;
            busy.Line(LineMode::filled_box, -10, -300, 117.239, 350, silver);
            busy.DrawWidth(3);
            busy.Line(LineMode::line, 20, 20, 80, 80, blue);
            (void)busy.image();
            busy.Line(LineMode::filled_box, -10, -300, 117.239, 350, silver);
            busy.DrawWidth(width);
            busy.ForeColor(red);
            busy.Line(c.mode, c.x1, c.y1, c.x2, c.y2);

            EXPECT_EQ(mask_of(plain.image(), qRgb(0, 0, 0)),
                      mask_of(busy.image(), qRgb(255, 0, 0)));
        }
    }
}

TEST(ImageSurface, BoxOutlineLeavesItsInteriorUntouched) {
    for (int width = 1; width <= 3; ++width) {
        SCOPED_TRACE(testing::Message() << "pen width " << width);
        ImageSurface surface;
        surface.Line(LineMode::filled_box, 0, -100, 100, 100, silver);
        surface.DrawWidth(width);
        surface.Line(LineMode::box, 20, -50, 80, 50, black);
        const QImage& image = surface.image();
        // Edges (mid-points of each side) are black, the inside is still silver.
        const int left = static_cast<int>(pixel_x(20));
        const int right = static_cast<int>(pixel_x(80));
        const int top = static_cast<int>(pixel_y(-50));
        const int bottom = static_cast<int>(pixel_y(50));
        const int mid_x = (left + right) / 2;
        const int mid_y = (top + bottom) / 2;
        EXPECT_EQ(image.pixel(left, mid_y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(right, mid_y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(mid_x, top), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(mid_x, bottom), qRgb(0, 0, 0));
        const QRgb silver_pixel = qRgb(192, 192, 192);
        for (int y = top + width + 1; y < bottom - width; ++y) {
            for (int x = left + width + 1; x < right - width; ++x) {
                ASSERT_EQ(image.pixel(x, y), silver_pixel) << "at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(ImageSurface, FilledBoxIsSolidAndIgnoresCornerOrder) {
    for (int width = 1; width <= 3; ++width) {
        SCOPED_TRACE(testing::Message() << "pen width " << width);
        ImageSurface forwards;
        forwards.DrawWidth(width);
        forwards.Line(LineMode::filled_box, 8.3333, -62.5, 10.4167, 62.5, black);
        ImageSurface backwards;
        backwards.DrawWidth(width);
        backwards.Line(LineMode::filled_box, 10.4167, 62.5, 8.3333, -62.5, black);

        const QImage& image = forwards.image();
        const QRect bounds = bounds_of_non_white(image);
        EXPECT_EQ(count_non_white(image), bounds.width() * bounds.height());
        EXPECT_TRUE(
            bounds.contains(static_cast<int>(pixel_x(8.3333f)), static_cast<int>(pixel_y(-62.5f))));
        EXPECT_TRUE(
            bounds.contains(static_cast<int>(pixel_x(10.4167f)), static_cast<int>(pixel_y(62.5f))));
        EXPECT_EQ(mask_of(image, qRgb(0, 0, 0)), mask_of(backwards.image(), qRgb(0, 0, 0)));
    }
}

TEST(ImageSurface, ClsClearsEverythingToWhite) {
    ImageSurface surface;
    surface.DrawWidth(3);
    surface.Line(LineMode::filled_box, -10, -300, 117.239, 350, black);
    surface.Line(LineMode::line, 0, 0, 100, 100, blue);
    ASSERT_GT(count_non_white(surface.image()), 0);
    (void)surface.take_dirty_rect();
    surface.Cls();
    EXPECT_EQ(count_non_white(surface.image()), 0);
    EXPECT_EQ(surface.take_dirty_rect(), surface.image().rect());
}

TEST(ImageSurface, RejectsPenWidthsBelowOnePixel) {
    ImageSurface surface;
    EXPECT_THROW(surface.DrawWidth(0), std::invalid_argument);
    EXPECT_THROW(surface.DrawWidth(-2), std::invalid_argument);
    // The pen in force is kept.
    surface.DrawWidth(3);
    EXPECT_THROW(surface.DrawWidth(0), std::invalid_argument);
    surface.Line(LineMode::line, 0, 0, 100, 0, black);
    EXPECT_EQ(bounds_of_non_white(surface.image()).height(), 3);
}

TEST(ImageSurface, DirtyRectangleCoversWhatWasDrawn) {
    ImageSurface surface;
    EXPECT_EQ(surface.take_dirty_rect(), surface.image().rect());
    EXPECT_TRUE(surface.take_dirty_rect().isEmpty());
    for (int width = 1; width <= 3; ++width) {
        for (const Call& c : kCalls) {
            SCOPED_TRACE(testing::Message() << c.name << ", pen width " << width);
            surface.Cls();
            (void)surface.take_dirty_rect();
            surface.DrawWidth(width);
            surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);
            const QRect dirty = surface.take_dirty_rect();
            const QRect drawn = bounds_of_non_white(surface.image());
            EXPECT_TRUE(dirty.contains(drawn)) << "dirty " << dirty.x() << "," << dirty.y() << " "
                                               << dirty.width() << "x" << dirty.height();
        }
    }
    // Drawing beyond the client area yields a rectangle inside the image.
    surface.Line(LineMode::line, 0, -345, 100, -345, silver);
    surface.Line(LineMode::line, 0, -145, 0, -400, silver);
    EXPECT_TRUE(surface.image().rect().contains(surface.take_dirty_rect()));
}

TEST(ImageSurface, CoordinatesFarBeyondAnyRangeAreClippedNotFatal) {
    ImageSurface surface;
    const double huge = 1e300;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    surface.Line(LineMode::line, -huge, 0, huge, 0, black);
    surface.Line(LineMode::line, 0, -inf, 1, inf, black);
    surface.Line(LineMode::box, nan, nan, 10, 10, black);
    surface.Line(LineMode::filled_box, -huge, -huge, huge, huge, red);
    const QImage& image = surface.image();
    EXPECT_EQ(image.pixel(300, 300), qRgb(255, 0, 0));
    EXPECT_TRUE(image.rect().contains(surface.take_dirty_rect()));
}

}  // namespace
}  // namespace hcci
