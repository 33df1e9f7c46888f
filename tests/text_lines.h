// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRect>
#include <vector>

// The lines of text painted in an area of a picture: the bounds of each band of rows that hold
// any pixel other than the background, top to bottom.

namespace hcci {

inline std::vector<QRect> text_lines(const QImage& image, QRect area, QRgb background) {
    std::vector<QRect> lines;
    QRect band;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRect row;
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) row |= QRect(x, y, 1, 1);
        }
        if (!row.isNull()) {
            band |= row;
        } else if (!band.isNull()) {
            lines.push_back(band);
            band = QRect();
        }
    }
    if (!band.isNull()) lines.push_back(band);
    return lines;
}

}  // namespace hcci
