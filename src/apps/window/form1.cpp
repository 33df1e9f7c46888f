// SPDX-License-Identifier: MIT
#include "apps/window/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <utility>

#include "apps/window/fatal_error.h"
#include "core/draw/logical_mapping.h"
#include "core/draw/window_layout.h"
#include "core/model/readout.h"
#include "qt/picture/labels.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

// A drag sends resize events in quick succession: the picture is drawn afresh once they stop.
constexpr int settle_ms = 150;
// The longest slice of drawing afresh, so that the window stays responsive meanwhile.
constexpr double rasterise_slice_ns = 4e6;
// A key handled later than this after it was typed is taken as typed when it is handled.
constexpr double max_key_delay_ns = 1e9;

// A key event as the character code the commands expect; 0 for keys without a character and for
// shortcuts (with Control, Alt or Meta held), which type nothing.
std::uint16_t key_ascii(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    switch (event.key()) {
        case Qt::Key_Escape:
            return key_escape;
        case Qt::Key_Return:
        case Qt::Key_Enter:  // on the keypad
            return key_enter;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() != 1) return 0;
    return text.at(0).unicode();
}

}  // namespace

struct Form1::PendingPicture {
    explicit PendingPicture(double scale) : surface(std::make_unique<ImageSurface>(scale)) {}
    std::unique_ptr<ImageSurface> surface;
    CycleReplay replay{*surface};
};

Form1::Clock Form1::steady_clock() {
    return [] {
        return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
    };
}

Form1::Form1(const EngineParameters& parameters, QWidget* parent, Clock clock)
    : Form1(share_cycle(parameters), parent, std::move(clock)) {}

Form1::Form1(SharedRecord cycle, QWidget* parent, Clock clock)
    : QWidget(parent),
      surface_(std::make_unique<ImageSurface>()),
      driver_(*surface_, run_, std::move(cycle)),
      clock_(std::move(clock)),
      pacer_(driver_, run_, clock_),
      shown_readout_(LONG_MIN) {
    setWindowTitle(text_of(form_caption));
    // Resizable down to half the drawing's own size; the picture keeps its proportions.
    setMinimumSize((client_width + 1) / 2, (client_height + 1) / 2);
    resize(client_width, client_height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        labels_[i] = new FormLabel(label_layouts[i], this);
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { tick(); }); });
    settle_timer_.setSingleShot(true);
    settle_timer_.setInterval(settle_ms);
    connect(&settle_timer_, &QTimer::timeout, this,
            [this] { guarded([this] { start_rasterise(); }); });
}

Form1::~Form1() = default;

bool Form1::event(QEvent* event) {
    // The window is activated when it is first shown; without a window manager no activation
    // event comes, so showing it counts as well.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
        guarded([this] { Form_Activate(); });
    }
    return QWidget::event(event);
}

void Form1::Form_Activate() {
    // Activation comes again after switching between programs; the driver starts only once.
    if (started_) return;
    started_ = true;
    timer_.start(0);
}

QRect Form1::picture_rect() const {
    return QRect(picture_origin_, QSize(static_cast<int>(std::lround(client_width * fit_scale_)),
                                        static_cast<int>(std::lround(client_height * fit_scale_))));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Until the size settles, the picture shown is the one drawn at the old size, scaled.
    guarded([this] { lay_out(size()); });
    settle_timer_.start();
}

void Form1::resize_now(QSize size) {
    resize(size);
    lay_out(size);
    settle_timer_.stop();
    start_rasterise();
    if (pending_) {
        pending_->replay.catch_up(driver_, [] { return false; });
        finish_rasterise();
    }
}

void Form1::lay_out(QSize size) {
    fit_scale_ = std::max(0.5, std::min(size.width() / static_cast<double>(client_width),
                                        size.height() / static_cast<double>(client_height)));
    const QSize picture = picture_rect().size();
    picture_origin_ =
        QPoint((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2);
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        const ScaledLabel scaled = scale_label(label_layouts[i], fit_scale_);
        labels_[i]->setGeometry(scaled.rect.translated(picture_origin_));
        QFont font = labels_[i]->font();
        font.setPixelSize(scaled.pixel_size);
        labels_[i]->setFont(font);
    }
    update();
}

double Form1::wanted_scale() const {
    return fit_scale_ * devicePixelRatioF();
}

void Form1::start_rasterise() {
    const double scale = wanted_scale();
    if (pending_ && std::abs(pending_->surface->scale() - scale) < 1e-9) return;
    pending_.reset();
    if (std::abs(surface_->scale() - scale) < 1e-9) return;
    pending_ = std::make_unique<PendingPicture>(scale);
    rasterise_slice();
}

void Form1::rasterise_slice() {
    if (!pending_) return;
    const double deadline = clock_() + rasterise_slice_ns;
    const bool caught_up = pending_->replay.catch_up(driver_, [&] { return clock_() > deadline; });
    if (caught_up) {
        finish_rasterise();
        return;
    }
    // The animation goes on meanwhile; the next slice chases it.
    if (slice_posted_) return;
    slice_posted_ = true;
    QTimer::singleShot(0, this, [this] {
        slice_posted_ = false;
        guarded([this] { rasterise_slice(); });
    });
}

void Form1::finish_rasterise() {
    driver_.set_surface(*pending_->surface);
    surface_ = std::move(pending_->surface);
    pending_.reset();
    update();
}

void Form1::paintEvent(QPaintEvent* event) {
    // A change of the device pixel ratio (another screen) asks for a new picture as well.
    if (!pending_ && !settle_timer_.isActive() &&
        std::abs(surface_->scale() - wanted_scale()) >= 1e-9) {
        guarded([this] { start_rasterise(); });
    }
    QPainter painter(this);
    const QRect picture = picture_rect();
    const QRegion margins = QRegion(event->rect()).subtracted(picture);
    for (const QRect& rect : margins) painter.fillRect(rect, Qt::white);
    const QImage& image = surface_->image();
    const double ratio = surface_->scale() / fit_scale_;
    for (const QRect& rect : event->region().intersected(picture)) {
        const QRectF source(QPointF(rect.topLeft() - picture.topLeft()) * ratio,
                            QSizeF(rect.size()) * ratio);
        painter.drawImage(QRectF(rect), image, source);
    }
}

void Form1::keyPressEvent(QKeyEvent* event) {
    const std::uint16_t code = key_ascii(*event);
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double arrival = key_arrival_ns(*event);
    guarded([this, code, arrival] { Form_KeyPress(code, arrival); });
}

double Form1::key_arrival_ns(const QKeyEvent& event) {
    const double now = clock_();
    if (event.timestamp() == 0) return now;  // a key without a time of its own
    // Events carry the window system's time in milliseconds. Its offset from this clock is
    // taken from the promptest event seen, so that keys handled together after the window was
    // busy keep the times they were typed at. A clock that jumped starts the estimate over.
    const double stamp = static_cast<double>(event.timestamp()) * 1e6;
    const double offset = now - stamp;
    if (!key_clock_known_ || offset < key_clock_offset_ns_ ||
        offset > key_clock_offset_ns_ + max_key_delay_ns) {
        key_clock_offset_ns_ = offset;
        key_clock_known_ = true;
    }
    return std::min(now, stamp + key_clock_offset_ns_);
}

void Form1::Form_KeyPress(std::uint16_t code, double arrival_ns) {
    const KeyResult result = pacer_.key_typed(code, arrival_ns);
    if (result.end_program) {
        End();
        return;
    }
    if (pacer_.armed()) {
        arm_timer();  // a new pace may move the next batch
        return;
    }
    if (result.steps > 0) show_steps();  // the sweep ended meanwhile: no batch will show them
    // Held: the keys may have released the driver. Look once every event already queued is
    // handled, so that keys handled together act together.
    check_after_events();
}

void Form1::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    guarded([this] { Form_DblClick(); });
}

void Form1::Form_DblClick() {
    End();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (may_end_ && !may_end_()) {
        event->ignore();
        return;
    }
    event->accept();
    guarded([this] { End(true); });
}

void Form1::End(bool asked) {
    if (!asked && may_end_ && !may_end_()) return;
    timer_.stop();
    settle_timer_.stop();
    pending_.reset();
    driver_.end_program();
    update();
    emit ended();
    QCoreApplication::exit(0);
}

void Form1::tick() {
    pacer_.tick();
    show_steps();  // also what keys ran before the driver came to hold
    arm_timer();
}

void Form1::arm_timer() {
    if (!pacer_.armed()) {
        timer_.stop();  // held: no timer, the process sleeps
        return;
    }
    const double wait_ns = pacer_.next_tick_ns() - clock_();
    const double wait_ms = std::clamp(std::ceil(wait_ns / 1e6), 0.0, static_cast<double>(INT_MAX));
    timer_.start(static_cast<int>(wait_ms));
}

void Form1::check_after_events() {
    if (!started_ || tick_posted_) return;
    tick_posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            tick_posted_ = false;
            if (!pacer_.armed() && driver_.state() != DriverState::ended) {
                guarded([this] { tick(); });
            }
        },
        Qt::QueuedConnection);
}

void Form1::show_steps() {
    update_readout();
    const QRect dirty = surface_->take_dirty_rect();
    if (!dirty.isEmpty()) {
        update(to_widget(dirty));
        emit shown(driver_.snapshot());
    }
}

QPointF Form1::client_point(QPoint widget_point) const {
    return QPointF(widget_point - picture_origin_) / fit_scale_;
}

void Form1::show_moment(std::unique_ptr<ImageSurface> surface, const DriverSnapshot& driver) {
    pending_.reset();
    surface_ = std::move(surface);
    driver_.set_surface(*surface_);
    driver_.restore(driver);
    run_.stopp = 1;
    surface_->take_dirty_rect();
    update();
    update_readout();
    emit shown(driver_.snapshot());
}

void Form1::set_pace(double stepe) {
    run_.stepe = stepe;
    if (pacer_.armed()) arm_timer();
}

void Form1::set_frozen(bool frozen) {
    run_.stopp = frozen ? 1 : 0;
    if (!frozen && !pacer_.armed()) check_after_events();
}

QRect Form1::to_widget(QRect image_rect) const {
    const double ratio = surface_->scale() / fit_scale_;
    const QRectF logical(QPointF(image_rect.topLeft()) / ratio, QSizeF(image_rect.size()) / ratio);
    return logical.toAlignedRect().translated(picture_origin_).adjusted(-1, -1, 1, 1);
}

void Form1::update_readout() {
    const long readout = driver_.readout();
    if (readout == shown_readout_) return;
    shown_readout_ = readout;
    labels_[label8_index]->setText(QString::fromStdString(readout_text(readout)));
}

}  // namespace hcci
