// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

// The drawing scale of the client area: 616 x 741 pixels show x from -10 to 117.239 and
// y from -300 to 350 (y down). Unit sizes are single-precision twips, 15 twips to a pixel.

namespace hcci {

inline constexpr int client_width = 616;
inline constexpr int client_height = 741;
inline constexpr double logical_left = -10;
inline constexpr double logical_top = -300;
inline constexpr double logical_width = 127.239;
inline constexpr double logical_height = 650;
inline constexpr double twips_per_x_unit = static_cast<double>(72.61925f);
inline constexpr double twips_per_y_unit = static_cast<double>(17.1f);
inline constexpr double twips_per_pixel = 15;

// The whole pixel a pixel position falls on, kept to a range that any pixel arithmetic can
// take (NaN too); what lies beyond the picture is clipped anyway.
inline int whole_pixel(double v) {
    constexpr double far_away = 1 << 20;
    if (!(v > -far_away)) return -(1 << 20);
    if (v > far_away) return 1 << 20;
    return static_cast<int>(std::floor(v));
}

// Pixel position of a logical point at the given scale (1 = the client area's own size).
inline double pixel_x(float x, double scale = 1) {
    return (static_cast<double>(x) - logical_left) * twips_per_x_unit / twips_per_pixel * scale;
}
inline double pixel_y(float y, double scale = 1) {
    return (static_cast<double>(y) - logical_top) * twips_per_y_unit / twips_per_pixel * scale;
}

}  // namespace hcci
