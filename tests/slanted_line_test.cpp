// SPDX-License-Identifier: MIT
#include "core/draw/slanted_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "slanted_line_cases.h"

namespace hcci {
namespace {

constexpr Pixel kInk = 0xFF000000u;

// A white picture of its own.
struct Picture {
    Picture(int width, int height)
        : pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), white_pixel),
          buffer{pixels.data(), width, height, width} {}

    // Row by row, '#' for ink, rows parted by '|'.
    std::string rows() const {
        std::string result;
        for (int y = 0; y < buffer.height; ++y) {
            if (y > 0) result += '|';
            for (int x = 0; x < buffer.width; ++x) result += buffer.row(y)[x] == kInk ? '#' : '.';
        }
        return result;
    }
    int count_ink() const {
        int n = 0;
        for (const Pixel p : pixels) n += p == kInk;
        return n;
    }

    std::vector<Pixel> pixels;
    PixelBuffer buffer;
};

// Drawn by QPainter on a Qt 6.4 RGB32 image, antialiasing off, square caps.
TEST(SlantedLine, SmallLinesCoverThePixelsQtCovers) {
    struct Row {
        const char* name;
        int width, height;
        PixelPoint a, b;
        int pen;
        const char* expected;
    };
    // clang-format off
    const Row rows[] = {
        {"hairline, shallow", 8, 5, {1, 1}, {6, 3}, 1,
         "........|.###....|....##..|......#.|........"},
        {"hairline, shallow, the other way", 8, 5, {6, 1}, {1, 3}, 1,
         "........|....###.|..##....|.#......|........"},
        {"hairline, steep", 6, 8, {1, 1}, {3, 6}, 1,
         "......|.#....|.#....|.#....|..#...|..#...|...#..|......"},
        {"two pixels wide", 10, 8, {2, 2}, {7, 5}, 2,
         "..........|.##.......|.####.....|...###....|"
         "....####..|......##..|..........|.........."},
        {"three pixels wide", 10, 9, {2, 2}, {7, 6}, 3,
         ".##.......|####......|#####.....|.#####....|...#####..|"
         "....#####.|.....####.|......##..|.........."},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Picture picture(r.width, r.height);
        draw_slanted_line(picture.buffer, r.a, r.b, r.pen, kInk);
        EXPECT_EQ(picture.rows(), r.expected);
    }
}

// 150 lines of each placement and every pen width the pictures use, against the hashes of
// what Qt drew for them (slanted_line_qpainter_test checks the hashes against QPainter).
TEST(SlantedLine, CoversThePixelsQtCoversForPinnedLines) {
    Picture picture(pinned_picture_width, pinned_picture_height);
    for (const PinnedLines& pin : pinned_lines) {
        SCOPED_TRACE(testing::Message() << "pen width " << pin.pen_width);
        const auto draw = [&picture](const LineCase& c, int pen) {
            draw_slanted_line(picture.buffer, c.a, c.b, pen, kInk);
        };
        EXPECT_EQ(pinned_lines_hash(picture.buffer, pin.pen_width, draw), pin.hash);
    }
}

TEST(SlantedLine, HairlineTakesOnePixelOnEveryRowOfItsLongerAxisWithoutGaps) {
    for (const LineCase& c : slanted_line_cases(300, 300, Placement::inside, 200, 7)) {
        SCOPED_TRACE(testing::Message()
                     << "(" << c.a.x << "," << c.a.y << ")-(" << c.b.x << "," << c.b.y << ")");
        Picture picture(300, 300);
        draw_hairline(picture.buffer, c.a, c.b, kInk);
        const bool steep = std::abs(c.b.y - c.a.y) > std::abs(c.b.x - c.a.x);
        const int first = steep ? std::min(c.a.y, c.b.y) : std::min(c.a.x, c.b.x);
        const int last = steep ? std::max(c.a.y, c.b.y) : std::max(c.a.x, c.b.x);
        int previous = -1;
        for (int major = 0; major < 300; ++major) {
            std::vector<int> minors;
            for (int minor = 0; minor < 300; ++minor) {
                const Pixel p =
                    steep ? picture.buffer.row(major)[minor] : picture.buffer.row(minor)[major];
                if (p == kInk) minors.push_back(minor);
            }
            if (major < first || major > last) {
                ASSERT_TRUE(minors.empty()) << "beyond the ends at " << major;
                continue;
            }
            ASSERT_EQ(minors.size(), 1u) << "at " << major;
            if (previous >= 0) {
                ASSERT_LE(std::abs(minors[0] - previous), 1) << "at " << major;
            }
            previous = minors[0];
        }
    }
}

TEST(SlantedLine, EitherEndFirstCoversTheSamePixels) {
    for (const int pen : {1, 2, 3, 5, 12}) {
        for (const LineCase& c : slanted_line_cases(400, 400, Placement::inside, 100, 11)) {
            SCOPED_TRACE(testing::Message() << "pen " << pen << ", (" << c.a.x << "," << c.a.y
                                            << ")-(" << c.b.x << "," << c.b.y << ")");
            Picture forwards(400, 400);
            Picture backwards(400, 400);
            draw_slanted_line(forwards.buffer, c.a, c.b, pen, kInk);
            draw_slanted_line(backwards.buffer, c.b, c.a, pen, kInk);
            ASSERT_EQ(forwards.pixels, backwards.pixels);
        }
    }
}

TEST(SlantedLine, StaysOnThePictureAndLeavesTheRowPaddingAlone) {
    // Rows of 50 pixels, 64 apart: the 14 after each row belong to no pixel of the picture.
    constexpr Pixel kPadding = 0x12345678u;
    std::vector<Pixel> memory(64 * 40, kPadding);
    const PixelBuffer buffer{memory.data(), 50, 40, 64};
    fill_rect(buffer, buffer.rect(), white_pixel);
    for (const int pen : {1, 2, 7}) {
        draw_slanted_line(buffer, {-300, -200}, {400, 300}, pen, kInk);
        draw_slanted_line(buffer, {1 << 20, 5}, {-(1 << 20), 30}, pen, kInk);
        draw_slanted_line(buffer, {45, -(1 << 20)}, {48, 1 << 20}, pen, kInk);
    }
    int inked = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Pixel p = memory[static_cast<std::size_t>(y * 64 + x)];
            if (x >= 50) {
                ASSERT_EQ(p, kPadding) << "at " << x << ", " << y;
            } else {
                inked += p == kInk;
            }
        }
    }
    EXPECT_GT(inked, 0);
}

TEST(SlantedLine, LinesWhollyOffThePictureDrawNothing) {
    Picture picture(60, 40);
    for (const int pen : {1, 2, 9}) {
        draw_slanted_line(picture.buffer, {-50, -50}, {-10, -3}, pen, kInk);
        draw_slanted_line(picture.buffer, {70, 10}, {1 << 20, 30}, pen, kInk);
        draw_slanted_line(picture.buffer, {-(1 << 20), 100}, {1 << 20, 200}, pen, kInk);
    }
    EXPECT_EQ(picture.count_ink(), 0);
}

TEST(SlantedLine, LengthIsGlibcsHypotToTheLastBit) {
    struct Row {
        int dx, dy;
        double length;
    };
    const Row rows[] = {
        {3, 4, 5.0},
        {-4, 3, 5.0},
        {600, 1, 0x1.2c001b4e8076cp+9},
        // The correctly rounded root is 0x1.fe7f6f939a553p+4; the corrected one a bit more.
        {27, 17, 0x1.fe7f6f939a554p+4},
        {-17, -27, 0x1.fe7f6f939a554p+4},
        {47, 28, 0x1.b5aaa259099acp+5},
        {7, 0, 7.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dx << ", " << r.dy);
        EXPECT_EQ(engine_line_length(r.dx, r.dy), r.length);
    }
    // A pen three pixels wide on this line covers 196 pixels, as Qt draws it; with the
    // correctly rounded length it would cover 195.
    Picture picture(100, 100);
    draw_wide_line(picture.buffer, {14, 0}, {48, 54}, 3, kInk);
    EXPECT_EQ(picture.count_ink(), 196);
}

}  // namespace
}  // namespace hcci
