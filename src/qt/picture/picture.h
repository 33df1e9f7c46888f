// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>
#include <string>

#include "core/model/cycle_record.h"

// The window's client area as a picture, composed without a window: the drawing surface with the
// labels painted over it. Needs a QGuiApplication (for the fonts), no display.

namespace hcci {

// The drawing with the eight labels over it, Label8 showing `readout`; the drawing's size is the
// client area's at `scale`.
QImage compose_picture(const QImage& drawing, double scale, long readout);

// The client area after the given step (0 first) of the first sweep of a fresh start of that
// cycle with no key pressed: the drawing with the labels over it, or the drawing alone, at scale
// times the client area's own size.
QImage render_picture(int step, bool labels, int scale, const SharedRecord& record);
// The same of the engine the parameters describe, its cycle run here.
QImage render_picture(int step, bool labels, int scale = 1,
                      const EngineParameters& parameters = {});

// Paints the eight labels, Label8 showing `readout`, for a client area at `scale`.
void paint_labels(QPainter& painter, double scale, long readout);

// The same picture as render_picture at the client area's own size, as SVG: the drawing's
// lines and boxes as paths, the labels as text (see SvgSurface for the erasing strokes).
std::string render_svg(int step, bool labels, const SharedRecord& record);
std::string render_svg(int step, bool labels, const EngineParameters& parameters = {});

// The picture encoded as PNG bytes.
std::string encode_png(const QImage& image);

}  // namespace hcci
