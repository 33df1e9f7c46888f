// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QString>

// What the files of the explorer's window share: the panel's boxes and buttons, its numbers.

namespace hcci::explore {

inline constexpr int steps_a_degree = 50;

QString number(double value, int decimals);

QGroupBox* group(const QString& title, QWidget* parent);

QPushButton* button(const QString& text, QWidget* parent, QLayout* layout);

}  // namespace hcci::explore
