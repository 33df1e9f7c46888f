// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <span>
#include <vector>

// A line drawn on screen needs only the points where it bends: a point that lies within a
// fraction of a pixel of the straight line between the points kept on either side of it looks
// the same left out, and a chart's cost (laying out, stroking, painting) grows with its points.

namespace hcci {

struct PixelPosition {
    double x = 0, y = 0;
};

// The indices of the points to keep, in order, the first and the last always: every point left
// out lies within `tolerance` pixels of the segment between the kept points around it.
std::vector<std::size_t> bends(std::span<const PixelPosition> points, double tolerance);

}  // namespace hcci
