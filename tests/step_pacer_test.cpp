// SPDX-License-Identifier: MIT
#include "core/animate/step_pacer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/sweep.h"
#include "recording_surface.h"

namespace hcci {
namespace {

constexpr double ms = 1e6;

// A driver on a recording surface, paced by a clock the test moves by hand.
struct Rig {
    RecordingSurface surface;
    RunControl run;
    CycleDriver driver{surface, run};
    double clock_ns = 0;
    double clock_step_ns = 0;  // how far each reading moves the clock
    StepPacer pacer{driver, run, [this] {
                        const double t = clock_ns;
                        clock_ns += clock_step_ns;
                        return t;
                    }};

    // Follows the armed schedule like the window's timer; returns the last result.
    TickResult run_ticks(int max_ticks) {
        TickResult result;
        for (int i = 0; i < max_ticks; ++i) {
            result = pacer.tick();
            if (!result.armed) break;
            clock_ns = std::max(clock_ns, result.next_tick_ns);
        }
        return result;
    }
};

TEST(StepPacer, DefaultPaceSweepsIn18Seconds) {
    Rig rig;
    const TickResult last = rig.run_ticks(100000);
    EXPECT_EQ(last.last, Advance::waiting);
    EXPECT_EQ(rig.driver.step_index(), steps_per_sweep - 1);
    // 18000 paced steps of 1 ms; the schedule never falls behind, so within one frame of 18 s.
    EXPECT_NEAR(rig.clock_ns, 18000 * ms, 17 * ms);
}

TEST(StepPacer, BatchesFollowFramesAtTheDefaultPace) {
    Rig rig;
    TickResult first = rig.pacer.tick();
    EXPECT_EQ(first.steps, 2);  // the unpaced first step, then the first paced one
    EXPECT_DOUBLE_EQ(first.next_tick_ns, 16 * ms);
    rig.clock_ns = first.next_tick_ns;
    TickResult second = rig.pacer.tick();
    EXPECT_EQ(second.steps, 16);
    EXPECT_DOUBLE_EQ(second.next_tick_ns, 32 * ms);
}

TEST(StepPacer, FixedPaceIsFiveTimesFaster) {
    Rig rig;
    rig.pacer.tick();
    rig.pacer.key_typed('/', rig.clock_ns);
    rig.run_ticks(100000);
    EXPECT_NEAR(rig.clock_ns, 18000 * 0.2 * ms, 17 * ms);
}

TEST(StepPacer, ZeroPaceRunsInBatchesOfTheBudget) {
    Rig rig;
    rig.clock_step_ns = 0.5 * ms;
    rig.pacer.tick();
    rig.pacer.key_typed(
        ' ', rig.clock_ns);  // freeze and unfreeze at one freeze point: the pace is now 0
    rig.pacer.key_typed(' ', rig.clock_ns);
    rig.clock_ns = 100 * ms;
    const TickResult result = rig.pacer.tick();
    EXPECT_EQ(result.steps, 16);  // 8 ms of work at 0.5 ms a step
    EXPECT_TRUE(result.armed);
    EXPECT_DOUBLE_EQ(result.next_tick_ns, 116 * ms);
}

TEST(StepPacer, StalledMachineDropsTheBacklog) {
    Rig rig;
    TickResult result = rig.pacer.tick();
    rig.clock_ns = 5000 * ms;
    result = rig.pacer.tick();
    EXPECT_EQ(result.steps, 1);
    EXPECT_DOUBLE_EQ(result.next_tick_ns, 5016 * ms);
}

TEST(StepPacer, ALongDelayFollowsAPaceChange) {
    Rig rig;
    rig.pacer.tick();
    rig.run.stepe = 1e300;  // many presses of "."
    rig.clock_ns = 16 * ms;
    TickResult result = rig.pacer.tick();
    EXPECT_GT(result.next_tick_ns, 1e300);
    rig.pacer.key_typed('/', rig.clock_ns);
    ASSERT_TRUE(rig.pacer.armed());
    EXPECT_LE(rig.pacer.next_tick_ns(), 32 * ms);
}

TEST(StepPacer, FreezeAndWaitArmNothing) {
    Rig rig;
    rig.pacer.tick();
    rig.pacer.key_typed(' ', rig.clock_ns);
    rig.clock_ns = 16 * ms;
    TickResult result = rig.pacer.tick();
    EXPECT_FALSE(result.armed);
    EXPECT_EQ(result.last, Advance::frozen);
    EXPECT_FALSE(rig.pacer.armed());

    // Released an hour later: the next step is due at once, not an hour's worth of steps.
    rig.clock_ns = 3600e9;
    EXPECT_EQ(rig.pacer.key_typed(' ', rig.clock_ns).steps, 0);
    rig.pacer.key_typed('/', rig.clock_ns);  // paced again
    result = rig.pacer.tick();
    EXPECT_EQ(result.steps, 1);
    EXPECT_TRUE(result.armed);
}

}  // namespace
}  // namespace hcci

namespace hcci {
namespace {

// Keys at the freeze points they fall into, whatever the batching. At the default pace step n of
// a sweep is due at (n - 1) ms (the first step has no delay), so its freeze point is at n ms.
struct KeyAt {
    double at_ms;
    std::uint16_t key;
};

struct KeyTimingCase {
    const char* name;
    std::vector<KeyAt> keys;
    long cycles;        // after the next batch
    DriverState state;  // after the next batch
    int step;           // the step shown after the next batch
};

class KeyTiming : public ::testing::TestWithParam<KeyTimingCase> {};

TEST_P(KeyTiming, EachKeyActsAtTheFreezePointOfItsStep) {
    const KeyTimingCase& c = GetParam();
    // Handled as they arrive, or together after the window was busy until 15.9 ms.
    for (const bool handled_late : {false, true}) {
        SCOPED_TRACE(handled_late ? "handled late" : "handled as they arrive");
        Rig rig;
        rig.pacer.tick();  // steps 0 and 1 at 0 ms; the next batch is due at 16 ms
        for (const KeyAt& key : c.keys) {
            rig.clock_ns = handled_late ? 15.9 * ms : key.at_ms * ms;
            rig.pacer.key_typed(key.key, key.at_ms * ms);
        }
        rig.clock_ns = 16 * ms;
        rig.pacer.tick();
        EXPECT_EQ(rig.driver.cycles(), c.cycles);
        EXPECT_EQ(rig.driver.state(), c.state);
        EXPECT_EQ(rig.driver.step_index(), c.step);
    }
}

INSTANTIATE_TEST_SUITE_P(
    StepPacer, KeyTiming,
    ::testing::Values(
        // Enter at 5.5 ms: the freeze point of step 6 restarts; the new cycle's step 0 is due at
        // 6 ms, its step n at (5 + n) ms, so the batch at 16 ms ends with step 11.
        KeyTimingCase{"enter_restarts_at_its_step", {{5.5, 13}}, 2, DriverState::sweeping, 11},
        // Two Enter presses within one step cancel, as in one event pump.
        KeyTimingCase{
            "two_enters_in_one_step_cancel", {{5.2, 13}, {5.7, 13}}, 1, DriverState::sweeping, 17},
        // Five steps apart they do not: a restart at 6 ms, another at 11 ms.
        KeyTimingCase{"two_enters_5_ms_apart_restart_twice",
                      {{5.5, 13}, {10.5, 13}},
                      3,
                      DriverState::sweeping,
                      6},
        // Enter, then Space in the same frame: the new cycle freezes, at its step 5 (10 ms).
        KeyTimingCase{"enter_then_space_freezes_the_new_cycle",
                      {{5.5, 13}, {10.5, ' '}},
                      2,
                      DriverState::frozen,
                      5},
        // Space, then Enter within one step: freezing beats the restart.
        KeyTimingCase{"space_then_enter_in_one_step_freeze_the_old_cycle",
                      {{5.2, ' '}, {5.7, 13}},
                      1,
                      DriverState::frozen,
                      6},
        // "/" at 5.5 ms cuts the delay running since step 6 to 0.2 ms: step 7 is overdue (5.2 ms)
        // and step 61 falls due at 16 ms.
        KeyTimingCase{
            "pace_takes_effect_on_the_running_delay", {{5.5, '/'}}, 1, DriverState::sweeping, 61}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StepPacer, UnpacedStepsHaveNoTimeOfTheirOwnSoAKeyActsAtOnce) {
    Rig rig;
    rig.pacer.tick();
    rig.pacer.key_typed(' ', rig.clock_ns);
    rig.pacer.key_typed(' ', rig.clock_ns);  // released at once: unpaced now
    rig.clock_ns = 1 * ms;
    const int before = rig.driver.step_index();
    EXPECT_EQ(rig.pacer.key_typed(13, rig.clock_ns).steps, 0);
    EXPECT_EQ(rig.driver.step_index(), before);
    rig.pacer.tick();
    EXPECT_EQ(rig.driver.cycles(), 2);
}

TEST(StepPacer, KeysWhileHeldActTogetherAtTheHeldFreezePoint) {
    Rig rig;
    rig.pacer.tick();
    rig.pacer.key_typed(' ', rig.clock_ns);
    rig.pacer.tick();
    ASSERT_EQ(rig.driver.state(), DriverState::frozen);
    // Two Space presses while frozen, whenever they come, leave it frozen.
    rig.clock_ns = 1000 * ms;
    rig.pacer.key_typed(' ', rig.clock_ns);
    rig.clock_ns = 1005 * ms;
    rig.pacer.key_typed(' ', rig.clock_ns);
    EXPECT_EQ(rig.pacer.tick().last, Advance::frozen);
    EXPECT_EQ(rig.pacer.key_typed(27, rig.clock_ns).end_program, true);
}

}  // namespace
}  // namespace hcci
