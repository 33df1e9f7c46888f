// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/engine_parameters.h"

class QComboBox;
class QVBoxLayout;

namespace hcci {
class FoldSection;
}

namespace hcci {

// Every parameter of the engine under its plain name, in its group (which folds), with a box to
// type into and a slider beside it. What is typed stays as typed: a value that breaks its range or
// the order of the schedule is marked in place with the reason, where its range is shown otherwise,
// and counts only once it is valid. A valid change is told at once, the slider's too while it
// moves.
class ParameterForm final : public QWidget {
    Q_OBJECT

public:
    // What the form asks of a value before it counts: the engine's problem, or nothing when it
    // can be drawn. check_parameters by default; a caller that goes on to draw the engine can
    // run its cycle here, once.
    using Check = std::function<std::optional<ParameterProblem>(const EngineParameters&)>;

    explicit ParameterForm(QWidget* parent = nullptr, Check check = check_parameters);

    // Shows these values (which pass check_parameters) without telling anyone, and forgets
    // anything typed that did not count.
    void set_parameters(const EngineParameters& parameters);
    const EngineParameters& parameters() const { return parameters_; }
    QLineEdit* box(std::size_t index) const { return boxes_.at(index); }
    QSlider* slider(std::size_t index) const { return sliders_.at(index); }
    QComboBox* model_box() const { return model_; }
    // The box of choice_table()[index].
    QComboBox* choice_box(std::size_t index) const { return choices_.at(index); }
    // The parameters' groups, each folding under its title, in the table's order.
    const std::vector<FoldSection*>& groups() const { return sections_; }
    QLabel* note(std::size_t index) const { return notes_.at(index); }
    // Why the box's text does not count, or nothing when it does.
    QString reason(std::size_t index) const;
    // Whether any box holds text that does not count.
    bool has_refused_text() const;

signals:
    // The user changed a value, and the engine it makes can be drawn.
    void changed(const hcci::EngineParameters& parameters);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void typed(std::size_t index);
    void slid(std::size_t index, int position);
    void step_by(std::size_t index, int steps, bool tenth);
    void show_offered(std::size_t index, double value);
    // Takes the value when the engine it makes can be drawn; marks the box otherwise.
    void offer(std::size_t index, double value);
    void mark(std::size_t index, const QString& reason);
    void fit_note(std::size_t index, int width);
    int note_width() const;
    void show_value(std::size_t index);
    void show_model();
    void choose_model(std::string_view model);
    void add_choice_row(std::size_t index, QVBoxLayout* rows);

    EngineParameters parameters_;
    Check check_;
    QComboBox* model_ = nullptr;
    std::vector<QComboBox*> choices_;  // a box for each of choice_table(), in its order
    // A row for each parameter of parameter_table(), in its order.
    std::vector<QLineEdit*> boxes_;
    std::vector<QSlider*> sliders_;
    std::vector<FoldSection*> sections_;
    std::vector<QLabel*> notes_;  // the range, or why the text does not count
    std::vector<QString> reasons_;
    std::vector<QWidget*> tipped_;  // what shows each parameter's tooltip, its default the model's
    std::string tips_model_;        // the model whose defaults the tooltips give
};

}  // namespace hcci
