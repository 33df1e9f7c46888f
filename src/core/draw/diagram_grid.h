// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/drawing_surface.h"
#include "core/model/engine_geometry.h"

namespace hcci {

// Silver grid lines: temperature every 100 K from 100 to 2500, then pressure every 10 bar from
// 0 to 200, their right ends slanted; leaves DrawWidth at 1.
void draw_diagram_grid(DrawingSurface& surface, const EngineGeometry& geometry);

}  // namespace hcci
