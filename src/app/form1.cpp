#include "form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "fatal_error.h"
#include "logical_mapping.h"
#include "window_layout.h"

namespace hcci {
namespace {

QColor label_color(std::uint32_t color) {
    return ImageSurface::to_qcolor(color);
}

Qt::Alignment label_alignment(LabelAlignment alignment) {
    switch (alignment) {
        case LabelAlignment::left:
            return Qt::AlignLeft | Qt::AlignTop;
        case LabelAlignment::centre:
            return Qt::AlignHCenter | Qt::AlignTop;
        case LabelAlignment::right:
            return Qt::AlignRight | Qt::AlignTop;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QLabel* make_label(QWidget* parent, const LabelLayout& layout) {
    auto* label = new QLabel(
        QString::fromUtf8(layout.caption.data(), static_cast<qsizetype>(layout.caption.size())),
        parent);
    label->setObjectName(
        QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
    label->setGeometry(layout.left, layout.top, layout.width, layout.height);
    label->setWordWrap(true);
    label->setAlignment(label_alignment(layout.alignment));
    label->setMargin(0);
    label->setIndent(0);
    QFont font;
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    font.setBold(true);
    font.setPixelSize(layout.pixel_size);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, label_color(layout.text_color));
    palette.setColor(QPalette::Window, label_color(layout.background));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

// A key event as the character code the commands expect; 0 for keys without a character.
std::uint16_t key_ascii(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() != 1) return 0;
    return text.at(0).unicode();
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      surface_(std::make_unique<ImageSurface>()),
      driver_(*surface_, run_),
      pacer_(driver_, [this] { return static_cast<double>(clock_.nsecsElapsed()); }),
      shown_readout_(LONG_MIN) {
    clock_.start();
    setWindowTitle(
        QString::fromUtf8(form_caption.data(), static_cast<qsizetype>(form_caption.size())));
    // Resizable down to half the drawing's own size; the picture keeps its proportions.
    setMinimumSize((client_width + 1) / 2, (client_height + 1) / 2);
    resize(client_width, client_height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        labels_[i] = make_label(this, label_layouts[i]);
        labels_[i]->installEventFilter(this);
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { tick(); }); });
}

bool Form1::event(QEvent* event) {
    // The window is activated when it is first shown; without a window manager no activation
    // event comes, so showing it counts as well.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
        guarded([this] { Form_Activate(); });
    }
    return QWidget::event(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // A double click on a label is not a double click on the window.
    if (event->type() == QEvent::MouseButtonDblClick) return true;
    return QWidget::eventFilter(watched, event);
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
    guarded([this] { lay_out(size()); });
}

void Form1::resize_now(QSize size) {
    resize(size);
    lay_out(size);
}

void Form1::lay_out(QSize size) {
    fit_scale_ = std::max(0.5, std::min(size.width() / static_cast<double>(client_width),
                                        size.height() / static_cast<double>(client_height)));
    const QRect picture(QPoint(0, 0), picture_rect().size());
    picture_origin_ =
        QPoint((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2);
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        const LabelLayout& layout = label_layouts[i];
        const auto scaled = [this](int v) { return static_cast<int>(std::lround(v * fit_scale_)); };
        labels_[i]->setGeometry(picture_origin_.x() + scaled(layout.left),
                                picture_origin_.y() + scaled(layout.top), scaled(layout.width),
                                scaled(layout.height));
        QFont font = labels_[i]->font();
        font.setPixelSize(std::max(1, scaled(layout.pixel_size)));
        labels_[i]->setFont(font);
    }
    rasterise_if_needed();
    update();
}

void Form1::rasterise_if_needed() {
    const double ratio = devicePixelRatioF();
    const double scale = fit_scale_ * ratio;
    if (std::abs(scale - surface_->scale()) < 1e-9) return;
    auto surface = std::make_unique<ImageSurface>(scale);
    replay_cycle(*surface, driver_);
    driver_.set_surface(*surface);
    surface_ = std::move(surface);
}

void Form1::paintEvent(QPaintEvent* event) {
    guarded([this] { rasterise_if_needed(); });
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
    guarded([this, code] { Form_KeyPress(code); });
}

void Form1::Form_KeyPress(std::uint16_t code) {
    if (hcci::Form_KeyPress(run_, code) == CommandResult::end_program) {
        End();
        return;
    }
    if (changes_pace(code) && pacer_.armed()) arm(pacer_.pace_changed().next_tick_ns);
    // Let every event already queued be handled before the driver looks at the values.
    if (!check_posted_) {
        check_posted_ = true;
        QMetaObject::invokeMethod(
            this, [this] { guarded([this] { check_run_control(); }); }, Qt::QueuedConnection);
    }
}

void Form1::mouseDoubleClickEvent(QMouseEvent*) {
    guarded([this] { Form_DblClick(); });
}

void Form1::Form_DblClick() {
    End();
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    guarded([this] { End(); });
}

void Form1::End() {
    timer_.stop();
    driver_.end_program();
    update();
    emit ended();
    QCoreApplication::exit(0);
}

void Form1::check_run_control() {
    check_posted_ = false;
    // A frozen or waiting driver sleeps with no timer armed; the commands wake it.
    if (started_ && !pacer_.armed() && !timer_.isActive()) tick();
}

void Form1::tick() {
    const TickResult result = pacer_.tick();
    if (result.steps > 0) {
        update_readout();
        const QRect dirty = surface_->take_dirty_rect();
        if (!dirty.isEmpty()) update(to_widget(dirty));
    }
    if (result.armed) arm(result.next_tick_ns);
}

QRect Form1::to_widget(QRect image_rect) const {
    const double ratio = surface_->scale() / fit_scale_;
    const QRectF logical(QPointF(image_rect.topLeft()) / ratio, QSizeF(image_rect.size()) / ratio);
    return logical.toAlignedRect().translated(picture_origin_).adjusted(-1, -1, 1, 1);
}

void Form1::arm(double next_tick_ns) {
    const double wait_ns = next_tick_ns - static_cast<double>(clock_.nsecsElapsed());
    const double wait_ms = std::clamp(std::ceil(wait_ns / 1e6), 0.0, static_cast<double>(INT_MAX));
    timer_.start(static_cast<int>(wait_ms));
}

void Form1::update_readout() {
    const long readout = driver_.readout();
    if (readout == shown_readout_) return;
    shown_readout_ = readout;
    labels_[label8_index]->setText(QString::fromStdString(readout_text(readout)));
}

}  // namespace hcci
