// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "core/model/engine_parameters.h"

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

signals:
    // The user changed a value, and the engine it makes can be drawn.
    void changed(const hcci::EngineParameters& parameters);

private:
    void take(std::size_t index, double value);

    EngineParameters parameters_;
    std::array<QDoubleSpinBox*, parameter_count> boxes_{};
    QLabel* problem_ = nullptr;
};

}  // namespace hcci
