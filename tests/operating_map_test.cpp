// SPDX-License-Identifier: MIT
#include "core/model/operating_map.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace hcci {
namespace {

StudyRange range(std::string_view name, double from, double to, double step) {
    return {.parameter = find_parameter(name), .from = from, .to = to, .step = step};
}

TEST(OperatingMap, TheGridVariesXFastestAndKeepsBothEnds) {
    const auto grid =
        map_grid(range("rod_length", 150, 250, 50), range("engine_speed", 1000, 1500, 400));
    ASSERT_TRUE(grid.has_value());
    EXPECT_EQ(grid->xs, (std::vector<double>{150, 200, 250}));
    EXPECT_EQ(grid->ys, (std::vector<double>{1000, 1400, 1500}));
    ASSERT_EQ(grid->size(), 9u);
    EXPECT_EQ(grid->x_at(4), 200);
    EXPECT_EQ(grid->y_at(4), 1400);
    EXPECT_EQ(grid->x_at(8), 250);
    EXPECT_EQ(grid->y_at(8), 1500);
    const EngineParameters engine = map_engine(EngineParameters{}, *grid, 5);
    EXPECT_EQ(engine.rod_length, 250);
    EXPECT_EQ(engine.engine_speed, 1400);
    // A million points at most.
    EXPECT_TRUE(map_grid(range("rod_length", 1, 1000, 1), range("gamma", 1, 1000, 1)));
    EXPECT_FALSE(map_grid(range("rod_length", 1, 1001, 1), range("gamma", 1, 1000, 1)));
}

TEST(OperatingMap, InterleavedSlicesCoverEveryPointOnce) {
    struct Case {
        std::size_t points, index, count, size;
    };
    for (const Case& c : std::initializer_list<Case>{{10, 1, 1, 10},
                                                     {10, 1, 3, 4},
                                                     {10, 2, 3, 3},
                                                     {10, 3, 3, 3},
                                                     {2, 3, 3, 0},
                                                     {0, 1, 2, 0},
                                                     {12, 4, 4, 3}}) {
        EXPECT_EQ(shard_size(c.points, {.index = c.index, .count = c.count}), c.size)
            << c.points << " points, " << c.index << "/" << c.count;
    }
}

// Rows arrive one at a time, in order, whatever thread finishes first; a shard's are the
// whole map's at its points.
TEST(OperatingMap, PointsArriveInOrderAsTheWholeMapHasThem) {
    const auto grid =
        map_grid(range("rod_length", 150, 250, 20), range("engine_speed", 1000, 1600, 300));
    ASSERT_TRUE(grid.has_value());
    const EngineParameters base;
    std::vector<std::size_t> order;
    std::vector<double> imep;
    const auto whole = run_map(base, *grid, {}, [&](std::size_t point, const CycleAnalysis& a) {
        order.push_back(point);
        imep.push_back(a.imep_bar);
    });
    ASSERT_FALSE(whole.has_value());
    ASSERT_EQ(order.size(), grid->size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(imep[i], analyse_cycle(map_engine(base, *grid, i)).imep_bar) << i;
    }
    for (std::size_t k = 1; k <= 4; ++k) {
        std::vector<std::size_t> points;
        const auto shard = run_map(base, *grid, {.index = k, .count = 4},
                                   [&](std::size_t point, const CycleAnalysis& a) {
                                       EXPECT_EQ(a.imep_bar, imep[point]);
                                       points.push_back(point);
                                   });
        ASSERT_FALSE(shard.has_value());
        ASSERT_EQ(points.size(), shard_size(grid->size(), {.index = k, .count = 4}));
        for (std::size_t n = 0; n < points.size(); ++n) EXPECT_EQ(points[n], k - 1 + 4 * n);
    }
}

TEST(OperatingMap, WhatStopsAMapIsSaidWithItsPoint) {
    const EngineParameters base;
    const auto no_sink = [](std::size_t, const CycleAnalysis&) {};
    // A rod below its range, checked before any cycle runs.
    const auto short_rod =
        run_map(base, *map_grid(range("engine_speed", 1000, 1000, 1), range("rod_length", 1, 1, 1)),
                {}, no_sink);
    ASSERT_TRUE(short_rod.has_value());
    EXPECT_EQ(short_rod->kind, MapProblem::Kind::refused_value);
    EXPECT_EQ(short_rod->x, 1000);
    EXPECT_EQ(short_rod->y, 1);

    const auto same = run_map(
        base, *map_grid(range("rod_length", 150, 160, 10), range("rod_length", 150, 160, 10)), {},
        no_sink);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->kind, MapProblem::Kind::same_parameter);

    // A sink that cannot write stops the map, and no point after it is told.
    int told = 0;
    const auto failed = run_map(
        base, *map_grid(range("rod_length", 150, 250, 1), range("engine_speed", 1000, 1010, 5)), {},
        [&](std::size_t point, const CycleAnalysis&) {
            ++told;
            if (point == 3) throw std::runtime_error("disk full");
        });
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->kind, MapProblem::Kind::failed);
    EXPECT_EQ(failed->failure, "disk full");
    EXPECT_EQ(told, 4);
}

}  // namespace
}  // namespace hcci
