// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

#include "core/draw/window_layout.h"

namespace hcci {

// One of the window's labels: its caption painted as the exported picture paints it, wrapped at
// spaces only. A double click on it is not a double click on the window: it stops here.
class FormLabel final : public QLabel {
    Q_OBJECT

public:
    FormLabel(const LabelLayout& layout, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace hcci
