// SPDX-License-Identifier: MIT
#include "core/draw/pixel_surface.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/draw/logical_mapping.h"

namespace hcci {
namespace {

constexpr double kPixelTolerance = 1e-4;
constexpr Pixel kBlack = 0xFF000000u;
constexpr Pixel kRed = 0xFFFF0000u;
constexpr Pixel kSilver = 0xFFC0C0C0u;

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

int count_non_white(const PixelSurface& surface) {
    int n = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) n += surface.pixel(x, y) != white_pixel;
    }
    return n;
}

// The pixels of the given colour, as a mask.
std::vector<bool> mask_of(const PixelSurface& surface, Pixel pixel) {
    std::vector<bool> mask;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) mask.push_back(surface.pixel(x, y) == pixel);
    }
    return mask;
}

PixelRect bounds_of_non_white(const PixelSurface& surface) {
    PixelRect bounds;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.pixel(x, y) != white_pixel) bounds = united(bounds, {x, y, x, y});
        }
    }
    return bounds;
}

bool contains(const PixelRect& outer, const PixelRect& inner) {
    return inner.empty() || intersected(outer, inner) == inner;
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

TEST(PixelSurface, SizeFollowsTheScale) {
    struct Row {
        double scale;
        int width, height;
    };
    const Row rows[] = {
        {1, 616, 741}, {1.25, 770, 926}, {1.5, 924, 1112}, {2, 1232, 1482}, {0.5, 308, 371}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scale);
        PixelSurface surface(r.scale);
        EXPECT_EQ(surface.width(), r.width);
        EXPECT_EQ(surface.height(), r.height);
        EXPECT_EQ(count_non_white(surface), 0);
    }
    EXPECT_THROW(PixelSurface(0), std::invalid_argument);
}

TEST(PixelSurface, CoversTheClientAreaCornerToCorner) {
    PixelSurface surface;
    // A small filled box in each corner of the logical area paints that corner's pixel.
    struct Row {
        const char* name;
        double x, y, inward_x, inward_y;
        int column, row;
    };
    const Row rows[] = {
        {"top left", -10, -300, 1, 2, 0, 0},
        {"top right", 117.239, -300, -1, 2, 615, 0},
        {"bottom left", -10, 350, 1, -2, 0, 740},
        {"bottom right", 117.239, 350, -1, -2, 615, 740},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        surface.Line(LineMode::filled_box, r.x, r.y, r.x + r.inward_x, r.y + r.inward_y, black);
        EXPECT_EQ(surface.pixel(r.column, r.row), kBlack);
    }
}

TEST(PixelSurface, AxisLinesThroughTheOriginMeetAtItsPixel) {
    PixelSurface surface;
    surface.Line(LineMode::line, 0, 0, 10, 0, black);
    surface.Line(LineMode::line, 0, 0, 0, 10, black);
    const PixelRect bounds = bounds_of_non_white(surface);
    EXPECT_EQ(bounds.left, 48);
    EXPECT_EQ(bounds.top, 342);
}

TEST(PixelSurface, ColoursAreBgrAndTheSystemColourIsWhite) {
    struct Row {
        Color color;
        Pixel expected;
    };
    const Row rows[] = {
        {black, 0xFF000000u},      {white, 0xFFFFFFFFu},    {silver, 0xFFC0C0C0u},
        {blue, 0xFF0000FFu},       {green, 0xFF00C000u},    {red, 0xFFFF0000u},
        {dark_red, 0xFF800000u},   {0x563412, 0xFF123456u}, {window_background, 0xFFFFFFFFu},
        {0x80000012, 0xFFFFFFFFu},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << r.color);
        EXPECT_EQ(to_pixel(r.color), r.expected);
        // The colour that reaches the pixels is the same.
        PixelSurface surface;
        surface.Line(LineMode::filled_box, 0, 0, 10, 10, r.color);
        EXPECT_EQ(surface.pixel(70, 350), r.expected);
    }
}

TEST(PixelSurface, PenWidthsSpreadAfterTheCentreLineBeforeBefore) {
    // A pen w wide reaches (w - 1) / 2 pixels before the centre line and w / 2 after it; the
    // ends are square. The centre line is at row 342, from column 48.
    struct Row {
        int draw_width;
        double scale;
        int top, bottom, left;
    };
    const Row rows[] = {
        {1, 1, 342, 342, 48}, {2, 1, 342, 343, 48}, {3, 1, 341, 343, 47},
        {4, 1, 341, 344, 47}, {2, 2, 683, 686, 95},  // 4 pixels at twice the size
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "DrawWidth " << r.draw_width << " at " << r.scale);
        PixelSurface surface(r.scale);
        surface.DrawWidth(r.draw_width);
        surface.Line(LineMode::line, 0, 0, 10, 0, black);
        const PixelRect bounds = bounds_of_non_white(surface);
        EXPECT_EQ(bounds.top, r.top);
        EXPECT_EQ(bounds.bottom, r.bottom);
        EXPECT_EQ(bounds.left, r.left);
    }
}

TEST(PixelSurface, RedrawingInWhiteErasesExactly) {
    for (int width = 1; width <= 3; ++width) {
        for (const double scale : {1.0, 1.5, 2.0}) {
            for (const Call& c : kCalls) {
                SCOPED_TRACE(testing::Message()
                             << c.name << ", pen width " << width << ", scale " << scale);
                PixelSurface surface(scale);
                surface.DrawWidth(width);
                surface.ForeColor(black);
                surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2);
                ASSERT_GT(count_non_white(surface), 0);
                surface.ForeColor(white);
                surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2);
                EXPECT_EQ(count_non_white(surface), 0);
            }
        }
    }
}

TEST(PixelSurface, SameCallCoversSamePixelsWhateverCameBefore) {
    for (int width = 1; width <= 3; ++width) {
        for (const Call& c : kCalls) {
            SCOPED_TRACE(testing::Message() << c.name << ", pen width " << width);
            PixelSurface plain;
            plain.DrawWidth(width);
            plain.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);

            // Another colour, over a silver ground, through ForeColor, after other pens.
            PixelSurface busy;
            busy.Line(LineMode::filled_box, -10, -300, 117.239, 350, silver);
            busy.DrawWidth(3);
            busy.Line(LineMode::line, 20, 20, 80, 80, blue);
            busy.Line(LineMode::filled_box, -10, -300, 117.239, 350, silver);
            busy.DrawWidth(width);
            busy.ForeColor(red);
            busy.Line(c.mode, c.x1, c.y1, c.x2, c.y2);

            EXPECT_EQ(mask_of(plain, kBlack), mask_of(busy, kRed));
        }
    }
}

TEST(PixelSurface, BoxOutlineLeavesItsInteriorUntouched) {
    for (int width = 1; width <= 3; ++width) {
        SCOPED_TRACE(testing::Message() << "pen width " << width);
        PixelSurface surface;
        surface.Line(LineMode::filled_box, 0, -100, 100, 100, silver);
        surface.DrawWidth(width);
        surface.Line(LineMode::box, 20, -50, 80, 50, black);
        // Edges (mid-points of each side) are black, the inside is still silver.
        const int left = static_cast<int>(pixel_x(20));
        const int right = static_cast<int>(pixel_x(80));
        const int top = static_cast<int>(pixel_y(-50));
        const int bottom = static_cast<int>(pixel_y(50));
        const int mid_x = (left + right) / 2;
        const int mid_y = (top + bottom) / 2;
        EXPECT_EQ(surface.pixel(left, mid_y), kBlack);
        EXPECT_EQ(surface.pixel(right, mid_y), kBlack);
        EXPECT_EQ(surface.pixel(mid_x, top), kBlack);
        EXPECT_EQ(surface.pixel(mid_x, bottom), kBlack);
        for (int y = top + width + 1; y < bottom - width; ++y) {
            for (int x = left + width + 1; x < right - width; ++x) {
                ASSERT_EQ(surface.pixel(x, y), kSilver) << "at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(PixelSurface, FilledBoxIsSolidAndIgnoresCornerOrder) {
    for (int width = 1; width <= 3; ++width) {
        SCOPED_TRACE(testing::Message() << "pen width " << width);
        PixelSurface forwards;
        forwards.DrawWidth(width);
        forwards.Line(LineMode::filled_box, 8.3333, -62.5, 10.4167, 62.5, black);
        PixelSurface backwards;
        backwards.DrawWidth(width);
        backwards.Line(LineMode::filled_box, 10.4167, 62.5, 8.3333, -62.5, black);

        const PixelRect bounds = bounds_of_non_white(forwards);
        EXPECT_EQ(count_non_white(forwards), bounds.width() * bounds.height());
        const int x1 = static_cast<int>(pixel_x(8.3333f));
        const int y1 = static_cast<int>(pixel_y(-62.5f));
        const int x2 = static_cast<int>(pixel_x(10.4167f));
        const int y2 = static_cast<int>(pixel_y(62.5f));
        EXPECT_TRUE(contains(bounds, {x1, y1, x1, y1}));
        EXPECT_TRUE(contains(bounds, {x2, y2, x2, y2}));
        EXPECT_EQ(mask_of(forwards, kBlack), mask_of(backwards, kBlack));
    }
}

TEST(PixelSurface, ClsClearsEverythingToWhite) {
    PixelSurface surface;
    surface.DrawWidth(3);
    surface.Line(LineMode::filled_box, -10, -300, 117.239, 350, black);
    surface.Line(LineMode::line, 0, 0, 100, 100, blue);
    ASSERT_GT(count_non_white(surface), 0);
    (void)surface.take_dirty_rect();
    surface.Cls();
    EXPECT_EQ(count_non_white(surface), 0);
    EXPECT_EQ(surface.take_dirty_rect(), (PixelRect{0, 0, 615, 740}));
}

TEST(PixelSurface, RejectsPenWidthsBelowOnePixel) {
    PixelSurface surface;
    EXPECT_THROW(surface.DrawWidth(0), std::invalid_argument);
    EXPECT_THROW(surface.DrawWidth(-2), std::invalid_argument);
    // The pen in force is kept.
    surface.DrawWidth(3);
    EXPECT_THROW(surface.DrawWidth(0), std::invalid_argument);
    surface.Line(LineMode::line, 0, 0, 100, 0, black);
    EXPECT_EQ(bounds_of_non_white(surface).height(), 3);
}

TEST(PixelSurface, DirtyRectangleCoversWhatWasDrawn) {
    PixelSurface surface;
    EXPECT_EQ(surface.take_dirty_rect(), (PixelRect{0, 0, 615, 740}));
    EXPECT_TRUE(surface.take_dirty_rect().empty());
    for (int width = 1; width <= 3; ++width) {
        for (const Call& c : kCalls) {
            SCOPED_TRACE(testing::Message() << c.name << ", pen width " << width);
            surface.Cls();
            (void)surface.take_dirty_rect();
            surface.DrawWidth(width);
            surface.Line(c.mode, c.x1, c.y1, c.x2, c.y2, black);
            const PixelRect dirty = surface.take_dirty_rect();
            EXPECT_TRUE(contains(dirty, bounds_of_non_white(surface)))
                << "dirty " << dirty.left << "," << dirty.top << " " << dirty.width() << "x"
                << dirty.height();
        }
    }
    // Drawing beyond the client area yields a rectangle inside the picture.
    surface.Line(LineMode::line, 0, -345, 100, -345, silver);
    surface.Line(LineMode::line, 0, -145, 0, -400, silver);
    EXPECT_TRUE(contains({0, 0, 615, 740}, surface.take_dirty_rect()));
}

TEST(PixelSurface, DirtyRectangleIsTheCornersWidenedByThePen) {
    // Corners given right to left or bottom to top span a pixel less on each side; the
    // margin of the pen's width and one more covers the line either way. The pictures'
    // updates and the video's converted rows are exactly these rectangles.
    const PixelPoint a{static_cast<int>(pixel_x(10)), static_cast<int>(pixel_y(-100))};
    const PixelPoint b{static_cast<int>(pixel_x(30)), static_cast<int>(pixel_y(50))};
    struct Row {
        const char* name;
        double x1, y1, x2, y2;
        int width;
        PixelRect expected;
    };
    const Row rows[] = {
        {"down and right", 10, -100, 30, 50, 1, {a.x - 2, a.y - 2, b.x + 2, b.y + 2}},
        {"up and left", 30, 50, 10, -100, 1, {a.x - 1, a.y - 1, b.x + 1, b.y + 1}},
        {"down and left, wide", 30, -100, 10, 50, 3, {a.x - 3, a.y - 4, b.x + 3, b.y + 4}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PixelSurface surface;
        (void)surface.take_dirty_rect();
        surface.DrawWidth(r.width);
        surface.Line(LineMode::line, r.x1, r.y1, r.x2, r.y2, black);
        EXPECT_EQ(surface.take_dirty_rect(), r.expected);
    }
}

TEST(PixelSurface, CoordinatesFarBeyondAnyRangeAreClippedNotFatal) {
    PixelSurface surface;
    const double huge = 1e300;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (int width = 1; width <= 3; ++width) {
        surface.DrawWidth(width);
        surface.Line(LineMode::line, -huge, 0, huge, 0, black);
        surface.Line(LineMode::line, 0, -inf, 1, inf, black);
        surface.Line(LineMode::line, -huge, -huge, huge, 20, black);
        surface.Line(LineMode::box, nan, nan, 10, 10, black);
    }
    surface.Line(LineMode::filled_box, -huge, -huge, huge, huge, red);
    EXPECT_EQ(surface.pixel(300, 300), kRed);
    EXPECT_TRUE(contains({0, 0, 615, 740}, surface.take_dirty_rect()));
}

TEST(PixelSurface, DrawsIntoPixelsKeptElsewhereAsTheyAre) {
    // Rows 620 pixels apart, the last 4 of each no part of the picture.
    constexpr Pixel kPadding = 0x0BADF00Du;
    std::vector<Pixel> first(620 * 741, kPadding);
    std::vector<Pixel> second(620 * 741, kPadding);
    PixelBuffer buffer{first.data(), 616, 741, 620};
    fill_rect(buffer, buffer.rect(), kSilver);

    PixelSurface surface(1, buffer);
    EXPECT_EQ(surface.pixel(10, 10), kSilver);  // not cleared
    EXPECT_EQ(surface.take_dirty_rect(), (PixelRect{0, 0, 615, 740}));
    surface.Line(LineMode::filled_box, -10, -300, 117.239, 350, black);
    surface.Line(LineMode::line, -10, -300, 117.239, 350, red);
    EXPECT_EQ(first[10 * 620 + 600], kBlack);

    // Moved: the drawing goes on in the new memory, the old keeps what it had.
    std::copy(first.begin(), first.end(), second.begin());
    surface.draw_into({second.data(), 616, 741, 620});
    surface.Cls();
    EXPECT_EQ(second[10 * 620 + 600], white_pixel);
    EXPECT_EQ(first[10 * 620 + 600], kBlack);
    for (const auto* memory : {&first, &second}) {
        for (int y = 0; y < 741; ++y) {
            for (int x = 616; x < 620; ++x) {
                ASSERT_EQ((*memory)[static_cast<std::size_t>(y * 620 + x)], kPadding);
            }
        }
    }
    // Memory of another size does not fit.
    EXPECT_THROW(surface.draw_into({second.data(), 615, 741, 620}), std::invalid_argument);
    EXPECT_THROW(PixelSurface(2, buffer), std::invalid_argument);
}

}  // namespace
}  // namespace hcci
