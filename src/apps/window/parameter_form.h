// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "core/model/engine_parameters.h"

class QComboBox;
class QDoubleSpinBox;

namespace hcci {

// A spin box for every parameter of the engine, with its unit and range; a value that would
// break the rules between the parameters is refused, with the reason beside.
class ParameterForm final : public QWidget {
    Q_OBJECT

public:
    explicit ParameterForm(QWidget* parent = nullptr);

    // Shows these values (which pass check_parameters) without telling anyone.
    void set_parameters(const EngineParameters& parameters);
    const EngineParameters& parameters() const { return parameters_; }
    QDoubleSpinBox* spin_box(std::size_t index) const { return boxes_.at(index); }
    QComboBox* model_box() const { return model_; }

signals:
    // The user changed a value, and the engine it makes can be drawn.
    void changed(const hcci::EngineParameters& parameters);

private:
    void take(std::size_t index, double value);
    // Takes the whole set when it can make a cycle, or tells why not.
    bool take_set(const EngineParameters& candidate);
    void show_model();

    EngineParameters parameters_;
    QComboBox* model_ = nullptr;
    std::array<QDoubleSpinBox*, parameter_count> boxes_{};
    QLabel* problem_ = nullptr;
};

}  // namespace hcci
