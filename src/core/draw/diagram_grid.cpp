// SPDX-License-Identifier: MIT
#include "core/draw/diagram_grid.h"

#include <cmath>

namespace hcci {

void draw_diagram_grid(DrawingSurface& s, const EngineGeometry& g) {
    for (int grid_level = 100; grid_level <= 2500; grid_level += 100) {
        s.DrawWidth(grid_level % 500 == 0 ? 2 : 1);
        double grid_end_x = 100;
        if (grid_level >= 500) grid_end_x = 100 - (grid_level - 500) / 16.0;
        if (grid_end_x < 0) grid_end_x = 0;
        const double y = g.temperature_base_y + grid_level / g.kelvin_per_unit;
        s.Line(LineMode::line, 0, y, grid_end_x, y, silver);
    }
    // Not clamped: from 160 bar up the lines run leftwards from x = 0.
    for (int grid_level = 0; grid_level <= 200; grid_level += 10) {
        s.DrawWidth(grid_level % 50 == 0 ? 2 : 1);
        const double y = g.pressure_base_y - grid_level;
        s.Line(LineMode::line, 0, y, 100 - grid_level / 1.5, y, silver);
    }
    s.DrawWidth(1);
}

}  // namespace hcci
