// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "apps/window/explore_exports.h"
#include "apps/window/jump_slider.h"
#include "core/draw/logical_mapping.h"
#include "core/draw/off_picture.h"
#include "core/model/cycle_analysis.h"
#include "core/model/sweep.h"
#include "core/report/analysis_report.h"
#include "core/report/csv_export.h"
#include "core/report/number_text.h"
#include "core/report/parameter_text.h"
#include "core/report/view_text.h"
#include "platform/atomic_file.h"
#include "platform/parameter_file.h"
#include "qt/picture/picture.h"

namespace hcci {
namespace {

constexpr int panel_width = 440;
constexpr int steps_a_degree = 50;
// How near a trace the pointer must come to read it, in pixels of the client area.
constexpr double hover_reach = 6;
constexpr double build_slice_ns = 4e6;
constexpr int settle_ms = 300;
// The room the views want beside the picture, where the screen has it.
constexpr int views_width = 820;

const char* const view_tab_names[] = {"Pressure", "log p\u2013log V", "Heat release",
                                      "Temperature"};

const char* const phase_names[] = {"",
                                   "united compression",
                                   "first division, auxiliary ignition",
                                   "united again, main combustion",
                                   "second division",
                                   "united expansion"};

// The sweep's pace against the original one.
constexpr double speed_factors[] = {0.1, 0.25, 0.5, 1, 2, 5, 10};

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString number(double value, int decimals) {
    return QString::fromStdString(fixed_text(value, decimals));
}

QLabel* monospace_label(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
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

}  // namespace

ExploreWindow::ExploreWindow(const EngineParameters& parameters, QWidget* parent)
    : QWidget(parent), parameters_(parameters), saved_parameters_(parameters) {
    setWindowTitle(QStringLiteral("HCCI Cycle Explorer"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    form_ = new Form1(parameters, split);
    form_->set_end_guard([this] { return may_end(); });
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    split->addWidget(form_);
    tabs_ = new QTabWidget(split);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setFocusPolicy(Qt::TabFocus);  // the keys stay with the picture
    tabs_->addTab(make_panel(), QStringLiteral("Explore"));
    for (const CycleView which : all_views) {
        auto* widget = new CycleViewWidget(which, tabs_);
        views_.at(static_cast<std::size_t>(which)) = widget;
        tabs_->addTab(widget, QString::fromUtf8(view_tab_names[static_cast<int>(which)]));
        tabs_->setTabToolTip(tabs_->count() - 1,
                             QString::fromUtf8(view_title(which).data(),
                                               static_cast<qsizetype>(view_title(which).size())));
    }
    make_compare_actions();
    split->addWidget(tabs_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    layout->addWidget(split);
    connect(tabs_, &QTabWidget::currentChanged, this, &ExploreWindow::show_tab);
    // The picture at the client area's own size, the tabs at their least beside it.
    const int tabs_width = tabs_->minimumSizeHint().width();
    resize(client_width + split->handleWidth() + tabs_width, client_height);
    split->setSizes({client_width, tabs_width});
    connect(form_, &Form1::shown, this, &ExploreWindow::follow);
    build_timer_.setSingleShot(true);
    connect(&build_timer_, &QTimer::timeout, this, &ExploreWindow::build_slice);
    update_views();
    update_analysis();
    follow(form_->driver().snapshot());
    build_timer_.start(0);
}

ExploreWindow::~ExploreWindow() = default;

QWidget* ExploreWindow::make_panel() {
    auto* scroll = new QScrollArea(this);
    scroll->setMinimumWidth(panel_width);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* panel = new QWidget(scroll);
    auto* column = new QVBoxLayout(panel);
    column->addWidget(make_timeline(panel));

    QGroupBox* now = group(QStringLiteral("At this step"), panel);
    values_ = monospace_label(now);
    now->layout()->addWidget(values_);
    column->addWidget(now);

    // The command line's own summary, word for word.
    QGroupBox* figures = group(QStringLiteral("Analysis"), panel);
    off_picture_ = new QLabel(figures);
    off_picture_->setObjectName(QStringLiteral("off_picture"));
    off_picture_->setWordWrap(true);
    off_picture_->setStyleSheet(QStringLiteral("color: #a04000;"));
    off_picture_->hide();
    figures->layout()->addWidget(off_picture_);
    analysis_ = new QPlainTextEdit(figures);
    analysis_->setReadOnly(true);
    analysis_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(fixed.pointSizeF() * 0.9);
    analysis_->setFont(fixed);
    // Six lines in view (the rest scrolls), that the engine's first six boxes show beneath.
    const double margins = 2 * (analysis_->document()->documentMargin() + analysis_->frameWidth());
    analysis_->setFixedHeight(
        static_cast<int>(std::ceil(QFontMetrics(fixed).lineSpacing() * 6 + margins)));
    figures->layout()->addWidget(analysis_);
    column->addWidget(figures);

    column->addWidget(make_exports(panel));
    column->addWidget(make_engine(panel), 1);  // the boxes take what room is left
    scroll->setWidget(panel);
    return scroll;
}

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

QWidget* ExploreWindow::make_exports(QWidget* panel) {
    QGroupBox* exports = group(QStringLiteral("Export"), panel);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    const auto on = [this](QPushButton* b, auto act) {
        connect(b, &QPushButton::clicked, this, act);
    };
    on(button(QStringLiteral("CSV\u2026"), exports, first),
       [this] { save_sweep_csv(this, parameters_); });
    on(button(QStringLiteral("PNG\u2026"), exports, first),
       [this] { save_picture(this, parameters_, shown_step(), false); });
    on(button(QStringLiteral("SVG\u2026"), exports, first),
       [this] { save_picture(this, parameters_, shown_step(), true); });
    on(button(QStringLiteral("Summary\u2026"), exports, first),
       [this] { save_summary(this, parameters_); });
    on(button(QStringLiteral("Video\u2026"), exports, second),
       [this] { save_video(this, parameters_); });
    on(button(QStringLiteral("Study\u2026"), exports, second),
       [this] { study_in_dialog(this, parameters_); });
    QPushButton* views = button(QStringLiteral("View\u2026"), exports, second);
    auto* which = new QMenu(views);
    for (const CycleView view : all_views) {
        which->addAction(text_of(view_title(view)), this,
                         [this, view] { save_view(this, view, *series_, baseline_series_.get()); });
    }
    views->setMenu(which);
    static_cast<QVBoxLayout*>(exports->layout())->addLayout(first);
    static_cast<QVBoxLayout*>(exports->layout())->addLayout(second);
    return exports;
}

QWidget* ExploreWindow::make_engine(QWidget* panel) {
    QGroupBox* engine = group(QStringLiteral("Engine"), panel);
    parameters_form_ = new ParameterForm(engine);
    parameters_form_->set_parameters(parameters_);
    engine->layout()->addWidget(parameters_form_);
    connect(parameters_form_, &ParameterForm::changed, this,
            [this](const EngineParameters& p) { set_parameters(p); });
    auto* files = new QHBoxLayout;
    connect(button(QStringLiteral("Original engine"), engine, files), &QPushButton::clicked, this,
            [this] { set_parameters(EngineParameters{}); });
    connect(button(QStringLiteral("Open\u2026"), engine, files), &QPushButton::clicked, this,
            &ExploreWindow::open_parameters);
    connect(button(QStringLiteral("Save\u2026"), engine, files), &QPushButton::clicked, this,
            &ExploreWindow::save_parameters);
    static_cast<QVBoxLayout*>(engine->layout())->addLayout(files);
    return engine;
}

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

QString ExploreWindow::off_picture_note() const {
    if (!series_) return {};
    const std::string text = off_picture_text(traces_off_picture(series_->analysis));
    if (text.empty()) return {};
    QString note = QString::fromStdString(text);
    note[0] = note[0].toUpper();
    return note + QStringLiteral(".");
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

PictureTimeline& ExploreWindow::timeline_for_now() {
    const double scale = form_->wanted_scale();
    if (!timeline_ || std::abs(timeline_->scale() - scale) > 1e-9 ||
        timeline_->parameters() != parameters_) {
        timeline_ = std::make_unique<PictureTimeline>(parameters_, scale);
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

void ExploreWindow::set_parameters(const EngineParameters& parameters) {
    const bool running = !form_->frozen();
    parameters_ = parameters;
    if (parameters_form_->parameters() != parameters) parameters_form_->set_parameters(parameters);
    trace_points_.clear();  // made again when the pointer first reads them
    update_views();
    update_analysis();
    show_step(shown_step());
    if (running) form_->set_frozen(false);
    show_play();
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
                             .arg(number(shown_.stepper.crank_angle() - 90, 2)));
    show_play();
    // Each cycle starts at the original pace: the chosen speed is put back.
    if (step == 0 && speed_->currentData().toDouble() != 1 &&
        form_->run_control().stepe == default_stepe) {
        apply_speed();
    }
    values_->setText(values_text());
    if (tabs_->currentIndex() > 0) {
        static_cast<CycleViewWidget*>(tabs_->currentWidget())->set_cursor_step(step);
    }
}

QString ExploreWindow::values_text() const {
    const Stepper& stepper = shown_.stepper;
    if (stepper.step_index() < 0) return QStringLiteral("(not started)");
    const CombustionModel& m = stepper.state();
    const int phase = std::clamp(stepper.phase(), 1, 5);
    const auto row = [](const char* what, double pressure, double temperature) {
        return QStringLiteral("%1 %2 bar  %3 K\n")
            .arg(QString::fromLatin1(what), -7)
            .arg(number(pressure, 2), 8)
            .arg(number(temperature, 1), 7);
    };
    QString text =
        QStringLiteral("phase   %1, %2\n").arg(phase).arg(QString::fromLatin1(phase_names[phase]));
    text += QStringLiteral("angle   %1 deg after TDC\n").arg(number(stepper.crank_angle() - 90, 2));
    text +=
        QStringLiteral("travel  %1\n").arg(number(crown_x(stepper.geometry(), m.piston_pos), 4));
    text += row("united", m.united_pressure, m.united_temperature);
    if (is_divided_phase(phase)) {
        text += row("main", m.main_pressure, m.main_temperature);
        text += row("aux", m.aux_pressure, m.aux_temperature);
    } else {
        text += QStringLiteral("main    (united)\naux     (united)\n");
    }
    return text.trimmed();
}

// The summary, word for word as the command line gives it; with a baseline, the two engines'
// figures in columns first.
void ExploreWindow::update_analysis() {
    std::string text = summary_text(series_->analysis, parameters_);
    if (baseline_series_) {
        text = comparison_text(series_->analysis, parameters_, baseline_series_->analysis,
                               *baseline_) +
               "\n" + text;
    }
    analysis_->setPlainText(QString::fromStdString(text));
}

QString ExploreWindow::analysis_text() const {
    return analysis_->toPlainText();
}

QString ExploreWindow::hover_text(QPoint widget_point) const {
    const int step = shown_.stepper.step_index();
    if (step < 1) return {};
    const QPointF at = form_->client_point(widget_point);
    if (trace_points_.empty()) trace_points_ = trace_points(parameters_);
    const auto point = nearest_trace_point(trace_points_, step, at.x(), at.y(), hover_reach);
    if (!point) return {};
    const bool pressure = is_pressure(point->trace);
    const std::string_view name = trace_name(point->trace);
    return QStringLiteral("%1: %2 %3\nstep %4, %5\u00b0 after top dead centre\ntravel %6")
        .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
        .arg(number(point->value, pressure ? 2 : 1))
        .arg(pressure ? QStringLiteral("bar") : QStringLiteral("K"))
        .arg(point->step)
        .arg(number(point->crank_angle - 90, 2))
        .arg(number(point->crown_x, 3));
}

bool ExploreWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QString text = hover_text(move->position().toPoint());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(move->globalPosition().toPoint(), text, form_);
        }
    }
    // On the timeline as on the picture, Page Down goes on a degree and Page Up back.
    if (watched == slider_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            step_by(key == Qt::Key_PageDown ? steps_a_degree : -steps_a_degree);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ExploreWindow::closeEvent(QCloseEvent* event) {
    if (!may_end()) {
        event->ignore();
        return;
    }
    event->accept();
    form_->close();  // ends the program as the window's own close does
}

void ExploreWindow::fit_to_screen() {
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr) return;
    // A title bar and the frame, which the window manager adds only once it is shown.
    constexpr int frame_allowance = 48;
    const QRect room = where->availableGeometry();
    const QSize fitting(std::min(width(), room.width()),
                        std::min(height(), room.height() - frame_allowance));
    if (fitting != size()) resize(fitting);
    if (!room.contains(frameGeometry())) move(room.topLeft());
}

bool ExploreWindow::has_unsaved_changes() const {
    return parameters_ != saved_parameters_ || parameters_form_->has_refused_text();
}

// Escape, a double click or closing the window: changes not saved are not thrown away unasked.
bool ExploreWindow::may_end() {
    if (end_agreed_ || !has_unsaved_changes()) return end_agreed_ = true;
    QuitAnswer answer = QuitAnswer::cancel;
    if (quit_question_) {
        answer = quit_question_();
    } else {
        const auto pressed = QMessageBox::question(
            this, QStringLiteral("Quit the explorer"),
            QStringLiteral("The engine has changes that are not saved in a parameter file. Save "
                           "them before quitting?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        answer = pressed == QMessageBox::Save      ? QuitAnswer::save
                 : pressed == QMessageBox::Discard ? QuitAnswer::discard
                                                   : QuitAnswer::cancel;
    }
    switch (answer) {
        case QuitAnswer::save:
            end_agreed_ = save_parameters();
            break;
        case QuitAnswer::discard:
            end_agreed_ = true;
            break;
        case QuitAnswer::cancel:
            break;
    }
    return end_agreed_;
}

void ExploreWindow::build_slice() {
    if (!timeline_) timeline_for_now();
    QElapsedTimer clock;
    clock.start();
    if (!timeline_->build([&] { return clock.nsecsElapsed() > build_slice_ns; })) {
        build_timer_.start(0);
    }
}

// The engine of a parameter file the user picks, its notices told; nothing when none is picked
// or it cannot be read (which is told).
std::optional<EngineParameters> ExploreWindow::pick_parameter_file(const QString& title) {
    const QString path = QFileDialog::getOpenFileName(
        this, title, {}, QStringLiteral("TOML (*.toml);;All files (*)"));
    if (path.isEmpty()) return std::nullopt;
    std::vector<std::string> notices;
    const auto read = read_parameters({path.toStdString(), {}}, &notices);
    if (const auto* problem = std::get_if<std::string>(&read)) {
        QMessageBox::critical(this, title, QString::fromStdString(*problem));
        return std::nullopt;
    }
    QStringList told;
    for (const std::string& notice : notices) told.append(QString::fromStdString(notice));
    if (!told.isEmpty()) QMessageBox::information(this, title, told.join(QLatin1Char('\n')));
    return std::get<EngineParameters>(read);
}

void ExploreWindow::open_parameters() {
    if (auto engine = pick_parameter_file(QStringLiteral("Open parameters"))) {
        set_parameters(*engine);
        saved_parameters_ = *engine;
    }
}

bool ExploreWindow::save_parameters() {
    const EngineParameters engine = parameters_;
    if (!save_file(this, QStringLiteral("Save the parameters"), QStringLiteral("engine.toml"),
                   QStringLiteral("TOML (*.toml)"), [&] { return parameter_file(engine); })) {
        return false;
    }
    saved_parameters_ = engine;
    return true;
}

}  // namespace hcci
