// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "core/model/cycle_series.h"

// The explorer's views: their tabs, drawn when shown, and the baseline engine they draw
// dashed beneath the current one.

namespace hcci {

namespace {

// The room the views want beside the picture, where the screen has it.
constexpr int views_width = 820;

}  // namespace

// The baseline's actions, in the row beneath each view's charts.
void ExploreWindow::make_compare_actions() {
    pin_ = new QAction(QStringLiteral("Pin as baseline"), this);
    pin_->setToolTip(QStringLiteral("Keep this engine; the views draw it dashed under the next"));
    connect(pin_, &QAction::triggered, this, [this] { set_baseline(parameters_); });
    compare_menu_ = new QMenu(this);
    compare_menu_->addAction(QStringLiteral("A parameter file\u2026"), this,
                             &ExploreWindow::compare_with_file);
    compare_menu_->addAction(QStringLiteral("The original engine"), this,
                             [this] { set_baseline(EngineParameters{}); });
    clear_baseline_ = new QAction(QStringLiteral("Clear baseline"), this);
    clear_baseline_->setEnabled(false);
    connect(clear_baseline_, &QAction::triggered, this, [this] { set_baseline(std::nullopt); });
    for (CycleViewWidget* widget : views_) {
        for (QAction* action : {pin_, static_cast<QAction*>(nullptr), clear_baseline_}) {
            auto* b = new QToolButton;
            b->setFocusPolicy(Qt::TabFocus);
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
            if (action != nullptr) {
                b->setDefaultAction(action);
            } else {
                b->setText(QStringLiteral("Compare with\u2026"));
                b->setToolTip(
                    QStringLiteral("A baseline from a parameter file, or the original engine"));
                b->setMenu(compare_menu_);
                b->setPopupMode(QToolButton::InstantPopup);
            }
            widget->add_control(b);
        }
    }
}

void ExploreWindow::compare_with_file() {
    if (auto engine = pick_parameter_file(QStringLiteral("Compare with"))) set_baseline(engine);
}

void ExploreWindow::set_baseline(const std::optional<EngineParameters>& baseline) {
    baseline_ = baseline;
    baseline_series_ =
        baseline_ ? std::make_shared<const CycleSeries>(cycle_series(*baseline_)) : nullptr;
    clear_baseline_->setEnabled(baseline_.has_value());
    views_stale_.fill(true);
    show_tab(tabs_->currentIndex());
    update_analysis();
}

// The view in sight is drawn at once, the others when their tab is shown.
void ExploreWindow::update_views() {
    series_ = std::make_shared<const CycleSeries>(cycle_series(parameters_));
    views_stale_.fill(true);
    show_tab(tabs_->currentIndex());
    const QString note = off_picture_note();
    off_picture_->setText(note);
    off_picture_->setVisible(!note.isEmpty());
}

// A view's tab shown: its cursor put at the step; the first time, room made for it.
void ExploreWindow::show_tab(int index) {
    if (index <= 0) return;
    auto* widget = static_cast<CycleViewWidget*>(tabs_->widget(index));
    const auto which = static_cast<std::size_t>(widget->view());
    if (views_stale_.at(which)) {
        widget->show_cycle(series_, baseline_series_);
        views_stale_.at(which) = false;
    }
    widget->set_cursor_step(shown_step());
    if (widened_ || tabs_->width() >= views_width) return;
    widened_ = true;
    const QScreen* where = screen();
    const int room = where != nullptr ? where->availableGeometry().width() : width();
    const int wanted = std::min(room, width() + views_width - tabs_->width());
    if (wanted <= width()) return;
    const int picture_width = form_->width();
    resize(wanted, height());
    if (auto* split = qobject_cast<QSplitter*>(tabs_->parentWidget())) {
        split->setSizes({picture_width, wanted - picture_width});
    }
}

}  // namespace hcci
