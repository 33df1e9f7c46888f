// SPDX-License-Identifier: MIT
#include "apps/window/explore_parts.h"

#include <QVBoxLayout>

#include "core/report/number_text.h"

namespace hcci::explore {

QString number(double value, int decimals) {
    return QString::fromStdString(fixed_text(value, decimals));
}

QGroupBox* group(const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    new QVBoxLayout(box);
    return box;
}

QPushButton* button(const QString& text, QWidget* parent, QLayout* layout) {
    auto* b = new QPushButton(text, parent);
    b->setFocusPolicy(Qt::TabFocus);  // a click leaves the focus where it was
    b->setMinimumWidth(40);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(b);
    return b;
}

}  // namespace hcci::explore
