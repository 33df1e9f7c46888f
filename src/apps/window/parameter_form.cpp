// SPDX-License-Identifier: MIT
#include "apps/window/parameter_form.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "apps/window/fold_section.h"
#include "apps/window/jump_slider.h"
#include "core/model/engine_model.h"
#include "core/report/number_text.h"
#include "core/report/parameter_labels.h"
#include "core/report/parameter_messages.h"
#include "qt/text/qt_text.h"

namespace hcci {
namespace {

// A box wide enough for "-12.345", and a slider long enough to set a value by the pointer.
constexpr int box_width = 84;
constexpr int least_slider_width = 200;

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

// A value on a grid of the increment, as it would be typed: 0.05 steps show two decimals at
// most, never 0.15000000000000002.
double on_grid(double value, double increment) {
    const double snapped = std::round(value / increment) * increment;
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(increment) - 1e-9)));
    return parse_decimal(fixed_text(snapped, decimals)).value_or(snapped);
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
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    // The model first: it decides which of the numbers below play a part.
    auto* model_row = new QHBoxLayout;
    model_ = new QComboBox(this);
    model_->setObjectName(QStringLiteral("model"));
    QString model_tip;
    for (const EngineModelEntry* model : engine_models()) {
        model_->addItem(text_of(model->name));
        model_tip += text_of(model->name) + QStringLiteral(": ") + text_of(model->summary) +
                     QStringLiteral(";\n");
    }
    model_tip += QStringLiteral("In a parameter file: model");
    model_->setToolTip(model_tip);
    auto* model_label = new QLabel(QStringLiteral("Engine model"), this);
    model_label->setBuddy(model_);
    model_label->setToolTip(model_tip);
    model_row->addWidget(model_label);
    model_row->addWidget(model_, 1);
    column->addLayout(model_row);
    connect(model_, &QComboBox::currentIndexChanged, this, [this](int index) {
        choose_model(engine_models()[static_cast<std::size_t>(index)]->name);
    });
    choices_.resize(choice_table().size());
    std::string_view group;
    QVBoxLayout* rows = nullptr;
    // The table lists each group's parameters together; each group folds under its title.
    for (const ParameterInfo& info : parameter_table()) {
        const std::size_t i = parameter_index(info);
        if (rows == nullptr || group != info.group) {
            group = info.group;
            auto* section = new FoldSection(text_of(info.group), this);
            section->setObjectName(QStringLiteral("group ") + text_of(info.group));
            sections_.push_back(section);
            rows = section->layout();
            rows->setSpacing(1);
            column->addWidget(section);
            // A group's named choices first.
            for (std::size_t c = 0; c < choice_table().size(); ++c) {
                if (choice_table()[c].group == group) add_choice_row(c, rows);
            }
        }
        // The plain name above its box and slider, the name in a parameter file at its right.
        auto* heading = new QHBoxLayout;
        auto* name = new QLabel(text_of(info.label), this);
        auto* machine = small_label(text_of(info.name), this);
        machine->setForegroundRole(QPalette::PlaceholderText);
        machine->setTextInteractionFlags(Qt::TextSelectableByMouse);
        heading->addWidget(name, 1);
        heading->addWidget(machine, 0, Qt::AlignRight);
        auto* box = new QLineEdit(this);
        box->setObjectName(text_of(info.name));
        box->setFixedWidth(box_width);
        // Its height kept when the red frame of a refusal comes, so that nothing moves.
        box->setFixedHeight(box->sizeHint().height());
        box->installEventFilter(this);
        name->setBuddy(box);
        const SliderScale scale = slider_scale(info, info.step);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(scale.lowest, scale.highest);
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->setMinimumWidth(least_slider_width);
        slider->installEventFilter(this);
        jump_to_click(slider);
        for (QWidget* tipped : {static_cast<QWidget*>(name), static_cast<QWidget*>(box),
                                static_cast<QWidget*>(slider), static_cast<QWidget*>(machine)}) {
            tipped->setProperty("parameter", static_cast<qulonglong>(i));
            tipped_.push_back(tipped);
        }
        // The range, or why the text does not count, wrapped in full under the row: a reason
        // that takes more lines moves only the rows below the one being edited.
        auto* note = small_label({}, this);
        note->setWordWrap(true);
        // Its height set by fit_note, not asked of it by the layouts, which then spread a
        // change of it over the rows above.
        QSizePolicy fixed(QSizePolicy::Preferred, QSizePolicy::Fixed);
        fixed.setHeightForWidth(false);
        note->setSizePolicy(fixed);
        note->setFixedHeight(note->fontMetrics().height());
        note->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* setting = new QHBoxLayout;
        setting->addWidget(box);
        setting->addWidget(slider, 1);
        rows->addLayout(heading);
        rows->addLayout(setting);
        rows->addWidget(note);
        rows->addSpacing(4);
        boxes_[i] = box;
        sliders_[i] = slider;
        notes_[i] = note;
        connect(box, &QLineEdit::textEdited, this, [this, i] { typed(i); });
        connect(slider, &QSlider::valueChanged, this,
                [this, i](int position) { slid(i, position); });
    }
    column->addStretch(1);
    set_parameters(EngineParameters{});
}

// A named choice: a box of its options, its file name beneath.
void ParameterForm::add_choice_row(std::size_t index, QVBoxLayout* rows) {
    const ChoiceInfo& info = choice_table()[index];
    auto* box = new QComboBox(this);
    box->setObjectName(text_of(info.name));
    for (const ChoiceOption& option : info.options) box->addItem(text_of(option.name));
    const QString tip = QString::fromStdString(choice_tooltip(info));
    box->setToolTip(tip);
    // The plain name above its box, the name in a parameter file at its right, as a number's.
    auto* heading = new QHBoxLayout;
    auto* name = new QLabel(text_of(info.label), this);
    name->setBuddy(box);
    name->setToolTip(tip);
    auto* machine = small_label(text_of(info.name), this);
    machine->setForegroundRole(QPalette::PlaceholderText);
    machine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    machine->setToolTip(tip);
    heading->addWidget(name, 1);
    heading->addWidget(machine, 0, Qt::AlignRight);
    rows->addLayout(heading);
    rows->addWidget(box, 0, Qt::AlignLeft);
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
    if (tips_model_ != parameters_.model) {
        tips_model_ = parameters_.model;
        for (QWidget* tipped : tipped_) {
            const auto i = static_cast<std::size_t>(tipped->property("parameter").toULongLong());
            tipped->setToolTip(
                QString::fromStdString(parameter_tooltip(info_at(i), parameters_.model)));
        }
    }
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (reasons_[i].isEmpty()) mark(i, {});
    }
}

void ParameterForm::show_value(std::size_t i) {
    const double value = parameters_.*info_at(i).member;
    const QString text = QString::fromStdString(shortest_text(value));
    if (boxes_[i]->text() != text) boxes_[i]->setText(text);
    const QSignalBlocker quiet(sliders_[i]);
    const double step = info_at(i).step;
    sliders_[i]->setValue(static_cast<int>(std::lround(value / step)));
}

// A note as tall as its text wrapped at its width takes, a line at least.
void ParameterForm::fit_note(std::size_t i, int width) {
    QLabel* note = notes_[i];
    const QFontMetrics metrics = note->fontMetrics();
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, std::max(width, 1), 1 << 20),
                                               Qt::TextWordWrap, note->text());
    note->setFixedHeight(std::max(metrics.height(), wrapped.height()));
}

void ParameterForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (std::size_t i = 0; i < notes_.size(); ++i) fit_note(i, note_width());
}

int ParameterForm::note_width() const {
    return width() - FoldSection::indent;  // the notes span the form, less the groups' indent
}

// Each property is set only when it changes: a style sheet or a label's text set again costs
// the panel a new layout, and a change of engine marks every row.
void ParameterForm::mark(std::size_t i, const QString& reason) {
    reasons_[i] = reason;
    const ParameterInfo& info = info_at(i);
    QLabel* note = notes_[i];
    QString text = reason, tip = reason, note_style, box_style;
    if (reason.isEmpty()) {
        text = QString::fromStdString(allowed_text(info));
        if (!info.unit.empty()) text = text_of(info.unit) + QStringLiteral(", ") + text;
        tip = QString::fromStdString(parameter_tooltip(info, parameters_.model));
    } else {
        note_style = QStringLiteral("color: #c00000");
        box_style = QStringLiteral("QLineEdit { border: 1px solid #c00000; }");
    }
    if (note->text() != text) {
        note->setText(text);
        fit_note(i, note_width());
    }
    if (note->toolTip() != tip) note->setToolTip(tip);
    if (note->styleSheet() != note_style) note->setStyleSheet(note_style);
    if (boxes_[i]->styleSheet() != box_style) boxes_[i]->setStyleSheet(box_style);
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
    show_offered(i, on_grid(position * info_at(i).step, info_at(i).step));
}

void ParameterForm::show_offered(std::size_t i, double value) {
    boxes_[i]->setText(QString::fromStdString(shortest_text(value)));
    offer(i, value);
}

// From the box's value (or the one that counts, when the box's does not), by whole steps of
// the parameter, or of a tenth of it; kept within the slider's ends.
void ParameterForm::step_by(std::size_t i, int steps, bool tenth) {
    const ParameterInfo& info = info_at(i);
    const double increment = tenth ? info.step / 10 : info.step;
    const DecimalRead read = read_decimal(boxes_[i]->text().trimmed().toStdString());
    const double from =
        read.kind == DecimalRead::Kind::number ? read.value : parameters_.*info.member;
    const SliderScale scale = slider_scale(info, info.step);
    const double value = std::clamp(on_grid(from + steps * increment, increment),
                                    on_grid(scale.lowest * info.step, info.step),
                                    on_grid(scale.highest * info.step, info.step));
    show_offered(i, value);
    const QSignalBlocker quiet(sliders_[i]);
    sliders_[i]->setValue(static_cast<int>(std::lround(value / info.step)));
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

// Up and Down on a box, and the arrows on a slider, step the value by the parameter's step,
// with Shift by a tenth of it; so does the wheel over a box or slider that has the focus. The
// wheel over one without the focus scrolls the panel, so that scrolling past the rows never
// changes the engine.
bool ParameterForm::eventFilter(QObject* watched, QEvent* event) {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const bool box = watched == boxes_[i];
        if (!box && watched != sliders_[i]) continue;
        if (event->type() == QEvent::KeyPress) {
            const auto* press = static_cast<QKeyEvent*>(event);
            const bool tenth = press->modifiers() & Qt::ShiftModifier;
            const int key = press->key();
            const bool up = key == Qt::Key_Up || (!box && key == Qt::Key_Right);
            const bool down = key == Qt::Key_Down || (!box && key == Qt::Key_Left);
            if (up || down) {
                step_by(i, up ? 1 : -1, tenth);
                return true;
            }
            if (box && key == Qt::Key_Escape && !reasons_[i].isEmpty()) {
                show_value(i);  // back to the value that counts
                mark(i, {});
                return true;
            }
        }
        if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (!static_cast<QWidget*>(watched)->hasFocus()) {
                event->ignore();  // on to the panel, which scrolls
                return true;
            }
            // Some platforms turn the wheel sideways while Shift is held.
            const QPoint delta = wheel->angleDelta();
            const int turned = delta.y() != 0 ? delta.y() : delta.x();
            const int notches = turned / 120;
            if (notches != 0) step_by(i, notches, wheel->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace hcci
