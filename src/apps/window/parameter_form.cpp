// SPDX-License-Identifier: MIT
#include "apps/window/parameter_form.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "core/report/parameter_messages.h"

namespace hcci {
namespace {

constexpr int decimals = 4;
// An open end of a range, as near as the spin box's decimals come.
constexpr double open_margin = 1e-4;

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A parameter's box: its value without trailing zeros ("12", not "12.0000"), and the mouse
// wheel for the panel's scrolling unless the box has the focus, so that scrolling past the
// boxes never changes the engine.
class ParameterBox final : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;

    QString textFromValue(double value) const override {
        QString text = locale().toString(value, 'f', decimals());
        text.remove(locale().groupSeparator());
        const QString point = locale().decimalPoint();
        if (text.contains(point)) {
            while (text.endsWith(QLatin1Char('0'))) text.chop(1);
            if (text.endsWith(point)) text.chop(point.size());
        }
        return text;
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (!hasFocus()) {
            event->ignore();  // on to the scroll area
            return;
        }
        QDoubleSpinBox::wheelEvent(event);
    }
};

}  // namespace

ParameterForm::ParameterForm(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The boxes scroll by themselves, so that what stands around them stays in view.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(120);
    auto* rows = new QWidget(scroll);
    auto* grid = new QGridLayout(rows);
    grid->setContentsMargins(0, 0, 6, 0);  // the ranges clear of the scroll bar
    grid->setColumnStretch(1, 1);
    // The model first: it decides which of the numbers below play a part.
    model_ = new QComboBox(rows);
    model_->setObjectName(QStringLiteral("model"));
    for (const EngineModelKind kind : {EngineModelKind::scheduled, EngineModelKind::predictive}) {
        model_->addItem(text_of(model_name(kind)), static_cast<int>(kind));
    }
    const QString model_tip =
        QStringLiteral("scheduled: the original engine, its ignitions typed in by angle; "
                       "predictive: both ignitions follow from the charge's own state");
    model_->setToolTip(model_tip);
    auto* model_label = new QLabel(QStringLiteral("model"), rows);
    model_label->setBuddy(model_);
    model_label->setToolTip(model_tip);
    grid->addWidget(model_label, 0, 0);
    grid->addWidget(model_, 0, 1);
    connect(model_, &QComboBox::currentIndexChanged, this, [this](int index) {
        EngineParameters candidate = parameters_;
        candidate.model = static_cast<EngineModelKind>(model_->itemData(index).toInt());
        if (candidate.model == parameters_.model) return;
        take_set(candidate);
    });
    for (std::size_t i = 0; i < parameter_count; ++i) {
        const ParameterInfo& info = parameter_table()[i];
        auto* box = new ParameterBox(rows);
        box->setObjectName(text_of(info.name));
        box->setFocusPolicy(Qt::StrongFocus);  // not taken by the wheel
        // Enough places for the default: 1.3e-4 is no 0.0001.
        const double usual = EngineParameters{}.*info.member;
        box->setDecimals(usual > 0 && usual < 0.01
                             ? decimals + static_cast<int>(std::ceil(-std::log10(usual)))
                             : decimals);
        box->setMinimumWidth(110);  // not as wide as the longest value it could show
        box->setRange(info.range.lowest + (info.range.lowest_included ? 0 : open_margin),
                      info.range.highest - (info.range.highest_included ? 0 : open_margin));
        box->setSingleStep(
            info.unit.starts_with("degrees") ? 0.25 : std::max(0.01, info.range.highest / 100));
        // A value counts once it is complete: Enter, a click elsewhere or the arrows.
        box->setKeyboardTracking(false);
        if (!info.unit.empty()) box->setSuffix(QLatin1Char(' ') + text_of(info.unit));
        const QString range = QString::fromStdString(range_text(info.range));
        QString tip = text_of(info.meaning) + QStringLiteral("; allowed ") + range;
        if (const std::string rule = rule_text(info); !rule.empty()) {
            tip += QStringLiteral(", ") + QString::fromStdString(rule);
        }
        box->setToolTip(tip);
        auto* name = new QLabel(text_of(info.name), rows);
        name->setBuddy(box);
        name->setToolTip(tip);
        auto* allowed = new QLabel(range, rows);
        allowed->setToolTip(tip);
        allowed->setForegroundRole(QPalette::PlaceholderText);
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(name, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(allowed, row, 2);
        boxes_[i] = box;
        connect(box, &QDoubleSpinBox::valueChanged, this,
                [this, i](double value) { take(i, value); });
    }
    scroll->setWidget(rows);
    layout->addWidget(scroll, 1);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #c00000"));
    layout->addWidget(problem_);
    set_parameters(EngineParameters{});
}

void ParameterForm::set_parameters(const EngineParameters& parameters) {
    parameters_ = parameters;
    {
        const QSignalBlocker quiet(model_);
        model_->setCurrentIndex(model_->findData(static_cast<int>(parameters.model)));
    }
    for (std::size_t i = 0; i < parameter_count; ++i) {
        const QSignalBlocker quiet(boxes_[i]);
        boxes_[i]->setValue(parameters.*parameter_table()[i].member);
    }
    show_model();
    problem_->clear();
}

// A number that plays no part in the model is greyed out.
void ParameterForm::show_model() {
    for (std::size_t i = 0; i < parameter_count; ++i) {
        boxes_[i]->setEnabled(shapes(parameter_table()[i], parameters_.model));
    }
}

void ParameterForm::take(std::size_t index, double value) {
    EngineParameters candidate = parameters_;
    candidate.*parameter_table()[index].member = value;
    if (!take_set(candidate)) {
        // Not an engine that can be drawn: the box goes back to what it showed.
        const QSignalBlocker quiet(boxes_[index]);
        boxes_[index]->setValue(parameters_.*parameter_table()[index].member);
    }
}

bool ParameterForm::take_set(const EngineParameters& candidate) {
    if (const auto problem = parameter_problem(candidate)) {
        problem_->setText(QString::fromStdString(*problem));
        const QSignalBlocker quiet(model_);
        model_->setCurrentIndex(model_->findData(static_cast<int>(parameters_.model)));
        return false;
    }
    problem_->clear();
    parameters_ = candidate;
    show_model();
    emit changed(parameters_);
    return true;
}

}  // namespace hcci
