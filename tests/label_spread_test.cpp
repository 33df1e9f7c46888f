// SPDX-License-Identifier: MIT
#include "core/report/label_spread.h"

#include <gtest/gtest.h>

#include <vector>

namespace hcci {
namespace {

TEST(LabelSpread, LabelsAboveTheirPointsMovedApart) {
    // 60 x 14 labels; a gap of 6 between a point and its label.
    const struct {
        const char* name;
        std::vector<LabelAnchor> anchors;
        double top;
        std::vector<LabelBox> boxes;
    } rows[] = {
        {"one, above its point", {{100, 100, 60, 14}}, 0, {{70, 80, 60, 14}}},
        {"two apart keep their places",
         {{100, 100, 60, 14}, {300, 100, 60, 14}},
         0,
         {{70, 80, 60, 14}, {270, 80, 60, 14}}},
        {"two at one place: the second above the first",
         {{100, 100, 60, 14}, {110, 104, 60, 14}},
         0,
         {{70, 80, 60, 14}, {80, 63, 60, 14}}},
        {"no room above: below its point",
         {{100, 30, 60, 14}, {110, 30, 60, 14}},
         0,
         {{70, 10, 60, 14}, {80, 36, 60, 14}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(spread_labels(row.anchors, row.top), row.boxes);
    }
}

// However many crowd one place, none covers another.
TEST(LabelSpread, NoneCoversAnother) {
    std::vector<LabelAnchor> anchors;
    for (int i = 0; i < 12; ++i) anchors.push_back({100.0 + 7 * i, 400.0 - 3 * (i % 4), 70, 14});
    const std::vector<LabelBox> boxes = spread_labels(anchors, 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const LabelBox& a = boxes[i];
            const LabelBox& b = boxes[j];
            EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
                         b.y < a.y + a.height)
                << i << " and " << j;
        }
    }
}

}  // namespace
}  // namespace hcci
