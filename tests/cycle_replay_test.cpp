// SPDX-License-Identifier: MIT
#include "core/animate/cycle_replay.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/model/sweep.h"
#include "recording_surface.h"

// Drawing the live cycle afresh, a slice at a time, while the live driver goes on.

namespace hcci {
namespace {

// The calls the replay made since its surface was last cleared: what it shows.
std::vector<SurfaceCall> shown(const RecordingSurface& surface) {
    const auto& calls = surface.calls();
    auto from = calls.begin();
    for (auto it = calls.begin(); it != calls.end(); ++it) {
        if (std::holds_alternative<ClsCall>(*it)) from = it + 1;
    }
    return {from, calls.end()};
}

struct Live {
    RecordingSurface surface;
    RunControl run;
    CycleDriver driver{surface, run};

    void advance(int steps) {
        for (int i = 0; i < steps; ++i) driver.advance();
    }
};

bool same_lines(const std::vector<SurfaceCall>& a, const std::vector<SurfaceCall>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto* x = std::get_if<LineCall>(&a[i]);
        const auto* y = std::get_if<LineCall>(&b[i]);
        if ((x == nullptr) != (y == nullptr)) return false;
        if (x != nullptr &&
            (x->mode != y->mode || x->x1 != y->x1 || x->y1 != y->y1 || x->x2 != y->x2 ||
             x->y2 != y->y2 || x->color() != y->color() || x->draw_width != y->draw_width)) {
            return false;
        }
    }
    return true;
}

TEST(CycleReplay, SlicesChaseTheLiveDriverUntilTheyShowTheSame) {
    Live live;
    live.advance(3000);
    RecordingSurface copy;
    CycleReplay replay(copy);
    int slices = 0;
    int budget = 0;
    // A slice ends when time is up; here, after a few looks at the clock.
    const auto out_of_time = [&] { return ++budget % 4 == 0; };
    while (!replay.catch_up(live.driver, out_of_time)) {
        ++slices;
        live.advance(10);  // the animation goes on between slices
    }
    EXPECT_GT(slices, 5);
    EXPECT_TRUE(same_lines(shown(copy), shown(live.surface)));
}

TEST(CycleReplay, ALiveRestartStartsTheReplayOver) {
    Live live;
    live.advance(5000);
    RecordingSurface copy;
    CycleReplay replay(copy);
    ASSERT_FALSE(replay.catch_up(live.driver, [] { return true; }));
    live.run.loopy = 1;
    live.advance(200);
    ASSERT_EQ(live.driver.cycles(), 2);
    ASSERT_TRUE(replay.catch_up(live.driver, [] { return false; }));
    EXPECT_TRUE(same_lines(shown(copy), shown(live.surface)));
}

TEST(CycleReplay, AFinishedSweepReplaysToItsLastStep) {
    Live live;
    while (live.driver.advance() == Advance::stepped) {
    }
    ASSERT_EQ(live.driver.state(), DriverState::waiting);
    RecordingSurface copy;
    replay_cycle(copy, live.driver);
    EXPECT_TRUE(same_lines(shown(copy), shown(live.surface)));
}

TEST(CycleReplay, NothingToReplayBeforeTheStartOrAfterTheEnd) {
    Live live;
    RecordingSurface copy;
    CycleReplay replay(copy);
    EXPECT_TRUE(replay.catch_up(live.driver, [] { return false; }));
    live.advance(10);
    live.driver.end_program();
    EXPECT_TRUE(replay.catch_up(live.driver, [] { return false; }));
    EXPECT_TRUE(copy.calls().empty());
}

TEST(CycleReplay, ReplaysTheLiveDriversOwnEngine) {
    EngineParameters other;
    other.gamma = 1.3;
    other.first_split_atdc = -50;
    RecordingSurface live_surface;
    RunControl run;
    CycleDriver live(live_surface, run, other);
    for (int i = 0; i < 9000; ++i) live.advance();
    RecordingSurface copy;
    replay_cycle(copy, live);
    EXPECT_TRUE(same_lines(shown(copy), shown(live_surface)));
}

}  // namespace
}  // namespace hcci
