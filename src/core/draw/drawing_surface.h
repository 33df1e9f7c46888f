// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

// The one drawing interface: lines and axis-aligned boxes in logical coordinates
// (x from -10 to 117.239, y from -300 to 350, y down), colours as 0x00BBGGRR.

namespace hcci {

using Color = std::uint32_t;

inline constexpr Color black = 0x000000;
inline constexpr Color white = 0xFFFFFF;
inline constexpr Color silver = 0xC0C0C0;
inline constexpr Color blue = 0xFF0000;
inline constexpr Color green = 0x00C000;
inline constexpr Color red = 0x0000FF;
inline constexpr Color dark_red = 0x000080;
// The system's window-background colour; surfaces resolve it to white.
inline constexpr Color window_background = 0x80000005;

enum class LineMode { line, box, filled_box };

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Coordinates are rounded to single precision here, as they are passed.
    void Line(LineMode mode, double x1, double y1, double x2, double y2, Color color) {
        draw(mode, to_single(x1), to_single(y1), to_single(x2), to_single(y2), color);
    }
    // The same in the current ForeColor.
    void Line(LineMode mode, double x1, double y1, double x2, double y2) {
        draw(mode, to_single(x1), to_single(y1), to_single(x2), to_single(y2), std::nullopt);
    }

    virtual void ForeColor(Color color) = 0;
    virtual void DrawWidth(int pixels) = 0;
    // Clears the whole drawing to the window background.
    virtual void Cls() = 0;

    // Single precision; a value beyond its range becomes the largest single value of its sign.
    static float to_single(double v) {
        constexpr double largest = std::numeric_limits<float>::max();
        if (v > largest) return std::numeric_limits<float>::max();
        if (v < -largest) return -std::numeric_limits<float>::max();
        return static_cast<float>(v);
    }

protected:
    // explicit_color is empty when the call uses the current ForeColor.
    virtual void draw(LineMode mode, float x1, float y1, float x2, float y2,
                      std::optional<Color> explicit_color) = 0;
};

}  // namespace hcci
