// SPDX-License-Identifier: MIT
#include "core/draw/engine_outline.h"

#include <gtest/gtest.h>

#include <optional>
#include <variant>
#include <vector>

#include "recording_surface.h"

namespace hcci {
namespace {

constexpr double kFourDecimals = 5e-5;
// A ForeColor that no shape uses, to tell explicit colours from ForeColor.
constexpr Color kSentinel = 0x123456;

struct Shape {
    const char* name;
    LineMode mode;
    std::optional<Color> explicit_color;
    Color color;
    int width;
    double x1, y1, x2, y2;
};

const Shape kShapes[] = {
    {"cylinder_block", LineMode::filled_box, black, black, 1, -3.6667, -131.25, 111, 131.25},
    {"cylinder_bore", LineMode::filled_box, window_background, window_background, 1, -1.6667, -125,
     111, 125},
    {"partition_stem", LineMode::filled_box, black, black, 1, -1.6667, -10, 10, 10},
    {"partition_disc", LineMode::filled_box, black, black, 1, 10.4167, -62.5, 8.3333, 62.5},
    {"pressure zero axis", LineMode::line, std::nullopt, dark_red, 3, -7.3284, -145, 100, -145},
    {"temperature zero axis", LineMode::line, std::nullopt, dark_red, 3, -7.3284, 145, 100, 145},
    {"pressure axis", LineMode::line, std::nullopt, dark_red, 3, -7.3284, -345, -7.3284, -145},
    {"temperature axis", LineMode::line, std::nullopt, dark_red, 3, -7.3284, 145, -7.3284, 345},
};

// The surface as the grid leaves it, plus a recognisable ForeColor.
RecordingSurface surface_after_grid() {
    RecordingSurface surface;
    surface.ForeColor(kSentinel);
    surface.DrawWidth(1);
    surface.clear();
    return surface;
}

TEST(EngineOutline, EightShapesInOrder) {
    const EngineGeometry g = make_engine_geometry();
    RecordingSurface surface = surface_after_grid();
    draw_engine_outline(surface, g);
    draw_diagram_axes(surface, g);
    const std::vector<LineCall> lines = surface.lines();
    ASSERT_EQ(lines.size(), std::size(kShapes));
    for (size_t i = 0; i < lines.size(); ++i) {
        const Shape& s = kShapes[i];
        const LineCall& line = lines[i];
        SCOPED_TRACE(s.name);
        EXPECT_EQ(line.mode, s.mode);
        EXPECT_EQ(line.explicit_color, s.explicit_color);
        EXPECT_EQ(line.color(), s.color);
        EXPECT_EQ(line.draw_width, s.width);
        EXPECT_NEAR(line.x1, s.x1, kFourDecimals);
        EXPECT_NEAR(line.y1, s.y1, kFourDecimals);
        EXPECT_NEAR(line.x2, s.x2, kFourDecimals);
        EXPECT_NEAR(line.y2, s.y2, kFourDecimals);
    }
}

TEST(EngineOutline, BoxesTouchNeitherPenNorForeColor) {
    RecordingSurface surface = surface_after_grid();
    draw_engine_outline(surface, make_engine_geometry());
    EXPECT_EQ(surface.lines().size(), surface.calls().size());
    EXPECT_EQ(surface.fore_color(), kSentinel);
    EXPECT_EQ(surface.draw_width(), 1);
}

TEST(EngineOutline, AxesSetPenThreeThenDarkRedAndLeaveThem) {
    RecordingSurface surface = surface_after_grid();
    draw_diagram_axes(surface, make_engine_geometry());
    const auto& calls = surface.calls();
    ASSERT_EQ(calls.size(), 6u);
    ASSERT_TRUE(std::holds_alternative<DrawWidthCall>(calls[0]));
    EXPECT_EQ(std::get<DrawWidthCall>(calls[0]).pixels, 3);
    ASSERT_TRUE(std::holds_alternative<ForeColorCall>(calls[1]));
    EXPECT_EQ(std::get<ForeColorCall>(calls[1]).color, dark_red);
    EXPECT_EQ(surface.draw_width(), 3);
    EXPECT_EQ(surface.fore_color(), dark_red);
}

}  // namespace
}  // namespace hcci
