// SPDX-License-Identifier: MIT
#include "qt/picture/labels.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "core/draw/label_text.h"
#include "qt/text/qt_text.h"

namespace hcci {

QFont label_font(int pixel_size) {
    QFont font;
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    font.setBold(true);
    font.setPixelSize(pixel_size);
    return font;
}

ScaledLabel scale_label(const LabelLayout& layout, double scale) {
    const auto scaled = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    return {
        QRect(scaled(layout.left), scaled(layout.top), scaled(layout.width), scaled(layout.height)),
        std::max(1, scaled(layout.pixel_size))};
}

void paint_label_text(QPainter& painter, const QRect& rect, const QString& caption,
                      const QFont& font, const QColor& color, LabelAlignment alignment) {
    const QFontMetricsF metrics(font);
    const std::string text = caption.toStdString();
    const std::vector<std::string> lines = wrap_at_spaces(
        text, rect.width(),
        [&metrics](std::string_view piece) { return metrics.horizontalAdvance(text_of(piece)); });
    QStringList joined;
    for (const std::string& line : lines) joined.append(QString::fromStdString(line));
    const int horizontal = alignment == LabelAlignment::right ? Qt::AlignRight : Qt::AlignHCenter;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect,
                     horizontal | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextForceLeftToRight,
                     joined.join(QLatin1Char('\n')));
    painter.restore();
}

}  // namespace hcci
