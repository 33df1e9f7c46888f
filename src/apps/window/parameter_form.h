// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>
#include <array>

#include "core/model/engine_parameters.h"

class QComboBox;

namespace hcci {

// Every parameter of the engine under its plain name, in its group, with a box to type into and
// a slider beside it. What is typed stays as typed: a value that breaks its range or the order
// of the schedule is marked in place with the reason, where its range is shown otherwise, and
// counts only once it is valid. A valid change is told at once, the slider's too while it moves.
class ParameterForm final : public QWidget {
    Q_OBJECT

public:
    explicit ParameterForm(QWidget* parent = nullptr);

    // Shows these values (which pass check_parameters) without telling anyone, and forgets
    // anything typed that did not count.
    void set_parameters(const EngineParameters& parameters);
    const EngineParameters& parameters() const { return parameters_; }
    QLineEdit* box(std::size_t index) const { return boxes_.at(index); }
    QSlider* slider(std::size_t index) const { return sliders_.at(index); }
    QComboBox* model_box() const { return model_; }
    // Why the box's text does not count, or nothing when it does.
    QString reason(std::size_t index) const;
    // Whether any box holds text that does not count.
    bool has_refused_text() const;

signals:
    // The user changed a value, and the engine it makes can be drawn.
    void changed(const hcci::EngineParameters& parameters);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typed(std::size_t index);
    void slid(std::size_t index, int position);
    void step_by(std::size_t index, int steps);
    // Takes the value when the engine it makes can be drawn; marks the box otherwise.
    void offer(std::size_t index, double value);
    void mark(std::size_t index, const QString& reason);
    void show_value(std::size_t index);
    void show_model();

    EngineParameters parameters_;
    QComboBox* model_ = nullptr;
    std::array<QLineEdit*, parameter_count> boxes_{};
    std::array<QSlider*, parameter_count> sliders_{};
    std::array<QLabel*, parameter_count> notes_{};  // the range, or why the text does not count
    std::array<QString, parameter_count> reasons_{};
};

}  // namespace hcci
