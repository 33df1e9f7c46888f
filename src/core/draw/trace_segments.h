// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/drawing_surface.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_geometry.h"

// The pressure diagram above the engine and the temperature diagram below it.

namespace hcci {

inline double pressure_y(const EngineGeometry& g, double pressure) {
    return g.pressure_base_y - pressure;
}
inline double temperature_y(const EngineGeometry& g, double temperature) {
    return g.temperature_base_y + temperature / g.kelvin_per_unit;
}

// One step's segments of a recorded cycle, from the previous step's point to this step's: blue
// for the united charge, red then green for the auxiliary and main chambers while divided.
// Nothing at the first step. The previous point is the state the step before left: a division's
// first segments start where the united charge split, the united charge's first after a
// division at the chambers merged.
void draw_trace_segments(DrawingSurface& surface, const CycleRecord& record, int step);

}  // namespace hcci
