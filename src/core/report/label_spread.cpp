// SPDX-License-Identifier: MIT
#include "core/report/label_spread.h"

namespace hcci {
namespace {

bool overlap(const LabelBox& a, const LabelBox& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// The first placed box that `box` overlaps, or nullptr.
const LabelBox* overlapped(const LabelBox& box, const std::vector<LabelBox>& placed) {
    for (const LabelBox& other : placed) {
        if (overlap(box, other)) return &other;
    }
    return nullptr;
}

}  // namespace

std::vector<LabelBox> spread_labels(const std::vector<LabelAnchor>& anchors, double top) {
    std::vector<LabelBox> placed;
    placed.reserve(anchors.size());
    for (const LabelAnchor& a : anchors) {
        LabelBox box{a.x - a.width / 2, a.y - label_gap - a.height, a.width, a.height};
        // Each move clears one box, and goes past it for good: at most one move per box.
        for (std::size_t moves = 0; moves <= placed.size(); ++moves) {
            const LabelBox* other = overlapped(box, placed);
            if (other == nullptr) break;
            box.y = other->y - label_gap / 2 - box.height;
        }
        if (box.y < top) {
            box.y = a.y + label_gap;
            for (std::size_t moves = 0; moves <= placed.size(); ++moves) {
                const LabelBox* other = overlapped(box, placed);
                if (other == nullptr) break;
                box.y = other->y + other->height + label_gap / 2;
            }
        }
        placed.push_back(box);
    }
    return placed;
}

}  // namespace hcci
