// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "apps/window/explore_parts.h"
#include "apps/window/jump_slider.h"
#include "core/animate/run_control.h"
#include "core/model/sweep.h"

// The explorer's timeline: the slider, Play and the speed, the stepping buttons and keys, and
// the pictures of the steps it holds, made from snapshots built while the engine stays put.
// The panel follows each step the picture shows.

namespace hcci {

using explore::button;
using explore::group;
using explore::number;
using explore::steps_a_degree;

namespace {

constexpr double build_slice_ns = 4e6;

constexpr int settle_ms = 300;

// The sweep's pace against the original one.
constexpr double speed_factors[] = {0.1, 0.25, 0.5, 1, 2, 5, 10};

}  // namespace

QWidget* ExploreWindow::make_timeline(QWidget* panel) {
    QGroupBox* time = group(QStringLiteral("Timeline"), panel);
    slider_ = new QSlider(Qt::Horizontal, time);
    slider_->setObjectName(QStringLiteral("timeline"));
    slider_->setRange(0, last_step);
    slider_->setSingleStep(1);
    slider_->setPageStep(steps_a_degree);
    jump_to_click(slider_);
    slider_->installEventFilter(this);
    time->layout()->addWidget(slider_);
    auto* under = new QHBoxLayout;
    step_label_ = new QLabel(time);
    under->addWidget(step_label_, 1);
    speed_ = new QComboBox(time);
    speed_->setObjectName(QStringLiteral("speed"));
    speed_->setFocusPolicy(Qt::TabFocus);
    for (const double factor : speed_factors) {
        speed_->addItem(QStringLiteral("\u00d7 %1").arg(factor), factor);
    }
    speed_->setCurrentIndex(speed_->findData(1.0));
    speed_->setToolTip(QStringLiteral("The pace of the sweep: \u00d7 1 is the original 18 s"));
    connect(speed_, &QComboBox::currentIndexChanged, this, [this] { apply_speed(); });
    under->addWidget(speed_);
    static_cast<QVBoxLayout*>(time->layout())->addLayout(under);
    auto* buttons = new QHBoxLayout;
    const auto stepping = [&](const QString& text, const QString& key, int steps) {
        QPushButton* b = button(text, time, buttons);
        b->setToolTip(key);
        connect(b, &QPushButton::clicked, this, [this, steps] { step_by(steps); });
    };
    stepping(QStringLiteral("-1\u00b0"), QStringLiteral("A degree back (Page Up)"),
             -steps_a_degree);
    stepping(QStringLiteral("-1 step"), QStringLiteral("A step back (Left)"), -1);
    play_ = button(QStringLiteral("Freeze"), time, buttons);
    play_->setObjectName(QStringLiteral("play"));
    // P: a key that the picture does nothing with and a box takes as typing. Not the button's
    // own shortcut, which each new caption would reset.
    connect(new QShortcut(QKeySequence(Qt::Key_P), this), &QShortcut::activated, this,
            &ExploreWindow::play_or_freeze);
    play_->setToolTip(QStringLiteral(
        "Play on at the pace (from the start, at the end of the sweep), or hold the picture (P)"));
    connect(play_, &QPushButton::clicked, this, &ExploreWindow::play_or_freeze);
    stepping(QStringLiteral("+1 step"), QStringLiteral("A step on (Right)"), 1);
    stepping(QStringLiteral("+1\u00b0"), QStringLiteral("A degree on (Page Down)"), steps_a_degree);
    static_cast<QVBoxLayout*>(time->layout())->addLayout(buttons);
    connect(slider_, &QSlider::valueChanged, this, [this](int step) { show_step(step); });
    return time;
}

PictureTimeline& ExploreWindow::timeline_for_now() {
    const double scale = form_->wanted_scale();
    if (!timeline_ || std::abs(timeline_->scale() - scale) > 1e-9 ||
        timeline_->record() != cycle_) {
        timeline_ = std::make_unique<PictureTimeline>(cycle_, scale);
        // The snapshots wait until the engine stays put: a slider that moves makes every
        // picture afresh (moment_at), and a build begun for each would slow it down.
        build_timer_.start(settle_ms);
    }
    return *timeline_;
}

void ExploreWindow::show_step(int step) {
    step = std::clamp(step, 0, last_step);
    PictureTimeline::Moment moment = timeline_for_now().at(step);
    form_->show_moment(std::move(moment.surface), moment.driver);
}

void ExploreWindow::step_by(int steps) {
    show_step(shown_step() + steps);
}

// At the end of the sweep, Play starts it again from its first step.
void ExploreWindow::play_or_freeze() {
    const bool waiting = form_->driver().state() == DriverState::waiting;
    if (waiting || (form_->frozen() && shown_step() == last_step)) {
        show_step(0);
        form_->set_frozen(false);
        apply_speed();
    } else {
        form_->set_frozen(!form_->frozen());
    }
    show_play();
}

void ExploreWindow::show_play() {
    const bool held = form_->frozen() || form_->driver().state() == DriverState::waiting;
    play_->setText(held ? QStringLiteral("Play") : QStringLiteral("Freeze"));
}

void ExploreWindow::apply_speed() {
    const double factor = speed_->currentData().toDouble();
    form_->set_pace(default_stepe / factor);
}

void ExploreWindow::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            step_by(-1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            step_by(1);
            break;
        case Qt::Key_PageDown:
            step_by(steps_a_degree);
            break;
        case Qt::Key_PageUp:
            step_by(-steps_a_degree);
            break;
        case Qt::Key_Home:
            show_step(0);
            break;
        case Qt::Key_End:
            show_step(last_step);
            break;
        default:
            QWidget::keyPressEvent(event);
            break;
    }
}

void ExploreWindow::follow(const DriverSnapshot& shown) {
    shown_ = shown;
    const int step = shown_step();
    {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(step);
    }
    step_label_->setText(QStringLiteral("step %1 of %2, %3\u00b0 after top dead centre")
                             .arg(step)
                             .arg(last_step)
                             .arg(number(angle_atdc(CycleRecord::crank_angle(shown_step())), 2)));
    show_play();
    // Each cycle starts at the original pace: the chosen speed is put back.
    if (step == 0 && speed_->currentData().toDouble() != 1 &&
        form_->run_control().stepe == default_stepe) {
        apply_speed();
    }
    values_->setText(values_text());
    if (auto* view = qobject_cast<CycleViewWidget*>(tabs_->currentWidget())) {
        view->set_cursor_step(step);
    }
}

void ExploreWindow::build_slice() {
    if (!timeline_) timeline_for_now();
    QElapsedTimer clock;
    clock.start();
    if (!timeline_->build([&] { return clock.nsecsElapsed() > build_slice_ns; })) {
        build_timer_.start(0);
    }
}

}  // namespace hcci
