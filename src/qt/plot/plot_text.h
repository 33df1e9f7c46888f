// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>
#include <string_view>

// Text on the plots: our UTF-8 strings as Qt's, and fonts by their size in pixels, which the
// plots' pictures keep the same whatever the screen's DPI.

namespace hcci {

inline QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QFont font_of(int pixels, bool bold = false) {
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace hcci
