// SPDX-License-Identifier: MIT
#include "core/report/straight_runs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace hcci {
namespace {

// The distance from p to the segment from a to b.
double distance(PixelPosition p, PixelPosition a, PixelPosition b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t =
        std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

struct Case {
    const char* what;
    std::vector<PixelPosition> points;
    double tolerance;
    std::vector<std::size_t> kept;
};

TEST(StraightRuns, KeepsTheEndsAndTheBendsOnly) {
    const Case cases[] = {
        {"nothing", {}, 0.1, {}},
        {"one point", {{3, 4}}, 0.1, {0}},
        {"two points", {{0, 0}, {5, 5}}, 0.1, {0, 1}},
        {"a straight line", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, 0.1, {0, 4}},
        {"a corner", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}, 0.1, {0, 2, 4}},
        {"a bump within the tolerance", {{0, 0}, {1, 0.09}, {2, 0}}, 0.1, {0, 2}},
        {"a bump beyond it", {{0, 0}, {1, 0.11}, {2, 0}}, 0.1, {0, 1, 2}},
        // A line that turns back on itself: the far end is not on the chord's segment.
        {"a turn back", {{0, 0}, {4, 0}, {2, 0}}, 0.1, {0, 1, 2}},
        {"a point that is not a number", {{0, 0}, {1, NAN}, {2, 0}}, 0.1, {0, 1, 2}},
        {"a zero tolerance keeps every bend", {{0, 0}, {1, 1e-9}, {2, 0}}, 0, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bends(c.points, c.tolerance), c.kept) << c.what;
    }
}

// A smooth curve sampled densely, as a cycle's pressure is: far fewer points, and none left out
// farther than the tolerance from the line drawn through those kept.
TEST(StraightRuns, EveryPointLeftOutLiesWithinTheToleranceOfTheLineDrawn) {
    std::vector<PixelPosition> curve;
    for (int i = 0; i <= 4000; ++i) {
        const double x = i * 0.1;
        curve.push_back({x, 150 + 120 * std::sin(x / 400 * 3 * std::numbers::pi)});
    }
    for (const double tolerance : {0.05, 0.1, 0.5}) {
        const std::vector<std::size_t> kept = bends(curve, tolerance);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_LT(kept.size(), curve.size() / 10) << tolerance;
        EXPECT_EQ(kept.front(), 0u);
        EXPECT_EQ(kept.back(), curve.size() - 1);
        for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
            ASSERT_LT(kept[k], kept[k + 1]);
            for (std::size_t i = kept[k] + 1; i < kept[k + 1]; ++i) {
                ASSERT_LE(distance(curve[i], curve[kept[k]], curve[kept[k + 1]]), tolerance)
                    << "point " << i << " at tolerance " << tolerance;
            }
        }
    }
}

}  // namespace
}  // namespace hcci
