// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

#include "core/draw/window_layout.h"

// The labels as the window and the exported picture both show them.

namespace hcci {

// "Comic Sans MS", or Comic Neue where it is missing; bold.
QFont label_font(int pixel_size);

// A label's place and font size when the client area is drawn at `scale` times its own size.
struct ScaledLabel {
    QRect rect;
    int pixel_size;
};
ScaledLabel scale_label(const LabelLayout& layout, double scale);

// The caption in the rectangle, from its top edge, aligned as the layout says and wrapped at
// spaces only; what does not fit is cut off at the rectangle's edges.
void paint_label_text(QPainter& painter, const QRect& rect, const QString& caption,
                      const QFont& font, const QColor& color, LabelAlignment alignment);

}  // namespace hcci
