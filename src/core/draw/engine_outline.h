// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/drawing_surface.h"
#include "core/model/engine_geometry.h"

namespace hcci {

// Cylinder block, bore, partition stem and disc: four filled boxes.
void draw_engine_outline(DrawingSurface& surface, const EngineGeometry& geometry);

// The four dark red axes of the diagrams; leaves DrawWidth 3 and ForeColor dark red.
void draw_diagram_axes(DrawingSurface& surface, const EngineGeometry& geometry);

}  // namespace hcci
