// SPDX-License-Identifier: MIT
#include "core/draw/pixel_surface.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "core/draw/logical_mapping.h"
#include "core/draw/slanted_line.h"

namespace hcci {

namespace {

// The corners' rectangle widened by the margin. Corners given right to left (or bottom to
// top) span one pixel less on each side of it, as the picture's changed areas always have:
// the margin covers the pen either way.
PixelRect touched_between(PixelPoint a, PixelPoint b, int margin) {
    const auto span = [margin](int from, int to) {
        return from <= to ? std::pair{from - margin, to + margin}
                          : std::pair{to + 1 - margin, from - 1 + margin};
    };
    const auto [left, right] = span(a.x, b.x);
    const auto [top, bottom] = span(a.y, b.y);
    return {left, top, right, bottom};
}

}  // namespace

int PixelSurface::width_at(double scale) {
    return static_cast<int>(std::lround(client_width * scale));
}

int PixelSurface::height_at(double scale) {
    return static_cast<int>(std::lround(client_height * scale));
}

int PixelSurface::pen_width_at(int draw_width, double scale) {
    return std::max(1, static_cast<int>(std::lround(draw_width * scale)));
}

PixelSurface::PixelSurface(double scale) : scale_(scale), pen_width_(pen_width_at(1, scale)) {
    const int width = width_at(scale);
    const int height = height_at(scale);
    if (width < 1 || height < 1) throw std::invalid_argument("no pixels at that scale");
    own_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), white_pixel);
    buffer_ = {own_.data(), width, height, width};
    dirty_ = buffer_.rect();
}

PixelSurface::PixelSurface(double scale, const PixelBuffer& pixels)
    : scale_(scale), pen_width_(pen_width_at(1, scale)) {
    draw_into(pixels);
    dirty_ = buffer_.rect();
}

void PixelSurface::draw_into(const PixelBuffer& pixels) {
    if (pixels.pixels == buffer_.pixels && pixels.stride == buffer_.stride &&
        pixels.width == buffer_.width && pixels.height == buffer_.height) {
        return;  // where it draws already
    }
    if (pixels.width != width_at(scale_) || pixels.height != height_at(scale_) ||
        pixels.stride < pixels.width || pixels.pixels == nullptr) {
        throw std::invalid_argument("the pixels do not fit a surface of that scale");
    }
    buffer_ = pixels;
    std::vector<Pixel>().swap(own_);
}

void PixelSurface::DrawWidth(int pixels) {
    if (pixels < 1) throw std::invalid_argument("DrawWidth must be at least 1 pixel");
    pen_width_ = pen_width_at(pixels, scale_);
}

void PixelSurface::Cls() {
    fill_rect(buffer_, buffer_.rect(), white_pixel);
    dirty_ = buffer_.rect();
}

PixelRect PixelSurface::take_dirty_rect() {
    const PixelRect result = intersected(dirty_, buffer_.rect());
    dirty_ = {};
    return result;
}

void PixelSurface::draw_straight(PixelPoint a, PixelPoint b, int width, Pixel pixel) {
    const int before = (width - 1) / 2;
    const int after = width / 2;
    fill_rect(buffer_,
              {std::min(a.x, b.x) - before, std::min(a.y, b.y) - before, std::max(a.x, b.x) + after,
               std::max(a.y, b.y) + after},
              pixel);
}

void PixelSurface::draw(LineMode mode, float x1, float y1, float x2, float y2,
                        std::optional<Color> explicit_color) {
    const Pixel pixel = to_pixel(explicit_color.value_or(fore_color_));
    const int width = pen_width_;
    // Whole pixels: the same call always lands on the same pixels.
    const PixelPoint a{whole_pixel(pixel_x(x1, scale_)), whole_pixel(pixel_y(y1, scale_))};
    const PixelPoint b{whole_pixel(pixel_x(x2, scale_)), whole_pixel(pixel_y(y2, scale_))};
    switch (mode) {
        case LineMode::line:
            if (a.x == b.x || a.y == b.y) {
                draw_straight(a, b, width, pixel);
            } else {
                draw_slanted_line(buffer_, a, b, width, pixel);
            }
            break;
        case LineMode::box:
            draw_straight(a, {b.x, a.y}, width, pixel);
            draw_straight({b.x, a.y}, b, width, pixel);
            draw_straight(b, {a.x, b.y}, width, pixel);
            draw_straight({a.x, b.y}, a, width, pixel);
            break;
        case LineMode::filled_box:
            draw_straight(a, b, width, pixel);
            break;
    }
    dirty_ = united(dirty_, touched_between(a, b, width + 1));
}

}  // namespace hcci
