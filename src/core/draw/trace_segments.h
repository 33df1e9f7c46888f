// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/drawing_surface.h"
#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"

// The pressure diagram above the engine and the temperature diagram below it.

namespace hcci {

inline double pressure_y(const EngineGeometry& g, double pressure) {
    return g.pressure_base_y - pressure;
}
inline double temperature_y(const EngineGeometry& g, double temperature) {
    return g.temperature_base_y + temperature / g.kelvin_per_unit;
}

// One step's segments, from the previous point to the current one: blue for the united charge,
// red then green for the auxiliary and main chambers while divided. Nothing at the first step.
void draw_trace_segments(DrawingSurface& surface, const EngineGeometry& geometry,
                         const CombustionModel& model, double crank_angle, int phase);

}  // namespace hcci
