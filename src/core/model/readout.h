// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <string>

#include "core/model/sweep.h"

// The crank-angle readout: the angle after top dead centre of the compression stroke, -180 at the
// first step of a sweep and 180 at the last.

namespace hcci {

// The largest whole number not above the angle after top dead centre, from the accumulated angle.
inline long readout_value(double crank_angle) {
    return static_cast<long>(std::floor(angle_atdc(crank_angle)));
}

// The readout's text: the whole number, a leading "-" when negative, nothing else.
inline std::string readout_text(long readout) {
    return std::to_string(readout);
}

}  // namespace hcci
