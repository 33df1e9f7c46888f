// SPDX-License-Identifier: MIT
#include "core/animate/cycle_driver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <variant>

#include "core/model/sweep.h"
#include "recording_surface.h"

namespace hcci {
namespace {

struct Rig {
    RecordingSurface surface;
    RunControl run;
    CycleDriver driver{surface, run};

    // Advances until the driver stops stepping; returns the steps run.
    int run_until_held() {
        int steps = 0;
        while (driver.advance() == Advance::stepped) ++steps;
        return steps;
    }
    int cls_count() const {
        int n = 0;
        for (const auto& call : surface.calls()) n += std::holds_alternative<ClsCall>(call);
        return n;
    }
};

TEST(CycleDriver, FirstStepComputesButNeitherDrawsNorPaces) {
    Rig rig;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.driver.step_index(), 0);
    EXPECT_EQ(rig.driver.crank_angle(), -90);
    EXPECT_EQ(rig.driver.readout(), -180);
    EXPECT_EQ(rig.driver.pacing(), 0);
    EXPECT_DOUBLE_EQ(rig.driver.record().charge(ChargeName::united).pressure[0], 1);
    EXPECT_EQ(rig.run.stepe, 50000);
    // Only the background: 46 grid lines, 4 boxes, 4 axes.
    EXPECT_EQ(rig.surface.lines().size(), 54u);

    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.driver.pacing(), 50000);
    EXPECT_EQ(rig.surface.lines().size(), 54u + 2 + 34);
}

TEST(CycleDriver, SweepHas18001StepsThenWaits) {
    Rig rig;
    EXPECT_EQ(rig.run_until_held(), steps_per_sweep);
    EXPECT_EQ(rig.driver.state(), DriverState::waiting);
    EXPECT_EQ(rig.driver.step_index(), steps_per_sweep - 1);
    EXPECT_EQ(rig.driver.crank_angle(), 270.00000000004366);
    EXPECT_EQ(rig.driver.readout(), 180);
    // The finished picture stays while events come and go.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.driver.advance(), Advance::waiting);
    EXPECT_EQ(rig.cls_count(), 0);
}

TEST(CycleDriver, PhasesRunInOrderWithTheirFirstSteps) {
    Rig rig;
    int previous_phase = 0;
    int first_steps[6] = {};
    while (rig.driver.advance() == Advance::stepped) {
        const int phase = rig.driver.phase();
        ASSERT_GE(phase, previous_phase);
        if (phase != previous_phase) first_steps[phase] = rig.driver.step_index();
        previous_phase = phase;
    }
    EXPECT_EQ(first_steps[1], 0);
    EXPECT_EQ(first_steps[2], 7350);
    EXPECT_EQ(first_steps[3], 8450);
    EXPECT_EQ(first_steps[4], 9551);
    EXPECT_EQ(first_steps[5], 10651);
}

TEST(CycleDriver, EnterWhileWaitingClearsAndStartsAFreshCycle) {
    Rig rig;
    rig.run_until_held();
    rig.run.stepe = 10000;
    rig.run.loopy = 1;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.cls_count(), 1);
    EXPECT_EQ(rig.run.loopy, 0);
    EXPECT_EQ(rig.run.stepe, 50000);
    EXPECT_EQ(rig.driver.step_index(), 0);
    EXPECT_EQ(rig.driver.crank_angle(), -90);
    EXPECT_EQ(rig.driver.cycles(), 2);
    EXPECT_EQ(rig.run_until_held(), steps_per_sweep - 1);
}

TEST(CycleDriver, EnterDuringTheSweepRestartsAtTheNextFreezePoint) {
    Rig rig;
    for (int i = 0; i < 100; ++i) rig.driver.advance();
    rig.run.stepe = 123;
    rig.run.loopy = 1;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.cls_count(), 1);
    EXPECT_EQ(rig.driver.step_index(), 0);
    EXPECT_EQ(rig.run.stepe, 50000);
    EXPECT_EQ(rig.run.loopy, 0);
}

TEST(CycleDriver, FreezeHoldsTheSweepAndBeatsAPendingRestart) {
    Rig rig;
    for (int i = 0; i < 10; ++i) rig.driver.advance();
    rig.run.stopp = 1;
    rig.run.loopy = 1;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rig.driver.advance(), Advance::frozen);
    EXPECT_EQ(rig.driver.step_index(), 9);
    EXPECT_EQ(rig.cls_count(), 0);
    rig.run.stopp = 0;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.cls_count(), 1);
    EXPECT_EQ(rig.driver.step_index(), 0);
}

TEST(CycleDriver, ReleasedFreezeContinuesWithTheNextStep) {
    Rig rig;
    for (int i = 0; i < 10; ++i) rig.driver.advance();
    rig.run.stopp = 1;
    EXPECT_EQ(rig.driver.advance(), Advance::frozen);
    rig.run.stopp = 0;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.driver.step_index(), 10);
}

TEST(CycleDriver, EnterWhileWaitingAndFrozenRestartsThenHoldsAfterTheFirstStep) {
    Rig rig;
    rig.run_until_held();
    rig.run.stopp = 1;
    EXPECT_EQ(rig.driver.advance(), Advance::waiting);
    rig.run.loopy = 1;
    ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    EXPECT_EQ(rig.driver.step_index(), 0);
    EXPECT_EQ(rig.driver.advance(), Advance::frozen);
    EXPECT_EQ(rig.driver.step_index(), 0);
}

TEST(CycleDriver, FreezeAtTheLastStepHoldsBeforeTheWait) {
    Rig rig;
    for (int i = 0; i < steps_per_sweep; ++i) ASSERT_EQ(rig.driver.advance(), Advance::stepped);
    rig.run.stopp = 1;
    EXPECT_EQ(rig.driver.advance(), Advance::frozen);
    rig.run.stopp = 0;
    EXPECT_EQ(rig.driver.advance(), Advance::waiting);
}

TEST(CycleDriver, PaceChangeLastsOnlyUntilTheNextCycle) {
    Rig rig;
    for (int i = 0; i < 5; ++i) rig.driver.advance();
    rig.run.stepe = 45000;
    rig.driver.advance();
    EXPECT_EQ(rig.driver.pacing(), 45000);
    rig.run.stepe = 0.5;  // a pace key while the delay runs
    EXPECT_EQ(rig.driver.pacing(), 0);
    rig.run.loopy = 1;
    rig.driver.advance();
    rig.driver.advance();
    EXPECT_EQ(rig.driver.pacing(), 50000);
}

TEST(CycleDriver, EndClearsAndStopsForGood) {
    Rig rig;
    rig.driver.advance();
    rig.driver.end_program();
    EXPECT_EQ(rig.cls_count(), 1);
    EXPECT_EQ(rig.driver.state(), DriverState::ended);
    rig.run.loopy = 1;
    EXPECT_EQ(rig.driver.advance(), Advance::ended);
}

TEST(CycleDriver, ReadoutFollowsTheAccumulatedAngle) {
    Rig rig;
    const struct {
        int step;
        long readout;
    } rows[] = {{0, -180},  {50, -180}, {51, -179},  {4500, -91},
                {9000, -1}, {9001, 0},  {18000, 180}};
    std::size_t next = 0;
    while (rig.driver.advance() == Advance::stepped && next < std::size(rows)) {
        if (rig.driver.step_index() == rows[next].step) {
            EXPECT_EQ(rig.driver.readout(), rows[next].readout) << "step " << rows[next].step;
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(rows));
}

// run_to is the advance() loop that every picture, video frame, timeline and replay uses.
TEST(CycleDriver, RunToIsAsManyAdvancesAndLooksAtTheClockEvery64Steps) {
    Rig stepped, ran;
    for (int i = 0; i <= 777; ++i) ASSERT_EQ(stepped.driver.advance(), Advance::stepped);
    int looks = 0;
    const auto out_of_time = [&looks] { return ++looks == 5; };
    EXPECT_FALSE(ran.driver.run_to(777, out_of_time));
    EXPECT_EQ(ran.driver.step_index(), 5 * steps_per_time_check - 1);
    EXPECT_TRUE(ran.driver.run_to(777, out_of_time));
    EXPECT_EQ(ran.driver.step_index(), 777);
    EXPECT_EQ(ran.surface.calls(), stepped.surface.calls());
    EXPECT_EQ(ran.driver.readout(), stepped.driver.readout());
    // Where it stands already, it stays.
    EXPECT_TRUE(ran.driver.run_to(777, [] { return true; }));
    EXPECT_EQ(ran.surface.calls().size(), stepped.surface.calls().size());
}

TEST(CycleDriver, RunToRefusesAStepItCannotReach) {
    Rig rig;
    EXPECT_THROW(rig.driver.run_to(last_step + 1), std::logic_error);
    ASSERT_TRUE(rig.driver.run_to(100));
    EXPECT_THROW(rig.driver.run_to(99), std::logic_error);
    rig.run.stopp = 1;
    EXPECT_THROW(rig.driver.run_to(200), std::logic_error);
    EXPECT_EQ(rig.driver.state(), DriverState::frozen);
}

}  // namespace
}  // namespace hcci
