// SPDX-License-Identifier: MIT
#include "apps/window/form_label.h"

#include <QMouseEvent>
#include <QPainter>

#include "qt/picture/image_surface.h"
#include "qt/picture/labels.h"
#include "qt/text/qt_text.h"

namespace hcci {

FormLabel::FormLabel(const LabelLayout& layout, QWidget* parent)
    : QLabel(text_of(layout.caption), parent) {
    setObjectName(text_of(layout.name));
    setGeometry(layout.left, layout.top, layout.width, layout.height);
    setAlignment((layout.alignment == LabelAlignment::right ? Qt::AlignRight : Qt::AlignHCenter) |
                 Qt::AlignTop);
    setMargin(0);
    setIndent(0);
    setFont(label_font(layout.pixel_size));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, ImageSurface::to_qcolor(layout.text_color));
    palette.setColor(QPalette::Window, ImageSurface::to_qcolor(layout.background));
    setPalette(palette);
    setAutoFillBackground(true);
}

void FormLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint_label_text(painter, contentsRect(), text(), font(), palette().color(QPalette::WindowText),
                     alignment() & Qt::AlignRight ? LabelAlignment::right : LabelAlignment::centre);
}

void FormLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace hcci
