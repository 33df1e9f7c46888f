// SPDX-License-Identifier: MIT
#include "core/model/sweep.h"

#include <array>

namespace hcci {

std::span<const double> sweep_angles() {
    static const std::array<double, steps_per_sweep> angles = [] {
        std::array<double, steps_per_sweep> all{};
        std::size_t step = 0;
        for (double angle = sweep_start_angle; within_sweep(angle); angle = angle + angle_step) {
            all.at(step++) = angle;
        }
        return all;
    }();
    return angles;
}

}  // namespace hcci
