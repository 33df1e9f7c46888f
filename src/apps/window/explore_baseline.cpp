// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <stdexcept>

#include "core/model/cycle_series.h"

// The explorer's views: their tabs, the one in sight drawn afresh, and the baseline engine they
// draw dashed beneath the current one.

namespace hcci {

// The baseline's actions, in the row beneath each view's charts.
void ExploreWindow::make_compare_actions() {
    pin_ = new QAction(QStringLiteral("Pin as baseline"), this);
    pin_->setToolTip(QStringLiteral("Keep this engine; the views draw it dashed under the next"));
    connect(pin_, &QAction::triggered, this, [this] { set_baseline(parameters()); });
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
    if (SharedRecord engine = pick_parameter_file(QStringLiteral("Compare with"))) {
        show_baseline(std::make_shared<const CycleSeries>(cycle_series(*engine)));
    }
}

void ExploreWindow::set_baseline(const std::optional<EngineParameters>& baseline) {
    // The engine shown is pinned as it is drawn; another one is run once.
    if (!baseline) {
        show_baseline(nullptr);
    } else if (*baseline == parameters()) {
        show_baseline(series_);
    } else {
        show_baseline(std::make_shared<const CycleSeries>(cycle_series(run_cycle(*baseline))));
    }
}

void ExploreWindow::show_baseline(std::shared_ptr<const CycleSeries> baseline) {
    baseline_series_ = std::move(baseline);
    baseline_ = baseline_series_ ? std::optional(baseline_series_->parameters) : std::nullopt;
    clear_baseline_->setEnabled(baseline_.has_value());
    std::fill(views_stale_.begin(), views_stale_.end(), true);
    show_tab(tabs_->currentIndex());
    update_analysis();
}

// The view in sight is drawn at once, the others when their tab is shown.
void ExploreWindow::update_views() {
    series_ = std::make_shared<const CycleSeries>(cycle_series(*cycle_));
    std::fill(views_stale_.begin(), views_stale_.end(), true);
    show_tab(tabs_->currentIndex());
    const QString note = off_picture_note();
    // Its room is kept, said or not; the same note set again would lay the panel out again.
    if (off_picture_->text() != note) off_picture_->setText(note);
}

// A view's tab shown: drawn if the engine or the baseline changed since, its cursor at the step.
void ExploreWindow::show_tab(int index) {
    auto* widget = qobject_cast<CycleViewWidget*>(tabs_->widget(index));
    if (widget == nullptr) return;  // none, or the map
    const auto which = static_cast<std::size_t>(index);
    if (views_stale_.at(which)) {
        widget->show_cycle(series_, baseline_series_);
        views_stale_.at(which) = false;
    }
    widget->set_cursor_step(shown_step());
}

void ExploreWindow::show_map(MapResult map) {
    auto* shown = new MapView(
        std::move(map), [this](const EngineParameters& engine) { set_parameters(engine); }, tabs_);
    const QString tab = QStringLiteral("Map");
    if (map_view_ != nullptr) {
        const int at = tabs_->indexOf(map_view_);
        tabs_->removeTab(at);
        map_view_->deleteLater();
    }
    map_view_ = shown;
    const int at = tabs_->addTab(map_view_, tab);
    tabs_->setTabToolTip(at, map_view_->title());
    tabs_->setCurrentIndex(at);
}

CycleViewWidget& ExploreWindow::view(std::string_view name) {
    for (CycleViewWidget* widget : views_) {
        if (widget->view().name == name) return *widget;
    }
    throw std::invalid_argument("no view named " + std::string(name));
}

}  // namespace hcci
