// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

#include "qt/text/qt_text.h"

// Text on the plots: our UTF-8 strings as Qt's (text_of), and fonts by their size in pixels,
// which the plots' pictures keep the same whatever the screen's DPI.

namespace hcci {

inline QFont font_of(int pixels, bool bold = false) {
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace hcci
