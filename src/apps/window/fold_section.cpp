// SPDX-License-Identifier: MIT
#include "apps/window/fold_section.h"

namespace hcci {

FoldSection::FoldSection(const QString& title, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    title_ = new QToolButton(this);
    title_->setText(title);
    title_->setCheckable(true);
    title_->setChecked(true);
    title_->setAutoRaise(true);
    title_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    title_->setArrowType(Qt::DownArrow);
    title_->setFocusPolicy(Qt::TabFocus);
    title_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    column->addWidget(title_);
    body_ = new QWidget(this);
    layout_ = new QVBoxLayout(body_);
    layout_->setContentsMargins(indent, 0, 0, 4);  // under the title's text, clear of its arrow
    column->addWidget(body_);
    connect(title_, &QToolButton::toggled, this, [this](bool open) {
        title_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        body_->setVisible(open);
    });
}

void FoldSection::set_folded(bool folded) {
    title_->setChecked(!folded);
}

}  // namespace hcci
