// SPDX-License-Identifier: MIT
#include "core/report/axis_ticks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace hcci {
namespace {

// The labels of an axis's ticks as a plot prints them, six significant digits, offsets signed.
std::set<std::string> labels_of(const AxisTicks& axis) {
    std::set<std::string> labels;
    for (double tick = std::ceil(axis.low / axis.interval) * axis.interval;
         tick <= axis.high + 1e-9 * axis.interval && labels.size() < 1000; tick += axis.interval) {
        char text[64];
        std::snprintf(text, sizeof text, axis.offsets() ? "%+.6g" : "%.6g", tick);
        labels.insert(text + axis.label_suffix());
    }
    return labels;
}

struct StudyAxisCase {
    double from, to;
    bool offsets;
};

// However narrow the range, the ticks are a handful, round, and labelled apart: a tick below
// the labels' last digit (or below the numbers' last place) would print alike, or never end.
TEST(AxisTicks, AStudysAxisHasAHandfulOfTicksLabelledApart) {
    const StudyAxisCase cases[] = {
        {1.2, 1.6, false},
        {-40, -10, false},
        {0, 1e-30, false},
        {250, 250.5, false},
        {1.4, 1.4000000000001, true},
        {1.4, std::nextafter(1.4, 2.0), true},
        {1e300, 1.0000000000001e300, true},
        {-3, -2.99999999999, true},
    };
    for (const StudyAxisCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.to));
        const AxisTicks axis = study_axis(c.from, c.to);
        EXPECT_EQ(axis.offsets(), c.offsets);
        EXPECT_EQ(axis.place_of(c.from), axis.low);
        EXPECT_NEAR(axis.origin + axis.high * axis.scale, c.to, 1e-9 * (c.to - c.from));
        EXPECT_GT(axis.interval, 0);
        // The chart takes a span within a millionth of a millionth of its ends as none.
        EXPECT_GT(axis.high - axis.low, 1e-6 * std::max(std::abs(axis.low), std::abs(axis.high)));
        const double gaps = (axis.high - axis.low) / axis.interval;
        EXPECT_GE(gaps, 4);
        EXPECT_LE(gaps, 8);
        // Every tick steps past the last one, and each has a label of its own.
        EXPECT_GT(axis.low + axis.interval, axis.low);
        EXPECT_GE(labels_of(axis).size(), 4u);
        EXPECT_EQ(labels_of(axis).size(), static_cast<std::size_t>(std::floor(gaps + 1e-9)) + 1);
    }
}

TEST(AxisTicks, OffsetsAreLabelledInThePowerOfTenTheyAreCountedIn) {
    const AxisTicks axis = study_axis(1.4, 1.4000000000001);
    EXPECT_EQ(axis.origin, 1.4);
    EXPECT_EQ(axis.scale, 1e-14);
    EXPECT_EQ(axis.interval, 2);
    EXPECT_EQ(axis.label_suffix(), "e-14");
    EXPECT_EQ(*labels_of(axis).begin(), "+0e-14");
    EXPECT_EQ(labels_of(axis).count("+8e-14"), 1u);
    EXPECT_EQ(study_axis(1.2, 1.6).label_suffix(), "");
}

TEST(AxisTicks, AFlatRangeIsWidenedUntilItsTicksDiffer) {
    // Wide enough already: as it is.
    EXPECT_EQ(readable_range({0, 10}, 5), std::make_pair(0.0, 10.0));
    EXPECT_EQ(readable_range({88.9, 89.1}, 5), std::make_pair(88.9, 89.1));
    // A line as flat as the numbers allow: about its middle, five of the labels' last digit.
    const auto [low, high] = readable_range({1.4, std::nextafter(1.4, 2.0)}, 5);
    EXPECT_NEAR(high - low, 5e-5, 1e-12);
    EXPECT_NEAR(0.5 * (low + high), 1.4, 1e-12);
    // Nothing at all: zero's neighbourhood.
    const auto [zero_low, zero_high] = readable_range({0, 0}, 5);
    EXPECT_LE(zero_low, 0);
    EXPECT_GE(zero_high, 0);
}

}  // namespace
}  // namespace hcci
