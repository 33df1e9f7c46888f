// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/draw/trace_points.h"
#include "core/model/cycle_analysis.h"

// The picture shows pressures up to 155 bar and temperatures up to 2255 K; a trace that goes
// higher leaves it, as the picture is drawn, and is to be read in the views instead.

namespace hcci {

struct TraceOffPicture {
    Trace trace;
    double largest;      // bar or K
    double picture_top;  // the largest the picture shows
};

// The traces of that sweep that leave the picture, with their largest values.
std::vector<TraceOffPicture> traces_off_picture(const CycleAnalysis& analysis);

}  // namespace hcci
