// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "core/draw/drawing_surface.h"

// A surface that keeps the calls made on it, for tests and for checking the drawing order.

namespace hcci {

struct LineCall {
    LineMode mode;
    float x1, y1, x2, y2;
    std::optional<Color> explicit_color;
    // The state in force when the call was made.
    Color fore_color;
    int draw_width;

    Color color() const { return explicit_color.value_or(fore_color); }
    bool operator==(const LineCall&) const = default;
};
struct ForeColorCall {
    Color color;
    bool operator==(const ForeColorCall&) const = default;
};
struct DrawWidthCall {
    int pixels;
    bool operator==(const DrawWidthCall&) const = default;
};
struct ClsCall {
    bool operator==(const ClsCall&) const = default;
};

using SurfaceCall = std::variant<LineCall, ForeColorCall, DrawWidthCall, ClsCall>;

class RecordingSurface final : public DrawingSurface {
public:
    void ForeColor(Color color) override {
        fore_color_ = color;
        calls_.emplace_back(ForeColorCall{color});
    }
    void DrawWidth(int pixels) override {
        draw_width_ = pixels;
        calls_.emplace_back(DrawWidthCall{pixels});
    }
    void Cls() override { calls_.emplace_back(ClsCall{}); }

    const std::vector<SurfaceCall>& calls() const { return calls_; }
    // Only the Line calls, in order.
    std::vector<LineCall> lines() const {
        std::vector<LineCall> result;
        for (const auto& call : calls_) {
            if (const auto* line = std::get_if<LineCall>(&call)) result.push_back(*line);
        }
        return result;
    }
    void clear() { calls_.clear(); }
    Color fore_color() const { return fore_color_; }
    int draw_width() const { return draw_width_; }

protected:
    void draw(LineMode mode, float x1, float y1, float x2, float y2,
              std::optional<Color> explicit_color) override {
        calls_.emplace_back(
            LineCall{mode, x1, y1, x2, y2, explicit_color, fore_color_, draw_width_});
    }

private:
    std::vector<SurfaceCall> calls_;
    Color fore_color_ = black;
    int draw_width_ = 1;
};

}  // namespace hcci
