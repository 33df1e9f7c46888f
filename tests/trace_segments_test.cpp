// SPDX-License-Identifier: MIT
#include "core/draw/trace_segments.h"

#include <gtest/gtest.h>

#include <optional>
#include <variant>
#include <vector>

#include "core/model/cycle_record.h"
#include "recording_surface.h"

namespace hcci {
namespace {

// Coordinates are stated to four decimals.
constexpr double kFourDecimals = 5e-5;
constexpr double kMappingTolerance = 1e-12;

struct StepCalls {
    double crank_angle;
    int phase;
    std::vector<SurfaceCall> calls;
};

// One sweep of the real model, with each step's trace drawing recorded separately.
const std::vector<StepCalls>& traced_sweep() {
    static const std::vector<StepCalls> steps = [] {
        const CycleRecord record = run_cycle({});
        RecordingSurface surface;
        std::vector<StepCalls> result;
        result.reserve(steps_per_sweep);
        for (int step = 0; step < CycleRecord::steps(); ++step) {
            surface.clear();
            draw_trace_segments(surface, record, step);
            result.push_back({CycleRecord::crank_angle(step),
                              record.phase[static_cast<std::size_t>(step)], surface.calls()});
        }
        return result;
    }();
    return steps;
}

size_t first_step_of_phase(int phase) {
    const auto& steps = traced_sweep();
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].phase == phase) return i;
    }
    ADD_FAILURE() << "phase " << phase << " never runs";
    return 0;
}

std::vector<LineCall> lines_of(const StepCalls& step) {
    std::vector<LineCall> lines;
    for (const auto& call : step.calls) {
        if (const auto* line = std::get_if<LineCall>(&call)) lines.push_back(*line);
    }
    return lines;
}

struct Segment {
    const char* name;
    Color color;
    double x1, y1, x2, y2;
};

void expect_segments(const StepCalls& step, const std::vector<Segment>& expected) {
    const std::vector<LineCall> lines = lines_of(step);
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Segment& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(lines[i].color(), e.color);
        EXPECT_NEAR(lines[i].x1, e.x1, kFourDecimals);
        EXPECT_NEAR(lines[i].y1, e.y1, kFourDecimals);
        EXPECT_NEAR(lines[i].x2, e.x2, kFourDecimals);
        EXPECT_NEAR(lines[i].y2, e.y2, kFourDecimals);
    }
}

TEST(TraceMapping, PressureUpwardsAndTemperatureDownwards) {
    const EngineGeometry g = make_engine_geometry();
    struct Row {
        double value, pressure_y, temperature_y;
    };
    const Row rows[] = {
        {0, -145, 145},
        {1, -146, 145 + 1.0 / 11},
        {155, -300, 145 + 155.0 / 11},
        {323, -468, 174.36363636363637},
        {2200, -2345, 345},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "value " << r.value);
        EXPECT_NEAR(pressure_y(g, r.value), r.pressure_y, kMappingTolerance);
        EXPECT_NEAR(temperature_y(g, r.value), r.temperature_y, kMappingTolerance);
    }
}

TEST(TraceSegments, FirstStepDrawsNothingAndLeavesThePen) {
    const CycleRecord record = run_cycle({});
    RecordingSurface surface;
    surface.DrawWidth(3);
    surface.clear();
    draw_trace_segments(surface, record, 0);
    EXPECT_TRUE(surface.calls().empty());
    EXPECT_EQ(surface.draw_width(), 3);
    EXPECT_TRUE(traced_sweep().front().calls.empty());
}

// Every later step sets pen width 2 and then draws its segments in explicit colours: blue
// pressure and temperature while united, red then green for each quantity while divided.
TEST(TraceSegments, EveryStepSetsPenTwoThenDrawsItsPhaseSegments) {
    const auto& steps = traced_sweep();
    ASSERT_EQ(steps.size(), static_cast<size_t>(steps_per_sweep));
    for (size_t i = 1; i < steps.size(); ++i) {
        const StepCalls& step = steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i << " at " << step.crank_angle);
        const std::vector<Color> colours = is_divided_phase(step.phase)
                                               ? std::vector<Color>{red, green, red, green}
                                               : std::vector<Color>{blue, blue};
        ASSERT_EQ(step.calls.size(), colours.size() + 1);
        const auto* width = std::get_if<DrawWidthCall>(&step.calls[0]);
        ASSERT_NE(width, nullptr);
        EXPECT_EQ(width->pixels, 2);
        const std::vector<LineCall> lines = lines_of(step);
        ASSERT_EQ(lines.size(), colours.size());
        for (size_t k = 0; k < lines.size(); ++k) {
            EXPECT_EQ(lines[k].mode, LineMode::line);
            EXPECT_EQ(lines[k].explicit_color, std::optional<Color>(colours[k]));
            EXPECT_EQ(lines[k].draw_width, 2);
        }
        // Pressures above the engine, temperatures below it.
        const size_t half = lines.size() / 2;
        for (size_t k = 0; k < lines.size(); ++k) {
            if (k < half) {
                EXPECT_LE(lines[k].y2, -145.0f);
            } else {
                EXPECT_GE(lines[k].y2, 145.0f);
            }
        }
    }
}

TEST(TraceSegments, SecondStepStartsFromTheFirstStepsPoint) {
    const StepCalls& step = traced_sweep()[1];
    EXPECT_DOUBLE_EQ(step.crank_angle, -89.98);
    expect_segments(step, {{"pressure", blue, 100, -146, 100, -146},
                           {"temperature", blue, 100, 174.3636, 100, 174.3636}});
    // In single precision the piston has not yet moved.
    for (const LineCall& line : lines_of(step)) {
        EXPECT_EQ(line.x1, line.x2);
        EXPECT_EQ(line.y1, line.y2);
    }
}

TEST(TraceSegments, FirstDividedStepBranchesFromTheBlueTrace) {
    const size_t i = first_step_of_phase(2);
    const StepCalls& step = traced_sweep()[i];
    EXPECT_DOUBLE_EQ(step.crank_angle, 57.00000000000255);
    expect_segments(step, {
                              {"aux pressure", red, 9.9406, -157.907, 9.9291, -157.9244},
                              {"main pressure", green, 9.9406, -157.907, 9.9291, -157.918},
                              {"aux temperature", red, 9.9406, 205.9802, 9.9291, 206.0037},
                              {"main temperature", green, 9.9406, 205.9802, 9.9291, 205.995},
                          });
    // Red and green both start exactly where the blue traces ended.
    const std::vector<LineCall> blue_lines = lines_of(traced_sweep()[i - 1]);
    const std::vector<LineCall> lines = lines_of(step);
    for (size_t k = 0; k < lines.size(); ++k) {
        const LineCall& blue_end = blue_lines[k / 2];
        EXPECT_EQ(lines[k].x1, blue_end.x2) << "segment " << k;
        EXPECT_EQ(lines[k].y1, blue_end.y2) << "segment " << k;
    }
}

TEST(TraceSegments, BlueResumesFromTheMergedStateAtThePistonsLastPlace) {
    const size_t i = first_step_of_phase(3);
    const StepCalls& last_divided = traced_sweep()[i - 1];
    EXPECT_DOUBLE_EQ(last_divided.crank_angle, 78.98000000000066);
    const std::vector<LineCall> divided = lines_of(last_divided);
    ASSERT_EQ(divided.size(), 4u);
    EXPECT_NEAR(divided[0].x2, 1.1505, kFourDecimals);
    EXPECT_NEAR(divided[0].y2, -293.067, kFourDecimals);
    EXPECT_NEAR(divided[1].x2, 1.1505, kFourDecimals);
    EXPECT_NEAR(divided[1].y2, -175.7318, kFourDecimals);

    const StepCalls& step = traced_sweep()[i];
    EXPECT_DOUBLE_EQ(step.crank_angle, 79.00000000000065);
    expect_segments(step, {{"pressure", blue, 1.1505, -190.3428, 1.1463, -190.3739},
                           {"temperature", blue, 1.1505, 250.1818, 1.1463, 250.2024}});
    EXPECT_EQ(lines_of(step)[0].x1, divided[0].x2);
}

TEST(TraceSegments, ExpansionResumesBlueAfterTheSecondDivision) {
    const StepCalls& step = traced_sweep()[first_step_of_phase(5)];
    EXPECT_DOUBLE_EQ(step.crank_angle, 123.0199999999919);
    const std::vector<LineCall> lines = lines_of(step);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color(), blue);
    EXPECT_NEAR(lines[0].x1, 9.9291, kFourDecimals);
    EXPECT_NEAR(lines[0].y1, -171.1198, kFourDecimals);
    EXPECT_NEAR(lines[0].x2, 9.9406, kFourDecimals);
    EXPECT_NEAR(lines[0].y2, -171.0954, kFourDecimals);
}

}  // namespace
}  // namespace hcci
