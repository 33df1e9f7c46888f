// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/model/cycle_record.h"

// The points the traces of one sweep pass through, for reading a value off the diagrams.

namespace hcci {

enum class Trace {
    united_pressure,
    united_temperature,
    main_pressure,
    main_temperature,
    aux_pressure,
    aux_temperature
};

std::string_view trace_name(Trace trace);  // "auxiliary pressure"
bool is_pressure(Trace trace);

struct TracePoint {
    Trace trace;
    int step;
    double crank_angle;
    double crown_x;  // the piston's travel from top dead centre
    double value;    // bar or K
};

// The ends of every segment the traces draw over a recorded cycle, and the first segments'
// start, by step.
std::vector<TracePoint> trace_points(const CycleRecord& record);

// Of the points drawn by step `up_to_step`, the one nearest to a pixel of the client area at its
// own size (616 x 741), if it lies within `reach` pixels.
std::optional<TracePoint> nearest_trace_point(const std::vector<TracePoint>& points, int up_to_step,
                                              double pixel_x, double pixel_y, double reach);

}  // namespace hcci
