// SPDX-License-Identifier: MIT
#pragma once

#include <span>

// The crank sweep: -90 to 270 degrees by repeated addition of 0.02, 18001 steps.

namespace hcci {

inline constexpr double sweep_start_angle = -90;
inline constexpr double angle_step = 0.02;           // 0x3F947AE147AE147B
inline constexpr double sweep_upper_bound = 270.01;  // 0x4070E028F5C28F5C
inline constexpr int steps_per_sweep = 18001;
inline constexpr int last_step = steps_per_sweep - 1;

// The top dead centre of the compression stroke lies at crank angle 90. A person reads and types
// angles after it (ATDC): -180 at the sweep's first step, 180 at its last.
inline constexpr double top_dead_centre = 90;
inline double angle_atdc(double crank_angle) {
    return crank_angle - top_dead_centre;
}
inline double crank_angle_at(double atdc) {
    return atdc + top_dead_centre;
}

// Whether a step at this accumulated angle belongs to the sweep.
inline bool within_sweep(double crank_angle) {
    return crank_angle <= sweep_upper_bound;
}

// The first step of a sweep computes the model but draws nothing and is not paced.
inline bool is_first_step(double crank_angle) {
    return !(crank_angle > sweep_start_angle);
}

// The accumulated angle of every step, from step 0 at -90: 57 itself, for one, is passed at
// 57.00000000000255.
std::span<const double> sweep_angles();

}  // namespace hcci
