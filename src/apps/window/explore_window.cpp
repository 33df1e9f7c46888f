// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <future>

#include "apps/window/explore_exports.h"
#include "apps/window/explore_parts.h"
#include "apps/window/fold_section.h"
#include "apps/window/map_dialog.h"
#include "core/draw/logical_mapping.h"
#include "qt/text/qt_text.h"

// The explorer put together: the picture beside the panel and the views' tabs, wired to one
// another; the pointer over the picture and the timeline's page keys routed; the window fitted
// to its screen. The other explore_*.cpp files hold the rest of its jobs.

namespace hcci {

using explore::button;
using explore::group;
using explore::steps_a_degree;

namespace {

// The window's width where the screen has it: the picture, a view and the panel at ease.
constexpr int wanted_width = 1920;
// Its height at most: more makes the picture no larger, and the panel has what it needs.
constexpr int tallest = 1152;
// A title bar and the frame, which the window manager adds only once it is shown.
constexpr int frame_allowance = 48;
constexpr int least_view_width = 320;
// The summary's lines in view at once (the rest scrolls).
constexpr int analysis_lines = 14;

QLabel* monospace_label(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

ExploreWindow::ExploreWindow(const EngineParameters& parameters, QWidget* parent)
    : ExploreWindow(share_cycle(parameters), parent) {}

ExploreWindow::ExploreWindow(SharedRecord cycle, QWidget* parent)
    : QWidget(parent), cycle_(std::move(cycle)), saved_parameters_(cycle_->parameters) {
    setWindowTitle(QStringLiteral("HCCI Cycle Explorer"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Three columns: the picture, the view chosen by the tabs above it, and the panel.
    columns_ = new QSplitter(Qt::Horizontal, this);
    columns_->setObjectName(QStringLiteral("columns"));
    columns_->setChildrenCollapsible(false);
    form_ = new Form1(cycle_, columns_);
    form_->set_end_guard([this] { return may_end(); });
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    columns_->addWidget(form_);
    tabs_ = new QTabWidget(columns_);
    tabs_->setObjectName(QStringLiteral("views"));
    tabs_->setFocusPolicy(Qt::TabFocus);  // the keys stay with the picture
    tabs_->setMinimumWidth(least_view_width);
    for (const CycleView* which : cycle_views()) {
        auto* widget = new CycleViewWidget(*which, tabs_);
        views_.push_back(widget);
        views_stale_.push_back(true);
        tabs_->addTab(widget, text_of(which->tab));
        tabs_->setTabToolTip(tabs_->count() - 1, text_of(which->title));
    }
    make_compare_actions();
    columns_->addWidget(tabs_);
    columns_->addWidget(make_panel());
    // Room gained by the window goes to the view and the panel; the picture keeps its width.
    columns_->setStretchFactor(0, 0);
    columns_->setStretchFactor(1, 2);
    columns_->setStretchFactor(2, 1);
    layout->addWidget(columns_);
    connect(tabs_, &QTabWidget::currentChanged, this, &ExploreWindow::show_tab);
    // The picture at its own size, the view and the panel at ease beside it (fill_screen and
    // fit_to_screen fit that to a screen).
    resize(wanted_width, client_height);
    arrange_columns();
    connect(form_, &Form1::shown, this, &ExploreWindow::follow);
    build_timer_.setSingleShot(true);
    connect(&build_timer_, &QTimer::timeout, this, &ExploreWindow::build_slice);
    update_views();
    update_analysis();
    follow(form_->driver().snapshot());
    build_timer_.start(0);
}

ExploreWindow::~ExploreWindow() = default;

// The picture as large as the window's height lets it, up to its own size and two fifths of the
// width; the panel its least; the view the rest.
void ExploreWindow::arrange_columns() {
    const int free = width() - 2 * columns_->handleWidth();
    const int fitting =
        static_cast<int>(height() * static_cast<double>(client_width) / client_height);
    const int picture =
        std::max(form_->minimumWidth(), std::min({client_width, fitting, free * 2 / 5}));
    set_column_widths(picture, std::max(panel_->minimumWidth(), (free - picture) * 2 / 5));
}

void ExploreWindow::set_column_widths(int picture, int panel) {
    const int free = width() - 2 * columns_->handleWidth();
    columns_->setSizes({picture, std::max(least_view_width, free - picture - panel), panel});
}

QByteArray ExploreWindow::columns_state() const {
    return columns_->saveState();
}

void ExploreWindow::restore_columns(const QByteArray& state) {
    if (state.isEmpty() || !columns_->restoreState(state)) arrange_columns();
}

QWidget* ExploreWindow::make_panel() {
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("panel"));
    auto* panel = new QVBoxLayout(panel_);
    panel->setContentsMargins(4, 4, 0, 0);
    panel->addWidget(make_timeline(panel_));
    // The rest scrolls beneath the timeline, which stays in view.
    auto* scroll = new QScrollArea(panel_);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* rows = new QWidget(scroll);
    auto* column = new QVBoxLayout(rows);
    column->setContentsMargins(0, 0, 6, 0);  // clear of the scroll bar
    column->addWidget(make_engine(rows));

    auto* now = new FoldSection(QStringLiteral("At this step"), rows);
    values_ = monospace_label(now->body());
    // Room for the six lines of a step, before the sweep starts too: nothing beneath moves.
    values_->setMinimumHeight(values_->fontMetrics().lineSpacing() * 6);
    now->layout()->addWidget(values_);
    column->addWidget(now);

    // The command line's own summary, word for word, wrapped to the panel's width.
    auto* figures = new FoldSection(QStringLiteral("Analysis"), rows);
    // The note's room is kept whether or not it says anything, so that nothing beneath it
    // moves when it comes or goes.
    off_picture_ = new QLabel(figures->body());
    off_picture_->setObjectName(QStringLiteral("off_picture"));
    off_picture_->setWordWrap(true);
    off_picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    off_picture_->setStyleSheet(QStringLiteral("color: #a04000;"));
    off_picture_->setFixedHeight(off_picture_->fontMetrics().lineSpacing() * 3 + 4);
    figures->layout()->addWidget(off_picture_);
    analysis_ = new QPlainTextEdit(figures->body());
    analysis_->setReadOnly(true);
    analysis_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    analysis_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(fixed.pointSizeF() * 0.85);
    analysis_->setFont(fixed);
    const double margins = 2 * (analysis_->document()->documentMargin() + analysis_->frameWidth());
    analysis_->setFixedHeight(
        static_cast<int>(std::ceil(QFontMetrics(fixed).lineSpacing() * analysis_lines + margins)));
    figures->layout()->addWidget(analysis_);
    column->addWidget(figures);

    column->addWidget(make_exports(rows));
    column->addStretch(1);
    scroll->setWidget(rows);
    panel->addWidget(scroll, 1);
    panel_->setMinimumWidth(rows->minimumSizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width() + 4);
    return panel_;
}

QWidget* ExploreWindow::make_exports(QWidget* panel) {
    QGroupBox* exports = group(QStringLiteral("Export"), panel);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    const auto on = [this](QPushButton* b, auto act) {
        connect(b, &QPushButton::clicked, this, act);
    };
    on(button(QStringLiteral("CSV\u2026"), exports, first),
       [this] { save_sweep_csv(this, *cycle_); });
    on(button(QStringLiteral("PNG\u2026"), exports, first),
       [this] { save_picture(this, cycle_, shown_step(), false); });
    on(button(QStringLiteral("SVG\u2026"), exports, first),
       [this] { save_picture(this, cycle_, shown_step(), true); });
    on(button(QStringLiteral("Summary\u2026"), exports, first),
       [this] { save_summary(this, series_->analysis, parameters()); });
    QPushButton* video = button(QStringLiteral("Video\u2026"), exports, second);
    auto* layouts = new QMenu(video);
    layouts->addAction(QStringLiteral("The picture alone\u2026"), this,
                       [this] { save_video(this, cycle_, VideoLayout::picture); });
    layouts->addAction(QStringLiteral("Beside the pressure view, 1920 \u00d7 1080\u2026"), this,
                       [this] { save_video(this, cycle_, VideoLayout::side); });
    video->setMenu(layouts);
    on(button(QStringLiteral("Study\u2026"), exports, second),
       [this] { study_in_dialog(this, parameters()); });
    on(button(QStringLiteral("Map\u2026"), exports, second), [this] {
        if (std::optional<MapResult> map = map_in_dialog(this, parameters())) {
            show_map(std::move(*map));
        }
    });
    QPushButton* views = button(QStringLiteral("View\u2026"), exports, second);
    auto* which = new QMenu(views);
    for (const CycleView* view : cycle_views()) {
        which->addAction(text_of(view->title), this, [this, view] {
            save_view(this, *view, *series_, baseline_series_.get());
        });
    }
    views->setMenu(which);
    static_cast<QVBoxLayout*>(exports->layout())->addLayout(first);
    static_cast<QVBoxLayout*>(exports->layout())->addLayout(second);
    return exports;
}

QWidget* ExploreWindow::make_engine(QWidget* panel) {
    QGroupBox* engine = group(QStringLiteral("Engine"), panel);
    // A value the form offers is checked by running its cycle, which the window then shows:
    // one sweep for each change.
    parameters_form_ = new ParameterForm(engine, [this](const EngineParameters& p) {
        CheckedCycle checked = run_checked_cycle(p);
        if (checked.problem) return checked.problem;
        offered_ = std::make_shared<const CycleRecord>(std::move(*checked.record));
        return std::optional<ParameterProblem>();
    });
    parameters_form_->set_parameters(parameters());
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

SharedRecord ExploreWindow::cycle_for(const EngineParameters& parameters) {
    SharedRecord offered = std::exchange(offered_, nullptr);
    if (offered && offered->parameters == parameters) return offered;
    return share_cycle(parameters);
}

void ExploreWindow::set_parameters(const EngineParameters& parameters) {
    set_cycle(cycle_for(parameters));
}

void ExploreWindow::set_cycle(SharedRecord cycle) {
    const bool running = !form_->frozen();
    cycle_ = std::move(cycle);
    if (parameters_form_->parameters() != parameters()) {
        parameters_form_->set_parameters(parameters());
    }
    trace_points_.clear();  // made again when the pointer first reads them
    // The picture of the step shown is drawn on another core while the views and the panel are
    // made: the new engine's timeline has no snapshot yet, so it would draw the same (moment_at).
    std::future<PictureTimeline::Moment> picture =
        std::async(std::launch::async | std::launch::deferred, moment_at, cycle_,
                   form_->wanted_scale(), shown_step());
    update_views();
    update_analysis();
    timeline_for_now();
    PictureTimeline::Moment moment = picture.get();
    form_->show_moment(std::move(moment.surface), moment.driver);
    if (running) form_->set_frozen(false);
    show_play();
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

void ExploreWindow::fill_screen() {
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr) return;
    const QRect room = where->availableGeometry();
    resize(std::min(room.width(), wanted_width),
           std::clamp(room.height() - frame_allowance, client_height / 2, tallest));
    arrange_columns();
    move(room.topLeft());
}

void ExploreWindow::fit_to_screen() {
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr) return;
    const QRect room = where->availableGeometry();
    const QSize fitting(std::min(width(), room.width()),
                        std::min(height(), room.height() - frame_allowance));
    if (fitting != size()) {
        resize(fitting);
        arrange_columns();
    }
    if (!room.contains(frameGeometry())) move(room.topLeft());
}

}  // namespace hcci
