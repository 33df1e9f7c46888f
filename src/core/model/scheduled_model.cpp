// SPDX-License-Identifier: MIT
// The original engine: its ignitions are typed in as angles and factors (combustion_model.h),
// so that a user gets back what was put in.

#include <array>

#include "core/model/combustion_model.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"

namespace hcci {
namespace {

using P = EngineParameters;

constexpr ParameterRange ignition_angle{-180, true, 180, true};
constexpr std::string_view group = "Scheduled ignition";

const std::array<ParameterInfo, 6> own_parameters{{
    {"aux_ignition_start_atdc", &P::aux_ignition_start_atdc, "degrees ATDC",
     "the auxiliary ignition ramp starts here (included)", ignition_angle, group,
     "Auxiliary ignition begins", 0.5},
    {"aux_ignition_end_atdc", &P::aux_ignition_end_atdc, "degrees ATDC",
     "the auxiliary ignition ramp ends here (included)", ignition_angle, group,
     "Auxiliary ignition ends", 0.5},
    {"aux_ignition_factor",
     &P::aux_ignition_factor,
     "",
     "full factor of the auxiliary pressure and temperature",
     {1, true, 10, true},
     group,
     "Auxiliary ignition factor",
     0.05},
    {"main_ignition_start_atdc", &P::main_ignition_start_atdc, "degrees ATDC",
     "the main ignition ramp starts above it", ignition_angle, group, "Main ignition begins", 0.5},
    {"main_ignition_end_atdc", &P::main_ignition_end_atdc, "degrees ATDC",
     "the main ignition ramp ends here (included)", ignition_angle, group, "Main ignition ends",
     0.5},
    {"main_ignition_rise",
     &P::main_ignition_rise,
     "",
     "rise of the main charge; times main_share, the rise of the united charge",
     {0, true, 10, true},
     group,
     "Main ignition rise",
     0.05},
}};

// Each ignition window starts before it ends.
const std::array<ParameterOrder, 2> orders{{
    {&P::aux_ignition_start_atdc, &P::aux_ignition_end_atdc, false},
    {&P::main_ignition_start_atdc, &P::main_ignition_end_atdc, false},
}};

class ScheduledModel final : public EngineModel {
public:
    explicit ScheduledModel(const EngineParameters& parameters)
        : geometry_(make_engine_geometry(parameters)) {
        reset_model(state_, geometry_);
    }

    void step(const ModelStep& s) override {
        step_model(state_, geometry_, s.phase, s.crank_angle, s.piston_pos);
        phase_ = s.phase;
    }

    void record(CycleRecord& record, int index) const override {
        const auto i = static_cast<std::size_t>(index);
        const CombustionModel& m = state_;
        ChargeRecord& united = record.charges[static_cast<std::size_t>(ChargeName::united)];
        ChargeRecord& main = record.charges[static_cast<std::size_t>(ChargeName::main)];
        ChargeRecord& aux = record.charges[static_cast<std::size_t>(ChargeName::aux)];
        // While divided, the united values are the merge the hand-over made; while united, the
        // chambers are what a division would start from (the hand-over's split, after phases 1
        // and 3).
        united.pressure[i] = m.united_pressure;
        united.temperature[i] = m.united_temperature;
        united.volume[i] = m.piston_pos;
        if (is_divided_phase(phase_)) {
            main.pressure[i] = m.main_pressure;
            main.temperature[i] = m.main_temperature;
            main.volume[i] = m.main_volume;
            aux.pressure[i] = m.aux_pressure;
            aux.temperature[i] = m.aux_temperature;
            aux.volume[i] = m.aux_volume;
        } else {
            main.pressure[i] = aux.pressure[i] = m.united_pressure;
            main.temperature[i] = aux.temperature[i] = m.united_temperature;
            main.volume[i] = main_split_volume(geometry_, m.piston_pos);
            aux.volume[i] = aux_split_volume(geometry_, m.piston_pos);
        }
    }

    bool finite() const override { return state_is_finite(state_); }

private:
    EngineGeometry geometry_;
    CombustionModel state_;
    int phase_ = 0;
};

}  // namespace

const EngineModelEntry& scheduled_engine_model() {
    static const EngineModelEntry entry{
        .name = "scheduled",
        .summary = "the original engine: ignitions scheduled by crank angle",
        .parameters = own_parameters,
        .choices = {},
        .orders = orders,
        .defaults = {},
        .channels = {},
        .make = [](const EngineParameters& p) -> std::unique_ptr<EngineModel> {
            return std::make_unique<ScheduledModel>(p);
        },
    };
    return entry;
}

}  // namespace hcci
