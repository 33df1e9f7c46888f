#include "step_pacer.h"

#include <gtest/gtest.h>

#include "recording_surface.h"
#include "sweep.h"

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
    StepPacer pacer{driver, [this] {
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
    rig.run.stepe = 10000;
    rig.pacer.pace_changed();
    rig.run_ticks(100000);
    EXPECT_NEAR(rig.clock_ns, 18000 * 0.2 * ms, 17 * ms);
}

TEST(StepPacer, ZeroPaceRunsInBatchesOfTheBudget) {
    Rig rig;
    rig.clock_step_ns = 0.5 * ms;
    rig.pacer.tick();
    rig.run.stepe = 0;
    rig.pacer.pace_changed();
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
    rig.run.stepe = 10000;  // "/"
    result = rig.pacer.pace_changed();
    ASSERT_TRUE(result.armed);
    EXPECT_LE(result.next_tick_ns, 32 * ms);
}

TEST(StepPacer, FreezeAndWaitArmNothing) {
    Rig rig;
    rig.pacer.tick();
    rig.run.stopp = 1;
    rig.clock_ns = 16 * ms;
    TickResult result = rig.pacer.tick();
    EXPECT_FALSE(result.armed);
    EXPECT_EQ(result.last, Advance::frozen);
    EXPECT_FALSE(rig.pacer.armed());
    EXPECT_FALSE(rig.pacer.pace_changed().armed);

    // Released an hour later: the next step is due at once, not an hour's worth of steps.
    rig.run.stopp = 0;
    rig.clock_ns = 3600e9;
    result = rig.pacer.tick();
    EXPECT_EQ(result.steps, 1);
    EXPECT_TRUE(result.armed);
}

}  // namespace
}  // namespace hcci
