// SPDX-License-Identifier: MIT
#include "core/model/cycle_record.h"

#include <atomic>
#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "core/model/engine_model.h"

namespace hcci {

std::string_view charge_key(ChargeName charge) {
    switch (charge) {
        case ChargeName::united:
            return "united";
        case ChargeName::main:
            return "main";
        case ChargeName::aux:
            return "aux";
    }
    return "";
}

std::string RecordChannel::column() const {
    if (!charge) return std::string(name);
    return std::string(charge_key(*charge)) + "_" + std::string(name);
}

const RecordChannel* CycleRecord::channel(std::string_view name,
                                          std::optional<ChargeName> of) const {
    for (const RecordChannel& c : channels) {
        if (c.name == name && c.charge == of) return &c;
    }
    return nullptr;
}

namespace {

std::atomic<std::uint64_t> cycles_so_far = 0;

void fill_channel(RecordChannel& channel, const ChannelInfo& info,
                  std::optional<ChargeName> charge) {
    channel.name = info.name;
    channel.unit = info.unit;
    channel.charge = charge;
    channel.values.assign(static_cast<std::size_t>(CycleRecord::steps()),
                          std::numeric_limits<double>::quiet_NaN());
}

// The record's rows, each as long as the sweep; the model's channels as its entry names them.
// Whatever the record held before is overwritten, in rows it already has where it has them.
void size_record(CycleRecord& record, const EngineModelEntry& model) {
    const auto n = static_cast<std::size_t>(CycleRecord::steps());
    record.phase.resize(n);
    record.piston_pos.resize(n);
    for (ChargeRecord& c : record.charges) {
        for (std::vector<double>* v : {&c.pressure, &c.temperature, &c.volume}) v->resize(n);
    }
    std::size_t count = 0;
    for (const ChannelInfo& info : model.channels)
        count += info.per_charge ? std::size(all_charges) : 1;
    record.channels.resize(count);
    auto next = record.channels.begin();
    for (const ChannelInfo& info : model.channels) {
        if (!info.per_charge) continue;
        for (const ChargeName charge : all_charges) fill_channel(*next++, info, charge);
    }
    for (const ChannelInfo& info : model.channels) {
        if (!info.per_charge) fill_channel(*next++, info, std::nullopt);
    }
    record.divisions.clear();
    record.ignitions.clear();
    record.fuel.reset();
    record.chamber_peaks_in_first_division = false;
    record.first_non_finite_step = -1;
}

// Whether the step's pressures have kept their digits. Every pressure scales with
// bdc_pressure, and one below the smallest normal number has lost them: from 5e-324 bar, the
// smallest number of all, the chambers' pressures are a few multiples of it, the work 0 and the
// phasing wherever rounding puts it. Such a step is beyond the range of numbers, as an infinite
// one is. (0 stands for a pressure the model has not made yet.)
bool pressures_in_range(const CycleRecord& record, std::size_t step) {
    for (const ChargeRecord& charge : record.charges) {
        const double pressure = std::abs(charge.pressure[step]);
        if (pressure > 0 && pressure < std::numeric_limits<double>::min()) return false;
    }
    return true;
}

}  // namespace

CycleRecord run_cycle(const EngineParameters& parameters) {
    CycleRecord record;
    run_cycle(parameters, record);
    return record;
}

// The one loop over a sweep's steps: everything else reads the record it fills.
void run_cycle(const EngineParameters& parameters, CycleRecord& record) {
    const EngineModelEntry* entry = find_engine_model(parameters.model);
    if (entry == nullptr) throw std::invalid_argument("no engine model of that name");
    record.parameters = parameters;
    record.geometry = make_engine_geometry(parameters);
    size_record(record, *entry);
    const EngineGeometry& g = record.geometry;
    const std::unique_ptr<EngineModel> model = entry->make(parameters);
    const std::span<const double> angles = sweep_angles();
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        const double crank_angle = angles[static_cast<std::size_t>(step)];
        const int phase = phase_of(g, crank_angle);
        const double piston_pos = piston_position(g, crank_position(g, crank_angle));
        model->step({step, crank_angle, phase, piston_pos});
        const auto i = static_cast<std::size_t>(step);
        record.phase[i] = static_cast<std::uint8_t>(phase);
        record.piston_pos[i] = piston_pos;
        model->record(record, step);
        if (record.first_non_finite_step < 0 &&
            (!model->finite() || !pressures_in_range(record, i))) {
            record.first_non_finite_step = step;
        }
        if (is_divided_phase(phase)) {
            if (step == 0 || !is_divided_phase(record.phase[i - 1])) {
                record.divisions.push_back({step, step});
            }
            record.divisions.back().last_step = step;
        }
    }
    model->finish(record);
    ++cycles_so_far;
}

std::uint64_t cycles_run() {
    return cycles_so_far;
}

SharedRecord share_cycle(const EngineParameters& parameters) {
    return std::make_shared<const CycleRecord>(run_cycle(parameters));
}

CheckedCycle run_checked_cycle(const EngineParameters& parameters) {
    if (auto problem = check_parameter_values(parameters)) return {std::nullopt, problem};
    CycleRecord record = run_cycle(parameters);
    if (const int step = record.first_non_finite_step; step >= 0) {
        return {std::nullopt,
                ParameterProblem{
                    .kind = ProblemKind::beyond_numbers, .step = step, .parameters = parameters}};
    }
    return {std::move(record), std::nullopt};
}

}  // namespace hcci
