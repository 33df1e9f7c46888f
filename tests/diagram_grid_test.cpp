// SPDX-License-Identifier: MIT
#include "core/draw/diagram_grid.h"

#include <gtest/gtest.h>

#include <optional>
#include <variant>
#include <vector>

#include "recording_surface.h"

namespace hcci {
namespace {

constexpr double kFourDecimals = 5e-5;
constexpr size_t kTemperatureLines = 25;
constexpr size_t kPressureLines = 21;

std::vector<LineCall> grid_lines() {
    RecordingSurface surface;
    draw_diagram_grid(surface, make_engine_geometry());
    return surface.lines();
}

TEST(DiagramGrid, TellingRows) {
    enum Family { temperature, pressure };
    struct Row {
        Family family;
        int level;
        int width;
        double y, end_x;
    };
    const Row rows[] = {
        {temperature, 100, 1, 154.0909, 100},    {temperature, 400, 1, 181.3636, 100},
        {temperature, 500, 2, 190.4545, 100},    {temperature, 600, 1, 199.5455, 93.75},
        {temperature, 1000, 2, 235.9091, 68.75}, {temperature, 2000, 2, 326.8182, 6.25},
        {temperature, 2100, 1, 335.9091, 0},     {temperature, 2200, 1, 345, 0},
        {temperature, 2500, 2, 372.2727, 0},     {pressure, 0, 2, -145, 100},
        {pressure, 10, 1, -155, 93.3333},        {pressure, 50, 2, -195, 66.6667},
        {pressure, 100, 2, -245, 33.3333},       {pressure, 150, 2, -295, 0},
        {pressure, 160, 1, -305, -6.6667},       {pressure, 200, 2, -345, -33.3333},
    };
    const std::vector<LineCall> lines = grid_lines();
    ASSERT_EQ(lines.size(), kTemperatureLines + kPressureLines);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << (r.family == temperature ? "temperature " : "pressure ") << r.level);
        const size_t index = r.family == temperature ? static_cast<size_t>(r.level / 100 - 1)
                                                     : kTemperatureLines + r.level / 10;
        const LineCall& line = lines[index];
        EXPECT_EQ(line.draw_width, r.width);
        EXPECT_EQ(line.x1, 0.0f);
        EXPECT_NEAR(line.y1, r.y, kFourDecimals);
        EXPECT_NEAR(line.x2, r.end_x, kFourDecimals);
        EXPECT_EQ(line.y2, line.y1);
    }
}

TEST(DiagramGrid, TemperatureFirstThenPressureEachInRisingOrder) {
    const std::vector<LineCall> lines = grid_lines();
    ASSERT_EQ(lines.size(), kTemperatureLines + kPressureLines);
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "line " << i);
        const LineCall& line = lines[i];
        EXPECT_EQ(line.mode, LineMode::line);
        EXPECT_EQ(line.explicit_color, std::optional<Color>(silver));
        EXPECT_EQ(line.x1, 0.0f);
        EXPECT_EQ(line.y1, line.y2);
        if (i < kTemperatureLines) {
            const int level = static_cast<int>(i + 1) * 100;
            EXPECT_NEAR(line.y1, 145 + level / 11.0, kFourDecimals);
            EXPECT_EQ(line.draw_width, level % 500 == 0 ? 2 : 1);
            EXPECT_GE(line.x2, 0.0f);  // clamped at zero length
        } else {
            const int level = static_cast<int>(i - kTemperatureLines) * 10;
            EXPECT_EQ(line.y1, static_cast<float>(-145 - level));
            EXPECT_EQ(line.draw_width, level % 50 == 0 ? 2 : 1);
        }
    }
}

TEST(DiagramGrid, LeavesPenWidthOneAndForeColorAlone) {
    RecordingSurface surface;
    surface.ForeColor(blue);
    surface.DrawWidth(3);
    surface.clear();
    draw_diagram_grid(surface, make_engine_geometry());
    EXPECT_EQ(surface.draw_width(), 1);
    EXPECT_EQ(surface.fore_color(), blue);
    // The pen is set before every line, and once more at the end.
    const auto& calls = surface.calls();
    ASSERT_EQ(calls.size(), 2 * (kTemperatureLines + kPressureLines) + 1);
    for (size_t i = 0; i + 1 < calls.size(); i += 2) {
        EXPECT_TRUE(std::holds_alternative<DrawWidthCall>(calls[i])) << "call " << i;
        EXPECT_TRUE(std::holds_alternative<LineCall>(calls[i + 1])) << "call " << i + 1;
    }
    ASSERT_TRUE(std::holds_alternative<DrawWidthCall>(calls.back()));
    EXPECT_EQ(std::get<DrawWidthCall>(calls.back()).pixels, 1);
    for (const auto& call : calls) EXPECT_FALSE(std::holds_alternative<ForeColorCall>(call));
}

}  // namespace
}  // namespace hcci
