// SPDX-License-Identifier: MIT
#pragma once

#include "core/draw/drawing_surface.h"
#include "core/model/engine_geometry.h"

namespace hcci {

// The piston crown in section at travel crown_x: crown face, stepped recess and three rings on
// each side, 17 shapes in the current ForeColor.
void draw_piston_outline(DrawingSurface& surface, const EngineGeometry& geometry, double crown_x);

// Erases the crown in white at the previous position and draws it in black at the new one;
// nothing at the first step. Leaves DrawWidth 1 and ForeColor black.
void draw_moving_parts(DrawingSurface& surface, const EngineGeometry& geometry, double crank_angle,
                       double prev_piston_pos, double piston_pos);

}  // namespace hcci
