// SPDX-License-Identifier: MIT
#include "qt/picture/image_surface.h"

#include <stdexcept>

namespace hcci {

namespace {

static_assert(sizeof(QRgb) == sizeof(Pixel));

// The image's pixels for writing: bits() first gives an image that shares its pixels with a
// copy pixels of its own.
PixelBuffer writable_pixels(QImage& image) {
    if (image.isNull()) throw std::runtime_error("cannot allocate the drawing surface image");
    if (image.format() != QImage::Format_RGB32 || image.bytesPerLine() % sizeof(Pixel) != 0) {
        throw std::invalid_argument("the drawing surface takes RGB32 pixels");
    }
    return {reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / static_cast<qsizetype>(sizeof(Pixel))};
}

QImage unfilled_image(double scale) {
    return {PixelSurface::width_at(scale), PixelSurface::height_at(scale), QImage::Format_RGB32};
}

QImage fitting(double scale, const QImage& picture) {
    if (picture.width() != PixelSurface::width_at(scale) ||
        picture.height() != PixelSurface::height_at(scale) ||
        picture.format() != QImage::Format_RGB32) {
        throw std::invalid_argument("the picture does not fit a surface of that scale");
    }
    return picture;
}

}  // namespace

// The surface clears its own pixels: QImage::fill leaves the vector unit in its wide state,
// and the scalar arithmetic of every line drawn after it ran at a third of its speed.
ImageSurface::ImageSurface(double scale)
    : image_(unfilled_image(scale)), pixels_(scale, writable_pixels(image_)) {
    pixels_.Cls();
}

ImageSurface::ImageSurface(double scale, const QImage& picture)
    : image_(fitting(scale, picture)), pixels_(scale, writable_pixels(image_)) {}

PixelSurface& ImageSurface::own_pixels() {
    // The same size and layout always; only the memory can have moved.
    auto* const bits = reinterpret_cast<Pixel*>(image_.bits());
    if (bits != pixels_.pixels().pixels) pixels_.draw_into(writable_pixels(image_));
    return pixels_;
}

void ImageSurface::Cls() {
    own_pixels().Cls();
}

QRect ImageSurface::take_dirty_rect() {
    const PixelRect dirty = pixels_.take_dirty_rect();
    if (dirty.empty()) return {};
    return {QPoint(dirty.left, dirty.top), QPoint(dirty.right, dirty.bottom)};
}

void ImageSurface::draw(LineMode mode, float x1, float y1, float x2, float y2,
                        std::optional<Color> explicit_color) {
    PixelSurface& pixels = own_pixels();
    if (explicit_color) {
        pixels.Line(mode, x1, y1, x2, y2, *explicit_color);
    } else {
        pixels.Line(mode, x1, y1, x2, y2);
    }
}

}  // namespace hcci
