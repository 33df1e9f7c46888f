// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// Where a chart's value labels go so that none covers another: each centred above the point it
// names, moved up past a label already placed that it would overlap, or below its point where
// above would leave the plot. In pixels, y growing downwards.

namespace hcci {

struct LabelBox {
    double x = 0, y = 0;  // the top left corner
    double width = 0, height = 0;
    bool operator==(const LabelBox&) const = default;
};

struct LabelAnchor {
    double x = 0, y = 0;  // the point the label names
    double width = 0, height = 0;
};

inline constexpr double label_gap = 6;  // between a point and its label, and between labels

// A box for each anchor, in their order; the first keeps its place above its point. `top` is
// the plot's upper edge.
std::vector<LabelBox> spread_labels(const std::vector<LabelAnchor>& anchors, double top);

}  // namespace hcci
