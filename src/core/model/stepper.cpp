// SPDX-License-Identifier: MIT
#include "core/model/stepper.h"

namespace hcci {

namespace {

EngineModel model_of(EngineModelKind kind) {
    if (kind == EngineModelKind::predictive) return PredictiveModel{};
    return ScheduledModel{};
}

}  // namespace

Stepper::Stepper(const EngineParameters& parameters)
    : geometry_(make_engine_geometry(parameters)), model_(model_of(parameters.model)) {
    std::visit([this](auto& model) { reset(model, geometry_); }, model_);
}

const FuelReadings* Stepper::fuel() const {
    return std::visit([](const auto& model) { return fuel_readings(model); }, model_);
}

bool Stepper::finite() const {
    return std::visit([](const auto& model) { return is_finite(model); }, model_);
}

const CombustionModel& Stepper::state() const {
    return std::visit(
        [](const auto& model) -> const CombustionModel& { return shown_state(model); }, model_);
}

bool Stepper::update() {
    if (complete()) return false;
    ++step_;
    crank_angle_ = sweep_angles()[static_cast<std::size_t>(step_)];
    crank_ = crank_position(geometry_, crank_angle_);
    phase_ = std::visit(
        [this](auto& model) { return hcci::update(model, geometry_, crank_angle_, crank_); },
        model_);
    return true;
}

void Stepper::hand_over() {
    std::visit([this](auto& model) { hcci::hand_over(model, geometry_, phase_); }, model_);
}

bool Stepper::step() {
    if (!update()) return false;
    hand_over();
    return true;
}

}  // namespace hcci
