// SPDX-License-Identifier: MIT
#include "core/report/straight_runs.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace hcci {
namespace {

// The square of the distance from p to the segment from a to b.
double squared_distance(PixelPosition p, PixelPosition a, PixelPosition b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

}  // namespace

std::vector<std::size_t> bends(std::span<const PixelPosition> points, double tolerance) {
    const std::size_t n = points.size();
    std::vector<std::size_t> kept;
    if (n <= 2) {
        for (std::size_t i = 0; i < n; ++i) kept.push_back(i);
        return kept;
    }
    // Douglas-Peucker: a run is split at its point farthest from its chord while that point lies
    // beyond the tolerance. The runs wait on a stack, the later one beneath.
    std::vector<bool> keep(n, false);
    keep.front() = keep.back() = true;
    const double limit = tolerance * tolerance;
    std::vector<std::pair<std::size_t, std::size_t>> runs{{0, n - 1}};
    while (!runs.empty()) {
        const auto [first, last] = runs.back();
        runs.pop_back();
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = squared_distance(points[i], points[first], points[last]);
            // A point that is not a number is always kept: it breaks the line.
            if (!(d <= limit) && (std::isnan(d) || d > farthest)) {
                farthest = std::isnan(d) ? INFINITY : d;
                at = i;
            }
        }
        if (at == first) continue;
        keep[at] = true;
        runs.emplace_back(at, last);
        runs.emplace_back(first, at);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i]) kept.push_back(i);
    }
    return kept;
}

}  // namespace hcci
