// SPDX-License-Identifier: MIT
#include "core/model/sweep.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "core/animate/cycle_driver.h"
#include "core/animate/run_control.h"
#include "core/model/readout.h"
#include "model_sweep.h"
#include "recording_surface.h"

namespace hcci {
namespace {

TEST(Sweep, StepAndBoundAreTheDoublesNearestTheirDecimals) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(angle_step), 0x3F947AE147AE147Bu);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(sweep_upper_bound), 0x4070E028F5C28F5Cu);
}

TEST(Sweep, RepeatedAdditionGives18001StepsEndingJustPast270) {
    const auto& steps = model_sweep();
    ASSERT_EQ(steps.size(), static_cast<std::size_t>(steps_per_sweep));
    EXPECT_EQ(steps.front().crank_angle, -90);
    EXPECT_EQ(steps.back().crank_angle, 270.00000000004366);
    EXPECT_FALSE(within_sweep(steps.back().crank_angle + angle_step));
}

TEST(Sweep, PhasesBeginWhereTheAccumulatedAngleFalls) {
    const auto& steps = model_sweep();
    const struct {
        int step;
        double crank_angle;
        int phase;
    } boundaries[] = {
        {7350, 57.00000000000255, 2},  {8450, 79.00000000000065, 3},  {9550, 100.99999999999628, 3},
        {9551, 101.01999999999627, 4}, {10650, 122.9999999999919, 4}, {10651, 123.0199999999919, 5},
    };
    for (const auto& row : boundaries) {
        const SweepStep& step = steps.at(static_cast<std::size_t>(row.step));
        EXPECT_EQ(step.crank_angle, row.crank_angle) << "step " << row.step;
        EXPECT_EQ(step.phase, row.phase) << "step " << row.step;
    }

    std::array<int, 6> length{};
    std::array<int, 6> first{-1, -1, -1, -1, -1, -1};
    int previous_phase = 1;
    for (const SweepStep& step : steps) {
        ASSERT_GE(step.phase, previous_phase) << "step " << step.index;
        previous_phase = step.phase;
        const auto phase = static_cast<std::size_t>(step.phase);
        if (first[phase] < 0) first[phase] = step.index;
        ++length[phase];
    }
    EXPECT_EQ(first, (std::array<int, 6>{-1, 0, 7350, 8450, 9551, 10651}));
    EXPECT_EQ(length, (std::array<int, 6>{0, 7350, 1100, 1101, 1100, 7350}));
}

// floor(k * 0.02 - 180) in exact decimal arithmetic: floor((2k - 18000) / 100).
long exact_readout(int k) {
    const int hundredths = 2 * k - 18000;
    return hundredths >= 0 ? hundredths / 100 : -((-hundredths + 99) / 100);
}

TEST(Readout, ShowsTheAccumulatedAngleFromTopDeadCentreRoundedDown) {
    const auto& steps = model_sweep();
    const struct {
        int step;
        const char* text;
    } rows[] = {
        {0, "-180"},  {50, "-180"}, {51, "-179"}, {4500, "-91"},  {4501, "-90"},
        {9000, "-1"}, {9001, "0"},  {9050, "0"},  {18000, "180"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            readout_text(readout_value(steps.at(static_cast<std::size_t>(row.step)).crank_angle)),
            row.text)
            << "step " << row.step;
    }
    for (int k = 0; k <= 50; ++k) {
        EXPECT_EQ(readout_text(readout_value(steps[static_cast<std::size_t>(k)].crank_angle)),
                  "-180")
            << "step " << k;
    }
}

TEST(Readout, LagsExactArithmeticByOneAt193Steps) {
    int behind = 0;
    for (const SweepStep& step : model_sweep()) {
        const long shown = readout_value(step.crank_angle);
        const long exact = exact_readout(step.index);
        ASSERT_TRUE(shown == exact || shown == exact - 1)
            << "step " << step.index << " shows " << shown << " instead of " << exact;
        if (shown != exact) ++behind;
    }
    EXPECT_EQ(behind, 193);
}

TEST(Readout, TextIsDigitsWithALeadingMinusOnly) {
    EXPECT_EQ(readout_text(-180), "-180");
    EXPECT_EQ(readout_text(-1), "-1");
    EXPECT_EQ(readout_text(0), "0");
    EXPECT_EQ(readout_text(7), "7");
    EXPECT_EQ(readout_text(180), "180");
}

TEST(Sweep, CycleDriverRunsTheSameStepsAsThePlainModelLoop) {
    RecordingSurface surface;
    RunControl run;
    CycleDriver driver(surface, run);
    for (const SweepStep& expected : model_sweep()) {
        ASSERT_EQ(driver.advance(), Advance::stepped) << "step " << expected.index;
        surface.clear();
        ASSERT_EQ(driver.step_index(), expected.index);
        ASSERT_EQ(driver.crank_angle(), expected.crank_angle) << "step " << expected.index;
        ASSERT_EQ(driver.phase(), expected.phase) << "step " << expected.index;
        ASSERT_EQ(driver.readout(), readout_value(expected.crank_angle))
            << "step " << expected.index;
        const auto i = static_cast<std::size_t>(expected.index);
        ASSERT_EQ(driver.record().piston_pos[i], expected.model.piston_pos);
        ASSERT_EQ(driver.record().charge(ChargeName::united).pressure[i],
                  expected.model.united_pressure);
    }
    EXPECT_EQ(driver.advance(), Advance::waiting);
}

}  // namespace
}  // namespace hcci
