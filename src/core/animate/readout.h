// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <string>

// The crank-angle readout: the angle after top dead centre of the compression stroke, -180 at the
// first step of a sweep and 180 at the last.

namespace hcci {

// The largest whole number not above crank_angle - 90, from the accumulated angle.
inline long readout_value(double crank_angle) {
    return static_cast<long>(std::floor(crank_angle - 90));
}

// The readout's text: the whole number, a leading "-" when negative, nothing else.
inline std::string readout_text(long readout) {
    return std::to_string(readout);
}

}  // namespace hcci
