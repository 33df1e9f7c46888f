// SPDX-License-Identifier: MIT
#include "core/draw/moving_parts.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

#include "core/model/sweep.h"
#include "recording_surface.h"

namespace hcci {
namespace {

constexpr double kFourDecimals = 5e-5;
constexpr size_t kOutlineShapes = 17;

struct Shape {
    const char* name;
    LineMode mode;
    double x1, y1, x2, y2;
};

// The crown at top dead centre (crown_x = 0).
const Shape kOutlineAtTopDeadCentre[kOutlineShapes] = {
    {"crown face, upper", LineMode::line, 0, -125, 0, -62.5},
    {"crown face, lower", LineMode::line, 0, 125, 0, 62.5},
    {"recess mouth wall, upper", LineMode::line, 0, -62.5, 7.1429, -62.5},
    {"recess mouth wall, lower", LineMode::line, 0, 62.5, 7.1429, 62.5},
    {"recess floor", LineMode::line, 11.1111, -67.5676, 11.1111, 67.5676},
    {"recess inner wall, lower", LineMode::line, 11.1111, 67.5676, 7.1429, 67.5676},
    {"recess inner wall, upper", LineMode::line, 11.1111, -67.5676, 7.1429, -67.5676},
    {"recess shoulder, upper", LineMode::line, 7.1429, -62.5, 7.1429, -67.5676},
    {"recess shoulder, lower", LineMode::line, 7.1429, 62.5, 7.1429, 67.5676},
    {"first ring, upper", LineMode::box, 3.3333, -125, 4.1667, -113.6364},
    {"first ring, lower", LineMode::box, 3.3333, 125, 4.1667, 113.6364},
    {"second ring, lower", LineMode::box, 7.3529, 125, 6.4103, 113.6364},
    {"second ring, upper", LineMode::box, 7.3529, -125, 6.4103, -113.6364},
    {"third ring inner box, lower", LineMode::box, 9.6154, 125, 8.9286, 117.9245},
    {"third ring inner box, upper", LineMode::box, 9.6154, -125, 8.9286, -117.9245},
    {"third ring outer box, lower", LineMode::box, 10, 125, 8.4746, 113.6364},
    {"third ring outer box, upper", LineMode::box, 10, -125, 8.4746, -113.6364},
};

void expect_outline_at(const std::vector<LineCall>& lines, double crown_x) {
    ASSERT_EQ(lines.size(), kOutlineShapes);
    for (size_t i = 0; i < kOutlineShapes; ++i) {
        const Shape& s = kOutlineAtTopDeadCentre[i];
        const LineCall& line = lines[i];
        SCOPED_TRACE(testing::Message() << "shape " << i + 1 << ", " << s.name);
        EXPECT_EQ(line.mode, s.mode);
        EXPECT_FALSE(line.explicit_color.has_value());
        EXPECT_NEAR(line.x1, crown_x + s.x1, kFourDecimals);
        EXPECT_NEAR(line.y1, s.y1, kFourDecimals);
        EXPECT_NEAR(line.x2, crown_x + s.x2, kFourDecimals);
        EXPECT_NEAR(line.y2, s.y2, kFourDecimals);
    }
}

TEST(PistonOutline, SeventeenShapesAtTopAndBottomDeadCentre) {
    const EngineGeometry g = make_engine_geometry();
    for (double crown_x : {0.0, 100.0}) {
        SCOPED_TRACE(testing::Message() << "crown_x " << crown_x);
        RecordingSurface surface;
        draw_piston_outline(surface, g, crown_x);
        EXPECT_EQ(surface.calls().size(), kOutlineShapes);  // no pen or colour changes
        expect_outline_at(surface.lines(), crown_x);
    }
}

TEST(MovingParts, FirstStepDrawsNothing) {
    const EngineGeometry g = make_engine_geometry();
    RecordingSurface surface;
    surface.DrawWidth(2);
    surface.ForeColor(blue);
    surface.clear();
    draw_moving_parts(surface, g, sweep_start_angle, 0, 100 + g.total_clearance);
    EXPECT_TRUE(surface.calls().empty());
    EXPECT_EQ(surface.draw_width(), 2);
    EXPECT_EQ(surface.fore_color(), blue);
}

TEST(MovingParts, WhiteAtThePreviousPlaceThenBlackAtTheNew) {
    const EngineGeometry g = make_engine_geometry();
    RecordingSurface surface;
    surface.DrawWidth(2);
    surface.ForeColor(dark_red);
    surface.clear();
    const double prev_crown_x = 0;
    const double crown_x = 3.25;
    draw_moving_parts(surface, g, 78.0, prev_crown_x + g.total_clearance,
                      crown_x + g.total_clearance);

    const auto& calls = surface.calls();
    ASSERT_EQ(calls.size(), 2 * kOutlineShapes + 3);
    ASSERT_TRUE(std::holds_alternative<DrawWidthCall>(calls[0]));
    EXPECT_EQ(std::get<DrawWidthCall>(calls[0]).pixels, 1);
    ASSERT_TRUE(std::holds_alternative<ForeColorCall>(calls[1]));
    EXPECT_EQ(std::get<ForeColorCall>(calls[1]).color, white);
    ASSERT_TRUE(std::holds_alternative<ForeColorCall>(calls[2 + kOutlineShapes]));
    EXPECT_EQ(std::get<ForeColorCall>(calls[2 + kOutlineShapes]).color, black);

    const std::vector<LineCall> lines = surface.lines();
    const std::vector<LineCall> erase(lines.begin(), lines.begin() + kOutlineShapes);
    const std::vector<LineCall> draw(lines.begin() + kOutlineShapes, lines.end());
    {
        SCOPED_TRACE("white pass");
        expect_outline_at(erase, prev_crown_x);
        for (const LineCall& line : erase) EXPECT_EQ(line.color(), white);
    }
    {
        SCOPED_TRACE("black pass");
        expect_outline_at(draw, crown_x);
        for (const LineCall& line : draw) EXPECT_EQ(line.color(), black);
    }
    for (const LineCall& line : lines) EXPECT_EQ(line.draw_width, 1);
    EXPECT_EQ(surface.draw_width(), 1);
    EXPECT_EQ(surface.fore_color(), black);
}

}  // namespace
}  // namespace hcci
