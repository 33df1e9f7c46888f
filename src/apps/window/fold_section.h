// SPDX-License-Identifier: MIT
#pragma once

#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace hcci {

// A titled part of the panel that folds away under its title: a click on the title (or Space
// on it) shows or hides what is beneath.
class FoldSection final : public QWidget {
    Q_OBJECT

public:
    FoldSection(const QString& title, QWidget* parent);

    // How far what it holds stands in from its left, under the title's text.
    static constexpr int indent = 14;

    // What the section holds; its layout lays it out.
    QWidget* body() const { return body_; }
    QVBoxLayout* layout() const { return layout_; }
    QToolButton* title() const { return title_; }
    bool folded() const { return !title_->isChecked(); }
    void set_folded(bool folded);

private:
    QToolButton* title_ = nullptr;
    QWidget* body_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
};

}  // namespace hcci
