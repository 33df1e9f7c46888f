// SPDX-License-Identifier: MIT
#include "core/model/stepper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/model/combustion_model.h"

namespace hcci {
namespace {

bool same_bits(const CombustionModel& a, const CombustionModel& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Stepper, StepsThroughTheAccumulatedSweepOnceAndThenStops) {
    Stepper stepper;
    EXPECT_EQ(stepper.step_index(), -1);
    double angle = sweep_start_angle;
    int steps = 0;
    while (stepper.step()) {
        ASSERT_EQ(stepper.step_index(), steps);
        ASSERT_EQ(stepper.crank_angle(), angle) << "step " << steps;
        ASSERT_EQ(stepper.phase(), phase_of(stepper.geometry(), angle));
        angle = angle + angle_step;
        ++steps;
    }
    EXPECT_EQ(steps, steps_per_sweep);
    EXPECT_TRUE(stepper.complete());
    // Past the end nothing moves.
    const CombustionModel last = stepper.state();
    EXPECT_FALSE(stepper.update());
    EXPECT_EQ(stepper.step_index(), last_step);
    EXPECT_TRUE(same_bits(stepper.state(), last));
}

// The update and the hand-over are the model's own two halves of step_model, in that order.
TEST(Stepper, ItsStepIsTheModelsStepAndHandsOverBetweenPhases) {
    const EngineParameters parameters;
    const EngineGeometry g = make_engine_geometry(parameters);
    CombustionModel model;
    reset_model(model, g);
    Stepper stepper(parameters);
    int merges_seen = 0;
    while (stepper.update()) {
        CombustionModel updated = model;
        update_model(updated, g, stepper.crank_angle(), stepper.crank());
        ASSERT_TRUE(same_bits(stepper.state(), updated)) << "step " << stepper.step_index();
        const double before = stepper.state().united_pressure;
        stepper.hand_over();
        step_model(model, g, stepper.crank_angle(), stepper.crank());
        ASSERT_TRUE(same_bits(stepper.state(), model)) << "step " << stepper.step_index();
        // The last step of a division hands the merged charge to the united columns.
        const bool merge = is_divided_phase(stepper.phase()) &&
                           !is_divided_phase(phase_of(g, stepper.crank_angle() + angle_step));
        if (merge) {
            ++merges_seen;
            EXPECT_NE(stepper.state().united_pressure, before);
            EXPECT_EQ(stepper.state().united_pressure, stepper.state().merged_pressure);
        }
    }
    EXPECT_EQ(merges_seen, 2);
}

// A snapshot is a copy: it goes on exactly as the original would have.
TEST(Stepper, ACopyGoesOnAsTheOriginal) {
    EngineParameters parameters;
    parameters.gamma = 1.33;
    Stepper original(parameters);
    for (int i = 0; i < 4321; ++i) original.step();
    Stepper copy = original;
    while (original.step()) {
        ASSERT_TRUE(copy.step());
        ASSERT_EQ(copy.crank_angle(), original.crank_angle());
        ASSERT_TRUE(same_bits(copy.state(), original.state())) << original.step_index();
    }
    EXPECT_FALSE(copy.step());
}

TEST(Stepper, RunSweepLooksAtEveryStepAtBothMoments) {
    Stepper stepper;
    std::vector<int> updated, handed_over;
    run_sweep(
        stepper, [&](const Stepper& s) { updated.push_back(s.step_index()); },
        [&](const Stepper& s) { handed_over.push_back(s.step_index()); });
    ASSERT_EQ(updated.size(), static_cast<std::size_t>(steps_per_sweep));
    EXPECT_EQ(updated, handed_over);
    EXPECT_EQ(updated.back(), last_step);
}

}  // namespace
}  // namespace hcci
