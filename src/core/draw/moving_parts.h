// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <span>

#include "core/draw/drawing_surface.h"
#include "core/model/engine_geometry.h"

namespace hcci {

// The piston crown in section at travel crown_x: crown face, stepped recess and three rings on
// each side, 17 shapes in the current ForeColor.
void draw_piston_outline(DrawingSurface& surface, const EngineGeometry& geometry, double crown_x);

// The x of every end of the crown's outline at crown_x: the face, the recess's walls and the
// rings' edges, from left to right as draw_piston_outline uses them.
inline constexpr std::size_t piston_outline_x_count = 11;
std::array<double, piston_outline_x_count> piston_outline_xs(const EngineGeometry& geometry,
                                                             double crown_x);

// The crown as a sweep leaves it after the last of these piston positions, one a step from
// the first: white wherever it stood at an earlier step (each step's erase covers the outline
// drawn at the step before, pixel for pixel), black where it stands at the last. The same
// pixels as erasing and drawing it step by step, on a surface that puts each end on the whole
// pixel of pixel_x and pixel_y at that scale (ImageSurface), in a fraction of the time: a step
// whose outline lands on the pixels of the step before is not drawn again. Nothing for one
// position or none (the first step draws no crown).
void draw_piston_history(DrawingSurface& surface, const EngineGeometry& geometry,
                         std::span<const double> piston_positions, double scale);

// Erases the crown in white at the previous position and draws it in black at the new one;
// nothing at the first step. Leaves DrawWidth 1 and ForeColor black.
void draw_moving_parts(DrawingSurface& surface, const EngineGeometry& geometry, double crank_angle,
                       double prev_piston_pos, double piston_pos);

}  // namespace hcci
