// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>
#include <QSlider>

namespace hcci {

// A slider whose track, clicked, puts the handle where it was clicked (rather than a page on).
class JumpToClickStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returned = nullptr) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

inline void jump_to_click(QSlider* slider) {
    auto* style = new JumpToClickStyle;
    style->setParent(slider);  // goes with the slider
    slider->setStyle(style);
}

}  // namespace hcci
