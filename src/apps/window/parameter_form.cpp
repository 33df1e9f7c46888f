// SPDX-License-Identifier: MIT
#include "apps/window/parameter_form.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "apps/window/jump_slider.h"
#include "core/model/engine_model.h"
#include "core/report/number_text.h"
#include "core/report/parameter_labels.h"
#include "core/report/parameter_messages.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

const ParameterInfo& info_at(std::size_t index) {
    return parameter_table()[index];
}

// A slider's positions are whole multiples of the parameter's step within its range.
struct SliderScale {
    int lowest, highest;
};

SliderScale slider_scale(const ParameterInfo& info, double step) {
    const ParameterRange& r = info.range;
    int lowest = static_cast<int>(std::ceil(r.lowest / step - 1e-9));
    if (!r.lowest_included && std::abs(lowest * step - r.lowest) < 1e-9 * step) ++lowest;
    int highest = static_cast<int>(std::floor(r.highest / step + 1e-9));
    if (!r.highest_included && std::abs(highest * step - r.highest) < 1e-9 * step) --highest;
    return {lowest, std::max(lowest, highest)};
}

// The value at a slider's position, as it would be typed: 0.5 steps show one decimal at most.
double value_at(int position, double step) {
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    return parse_decimal(fixed_text(position * step, decimals)).value_or(position * step);
}

QLabel* small_label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

}  // namespace

ParameterForm::ParameterForm(QWidget* parent, Check check)
    : QWidget(parent), check_(std::move(check)) {
    const std::size_t count = parameter_table().size();
    boxes_.resize(count);
    sliders_.resize(count);
    notes_.resize(count);
    reasons_.resize(count);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The rows scroll by themselves, so that what stands around them stays in view.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(120);
    auto* rows = new QWidget(scroll);
    auto* grid = new QGridLayout(rows);
    grid->setContentsMargins(0, 0, 6, 0);  // clear of the scroll bar
    grid->setVerticalSpacing(1);
    grid->setColumnStretch(2, 1);
    // The model first: it decides which of the numbers below play a part.
    model_ = new QComboBox(rows);
    model_->setObjectName(QStringLiteral("model"));
    QString model_tip;
    for (const EngineModelEntry* model : engine_models()) {
        model_->addItem(text_of(model->name));
        model_tip += text_of(model->name) + QStringLiteral(": ") + text_of(model->summary) +
                     QStringLiteral(";\n");
    }
    model_tip += QStringLiteral("In a parameter file: model");
    model_->setToolTip(model_tip);
    auto* model_label = new QLabel(QStringLiteral("Engine model"), rows);
    model_label->setBuddy(model_);
    model_label->setToolTip(model_tip);
    grid->addWidget(model_label, 0, 0);
    grid->addWidget(model_, 0, 1, 1, 2, Qt::AlignLeft);
    connect(model_, &QComboBox::currentIndexChanged, this, [this](int index) {
        choose_model(engine_models()[static_cast<std::size_t>(index)]->name);
    });
    choices_.resize(choice_table().size());
    int row = 1;
    std::string_view group;
    // The table lists each group's parameters together.
    for (const ParameterInfo& info : parameter_table()) {
        const std::size_t i = parameter_index(info);
        if (group != info.group) {
            group = info.group;
            auto* title = new QLabel(text_of(info.group), rows);
            QFont bold = title->font();
            bold.setBold(true);
            title->setFont(bold);
            grid->addWidget(title, row++, 0, 1, 3);
            // A group's named choices first.
            for (std::size_t c = 0; c < choice_table().size(); ++c) {
                if (choice_table()[c].group != group) continue;
                add_choice_row(c, rows, grid, row);
                row += 2;
            }
        }
        auto* name = new QLabel(text_of(info.label), rows);
        auto* box = new QLineEdit(rows);
        box->setObjectName(text_of(info.name));
        box->setFixedWidth(96);
        box->installEventFilter(this);
        name->setBuddy(box);
        const SliderScale scale = slider_scale(info, info.step);
        auto* slider = new QSlider(Qt::Horizontal, rows);
        slider->setRange(scale.lowest, scale.highest);
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->setMinimumWidth(60);
        slider->installEventFilter(this);
        jump_to_click(slider);
        auto* machine = small_label(text_of(info.name), rows);
        machine->setForegroundRole(QPalette::PlaceholderText);
        machine->setTextInteractionFlags(Qt::TextSelectableByMouse);
        for (QWidget* tipped : {static_cast<QWidget*>(name), static_cast<QWidget*>(box),
                                static_cast<QWidget*>(slider), static_cast<QWidget*>(machine)}) {
            tipped->setProperty("parameter", static_cast<qulonglong>(i));
            tipped_.push_back(tipped);
        }
        // The note's room is kept whatever it says, so that nothing moves when a reason shows.
        auto* note = small_label({}, rows);
        note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        note->setFixedHeight(note->fontMetrics().height());
        grid->addWidget(name, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(slider, row, 2);
        grid->addWidget(machine, row + 1, 0);
        grid->addWidget(note, row + 1, 1, 1, 2);
        row += 2;
        boxes_[i] = box;
        sliders_[i] = slider;
        notes_[i] = note;
        connect(box, &QLineEdit::textEdited, this, [this, i] { typed(i); });
        connect(slider, &QSlider::valueChanged, this,
                [this, i](int position) { slid(i, position); });
    }
    grid->setRowStretch(row, 1);
    scroll->setWidget(rows);
    layout->addWidget(scroll, 1);
    set_parameters(EngineParameters{});
}

// A named choice: a box of its options, its file name beneath.
void ParameterForm::add_choice_row(std::size_t index, QWidget* rows, QGridLayout* grid, int row) {
    const ChoiceInfo& info = choice_table()[index];
    auto* box = new QComboBox(rows);
    box->setObjectName(text_of(info.name));
    for (const ChoiceOption& option : info.options) box->addItem(text_of(option.name));
    const QString tip = QString::fromStdString(choice_tooltip(info));
    box->setToolTip(tip);
    auto* name = new QLabel(text_of(info.label), rows);
    name->setBuddy(box);
    name->setToolTip(tip);
    auto* machine = small_label(text_of(info.name), rows);
    machine->setForegroundRole(QPalette::PlaceholderText);
    machine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    machine->setToolTip(tip);
    grid->addWidget(name, row, 0);
    grid->addWidget(box, row, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(machine, row + 1, 0);
    choices_[index] = box;
    connect(box, &QComboBox::currentIndexChanged, this, [this, index](int position) {
        const ChoiceInfo& choice = choice_table()[index];
        EngineParameters candidate = parameters_;
        candidate.*choice.member = choice.options[static_cast<std::size_t>(position)].name;
        if (candidate == parameters_ || check_(candidate)) return;
        parameters_ = candidate;
        emit changed(parameters_);
    });
}

// Another model: each number still at the old model's default takes the new model's, as a
// parameter file that leaves it out would.
void ParameterForm::choose_model(std::string_view model) {
    EngineParameters candidate = parameters_;
    candidate.model = model;
    if (candidate.model == parameters_.model) return;
    const EngineParameters before = model_defaults(parameters_.model).value_or(EngineParameters{});
    const EngineParameters after = model_defaults(model).value_or(EngineParameters{});
    for (const ParameterInfo& info : parameter_table()) {
        if (parameters_.*info.member == before.*info.member) {
            candidate.*info.member = after.*info.member;
        }
    }
    if (check_(candidate)) return;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (candidate.*info_at(i).member != parameters_.*info_at(i).member) {
            parameters_.*info_at(i).member = candidate.*info_at(i).member;
            show_value(i);
            mark(i, {});
        }
    }
    parameters_ = candidate;
    show_model();
    emit changed(parameters_);
}

void ParameterForm::set_parameters(const EngineParameters& parameters) {
    parameters_ = parameters;
    {
        const QSignalBlocker quiet(model_);
        model_->setCurrentIndex(model_->findText(text_of(parameters.model)));
    }
    for (std::size_t c = 0; c < choices_.size(); ++c) {
        const QSignalBlocker quiet(choices_[c]);
        const ChoiceInfo& choice = choice_table()[c];
        choices_[c]->setCurrentIndex(choices_[c]->findText(text_of(parameters.*choice.member)));
    }
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        show_value(i);
        mark(i, {});
    }
    show_model();
}

QString ParameterForm::reason(std::size_t index) const {
    return reasons_.at(index);
}

bool ParameterForm::has_refused_text() const {
    return std::any_of(reasons_.begin(), reasons_.end(),
                       [](const QString& r) { return !r.isEmpty(); });
}

// A number that plays no part in the model is greyed out; the tooltips give the model's
// defaults.
void ParameterForm::show_model() {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const bool shaping = shapes(info_at(i), parameters_.model);
        boxes_[i]->setEnabled(shaping);
        sliders_[i]->setEnabled(shaping);
    }
    for (std::size_t c = 0; c < choices_.size(); ++c) {
        choices_[c]->setEnabled(shapes(choice_table()[c], parameters_.model));
    }
    for (QWidget* tipped : tipped_) {
        const auto i = static_cast<std::size_t>(tipped->property("parameter").toULongLong());
        tipped->setToolTip(
            QString::fromStdString(parameter_tooltip(info_at(i), parameters_.model)));
    }
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (reasons_[i].isEmpty()) mark(i, {});
    }
}

void ParameterForm::show_value(std::size_t i) {
    const double value = parameters_.*info_at(i).member;
    boxes_[i]->setText(QString::fromStdString(shortest_text(value)));
    const QSignalBlocker quiet(sliders_[i]);
    const double step = info_at(i).step;
    sliders_[i]->setValue(static_cast<int>(std::lround(value / step)));
}

void ParameterForm::mark(std::size_t i, const QString& reason) {
    reasons_[i] = reason;
    const ParameterInfo& info = info_at(i);
    QLabel* note = notes_[i];
    if (reason.isEmpty()) {
        QString range = QString::fromStdString(allowed_text(info));
        if (!info.unit.empty()) range = text_of(info.unit) + QStringLiteral(", ") + range;
        note->setText(range);
        note->setToolTip(QString::fromStdString(parameter_tooltip(info, parameters_.model)));
        note->setStyleSheet({});
        boxes_[i]->setStyleSheet({});
        return;
    }
    note->setText(reason);
    note->setToolTip(reason);
    note->setStyleSheet(QStringLiteral("color: #c00000"));
    boxes_[i]->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #c00000; }"));
}

void ParameterForm::typed(std::size_t i) {
    const QString text = boxes_[i]->text().trimmed();
    const DecimalRead read = read_decimal(text.toStdString());
    if (read.kind != DecimalRead::Kind::number) {
        mark(i, text.isEmpty() ? QStringLiteral("a number is needed")
                               : QStringLiteral("not a number"));
        return;
    }
    {
        const QSignalBlocker quiet(sliders_[i]);
        sliders_[i]->setValue(
            static_cast<int>(std::lround(std::clamp(read.value / info_at(i).step, -1e9, 1e9))));
    }
    offer(i, read.value);
}

void ParameterForm::slid(std::size_t i, int position) {
    const double value = value_at(position, info_at(i).step);
    boxes_[i]->setText(QString::fromStdString(shortest_text(value)));
    offer(i, value);
}

void ParameterForm::step_by(std::size_t i, int steps) {
    const double step = info_at(i).step;
    const DecimalRead read = read_decimal(boxes_[i]->text().trimmed().toStdString());
    const double from =
        read.kind == DecimalRead::Kind::number ? read.value : parameters_.*info_at(i).member;
    const SliderScale scale = slider_scale(info_at(i), step);
    const int position =
        std::clamp(static_cast<int>(std::lround(from / step)) + steps, scale.lowest, scale.highest);
    slid(i, position);
    const QSignalBlocker quiet(sliders_[i]);
    sliders_[i]->setValue(position);
}

void ParameterForm::offer(std::size_t i, double value) {
    EngineParameters candidate = parameters_;
    candidate.*info_at(i).member = value;
    if (const auto problem = check_(candidate)) {
        // The range alone says it shortest; an order names both parameters.
        if ((problem->kind == ProblemKind::out_of_range ||
             problem->kind == ProblemKind::not_whole) &&
            problem->parameter == &info_at(i)) {
            mark(i,
                 QStringLiteral("allowed is ") + QString::fromStdString(allowed_text(info_at(i))));
        } else {
            mark(i, QString::fromStdString(problem_text(*problem)));
        }
        return;
    }
    mark(i, {});
    if (candidate == parameters_) return;
    parameters_ = candidate;
    emit changed(parameters_);
}

// The arrows step a box's value; the wheel turns a slider only while it has the focus, so that
// scrolling past the rows never changes the engine.
bool ParameterForm::eventFilter(QObject* watched, QEvent* event) {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (watched == boxes_[i] && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                step_by(i, key == Qt::Key_Up ? 1 : -1);
                return true;
            }
            if (key == Qt::Key_Escape && !reasons_[i].isEmpty()) {
                show_value(i);  // back to the value that counts
                mark(i, {});
                return true;
            }
        }
        if (watched == sliders_[i] && event->type() == QEvent::Wheel && !sliders_[i]->hasFocus()) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace hcci
