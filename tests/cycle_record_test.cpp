// SPDX-License-Identifier: MIT
#include "core/model/cycle_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_model.h"
#include "model_sweep.h"

namespace hcci {
namespace {

EngineParameters predictive() {
    return *model_defaults("predictive");
}

// Every row of the original engine's record is the model's own state after that step: the
// chambers while divided, the merge it hands over in the united columns, and while united the
// chambers as the split it hands over would start them.
TEST(CycleRecord, EveryRowIsTheModelsStateAfterTheStep) {
    EngineParameters p;
    p.gamma = 1.33;
    p.first_merge_atdc = -9;
    const CycleRecord r = run_cycle(p);
    const std::vector<SweepStep> sweep = run_model_sweep(p);
    ASSERT_EQ(r.phase.size(), sweep.size());
    const ChargeRecord& united = r.charge(ChargeName::united);
    const ChargeRecord& main = r.charge(ChargeName::main);
    const ChargeRecord& aux = r.charge(ChargeName::aux);
    for (const SweepStep& s : sweep) {
        SCOPED_TRACE("step " + std::to_string(s.index));
        const auto i = static_cast<std::size_t>(s.index);
        const CombustionModel& m = s.model;
        ASSERT_EQ(CycleRecord::crank_angle(s.index), s.crank_angle);
        ASSERT_EQ(r.phase[i], s.phase);
        ASSERT_EQ(r.piston_pos[i], m.piston_pos);
        ASSERT_EQ(united.pressure[i], m.united_pressure);
        ASSERT_EQ(united.temperature[i], m.united_temperature);
        ASSERT_EQ(united.volume[i], m.piston_pos);
        if (is_divided_phase(s.phase)) {
            ASSERT_EQ(main.pressure[i], m.main_pressure);
            ASSERT_EQ(aux.temperature[i], m.aux_temperature);
            ASSERT_EQ(main.volume[i], m.main_volume);
            ASSERT_EQ(aux.volume[i], m.aux_volume);
        } else {
            ASSERT_EQ(main.pressure[i], m.united_pressure);
            ASSERT_EQ(aux.temperature[i], m.united_temperature);
            ASSERT_EQ(main.volume[i], main_split_volume(r.geometry, m.piston_pos));
            ASSERT_EQ(aux.volume[i], aux_split_volume(r.geometry, m.piston_pos));
        }
        // Where the model hands a split over, the record's chambers are that split.
        if (s.phase == 1 || s.phase == 3) {
            ASSERT_EQ(main.volume[i], m.main_split_volume);
            ASSERT_EQ(aux.pressure[i], m.aux_split_pressure);
        }
    }
    EXPECT_EQ(r.first_non_finite_step, -1);
    EXPECT_TRUE(r.channels.empty());
    EXPECT_FALSE(r.fuel);
}

TEST(CycleRecord, DivisionsRunFromTheirSplitToTheirMerge) {
    const struct {
        const char* name;
        EngineParameters engine;
        std::vector<int> bounds;  // first and last step of each division
    } rows[] = {
        {"original", {}, {7350, 8449, 9551, 10650}},
        {"predictive", predictive(), {7350, 8449, 9551, 10650}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CycleRecord r = run_cycle(row.engine);
        std::vector<int> bounds;
        for (const Division& d : r.divisions) {
            bounds.push_back(d.first_step);
            bounds.push_back(d.last_step);
        }
        EXPECT_EQ(bounds, row.bounds);
        for (int step = 0; step < CycleRecord::steps(); ++step) {
            const bool inside = (step >= 7350 && step <= 8449) || (step >= 9551 && step <= 10650);
            ASSERT_EQ(r.divided(step), inside) << step;
            ASSERT_EQ(r.present(ChargeName::united, step), !inside);
            ASSERT_EQ(r.present(ChargeName::aux, step), inside);
        }
    }
}

// The predictive model names its own channels; each is defined where its charge is present.
TEST(CycleRecord, AModelsOwnChannelsAreNamedByIt) {
    const CycleRecord r = run_cycle(predictive());
    std::vector<std::string> columns;
    for (const RecordChannel& c : r.channels) columns.push_back(c.column());
    EXPECT_EQ(columns,
              (std::vector<std::string>{"united_burned", "main_burned", "aux_burned",
                                        "united_unburned_temperature", "main_unburned_temperature",
                                        "aux_unburned_temperature", "heat_released", "heat_lost"}));
    const RecordChannel* aux = r.channel("burned", ChargeName::aux);
    const RecordChannel* heat = r.channel("heat_released");
    ASSERT_NE(aux, nullptr);
    ASSERT_NE(heat, nullptr);
    EXPECT_EQ(r.channel("burned"), nullptr);
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        const auto i = static_cast<std::size_t>(step);
        for (const ChargeName charge : all_charges) {
            ASSERT_EQ(std::isnan(r.channel("burned", charge)->values[i]), !r.present(charge, step))
                << step;
        }
        if (step > 0) {
            ASSERT_GE(heat->values[i], heat->values[i - 1]) << step;
        }
    }
    ASSERT_TRUE(r.fuel);
    EXPECT_EQ(r.fuel->heat_released, heat->values.back());
    // The auxiliary chamber's zones first, then the united charge's, each in order of time.
    ASSERT_GE(r.ignitions.size(), 2u);
    EXPECT_EQ(r.ignitions.front().charge, ChargeName::aux);
    EXPECT_EQ(r.ignitions.back().charge, ChargeName::united);
    for (std::size_t i = 1; i < r.ignitions.size(); ++i) {
        EXPECT_GE(r.ignitions[i].step, r.ignitions[i - 1].step);
        if (r.ignitions[i].charge == ChargeName::aux) {
            EXPECT_EQ(r.ignitions[i - 1].charge, ChargeName::aux);
        }
    }
}

// A record filled again keeps nothing of the cycle it held: not the other model's channels,
// divisions, ignitions or fuel, nor where its numbers ended.
TEST(CycleRecord, ARecordFilledAgainHoldsOnlyTheNewCycle) {
    EngineParameters beyond;
    beyond.start_temperature = std::nextafter(0.0, 1.0);
    const std::vector<EngineParameters> orders[] = {
        {predictive(), EngineParameters{}},
        {EngineParameters{}, predictive()},
        {beyond, EngineParameters{}},
    };
    for (const std::vector<EngineParameters>& order : orders) {
        CycleRecord reused;
        for (const EngineParameters& p : order) run_cycle(p, reused);
        const CycleRecord fresh = run_cycle(order.back());
        EXPECT_EQ(reused.phase, fresh.phase);
        EXPECT_EQ(reused.piston_pos, fresh.piston_pos);
        for (const ChargeName charge : all_charges) {
            EXPECT_EQ(reused.charge(charge).pressure, fresh.charge(charge).pressure);
            EXPECT_EQ(reused.charge(charge).temperature, fresh.charge(charge).temperature);
        }
        ASSERT_EQ(reused.channels.size(), fresh.channels.size());
        for (std::size_t c = 0; c < fresh.channels.size(); ++c) {
            EXPECT_EQ(reused.channels[c].column(), fresh.channels[c].column());
            for (std::size_t i = 0; i < fresh.channels[c].values.size(); ++i) {
                const double a = reused.channels[c].values[i];
                const double b = fresh.channels[c].values[i];
                ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << c << " at " << i;
            }
        }
        EXPECT_EQ(reused.divisions.size(), fresh.divisions.size());
        EXPECT_EQ(reused.ignitions.size(), fresh.ignitions.size());
        EXPECT_EQ(reused.fuel.has_value(), fresh.fuel.has_value());
        EXPECT_EQ(reused.chamber_peaks_in_first_division, fresh.chamber_peaks_in_first_division);
        EXPECT_EQ(reused.first_non_finite_step, fresh.first_non_finite_step);
    }
}

TEST(CycleRecord, ACheckedCycleRunsOnlyWhatPassesItsValuesAndTellsWhereNumbersEnd) {
    EngineParameters out_of_range;
    out_of_range.gamma = 2;
    const std::uint64_t before = cycles_run();
    const CheckedCycle refused = run_checked_cycle(out_of_range);
    EXPECT_EQ(cycles_run(), before);  // refused without a sweep
    ASSERT_TRUE(refused.problem);
    EXPECT_EQ(refused.problem->kind, ProblemKind::out_of_range);
    EXPECT_FALSE(refused.record);

    EngineParameters tiny;
    tiny.start_temperature = std::nextafter(0.0, 1.0);
    const CheckedCycle beyond = run_checked_cycle(tiny);
    EXPECT_EQ(cycles_run(), before + 1);
    ASSERT_TRUE(beyond.problem);
    EXPECT_EQ(beyond.problem->kind, ProblemKind::beyond_numbers);
    // The merge at the end of the first division's first step divides by the start temperature.
    EXPECT_EQ(beyond.problem->step, 7350);

    const CheckedCycle fine = run_checked_cycle({});
    ASSERT_TRUE(fine.record);
    EXPECT_FALSE(fine.problem);
    EXPECT_EQ(cycles_run(), before + 2);
}

// Pressures scale with the pressure at bottom dead centre; below the smallest normal number
// they lose their digits (the work rounds to 0), and both models refuse such a cycle. Small
// but normal pressures scale and leave the efficiency as it is.
TEST(CycleRecord, PressuresThatLoseTheirDigitsAreBeyondTheNumbers) {
    const double efficiency = analyse_cycle(run_cycle({})).indicated_efficiency;
    for (const std::string model : {"scheduled", "predictive"}) {
        SCOPED_TRACE(model);
        EngineParameters smallest;
        smallest.model = model;
        smallest.bdc_pressure = std::nextafter(0.0, 1.0);
        const CheckedCycle refused = run_checked_cycle(smallest);
        ASSERT_TRUE(refused.problem);
        EXPECT_EQ(refused.problem->kind, ProblemKind::beyond_numbers);
        if (model == "scheduled") {
            EngineParameters small;
            small.bdc_pressure = 1e-300;
            const CycleRecord record = run_cycle(small);
            EXPECT_EQ(record.first_non_finite_step, -1);
            EXPECT_NEAR(analyse_cycle(record).indicated_efficiency, efficiency, 1e-12);
        }
    }
}

TEST(CycleRecord, TheRegistryNamesEveryModelAndItsParameters) {
    EXPECT_EQ(model_names_text(), "scheduled and predictive");
    EXPECT_EQ(model_names_text("or", "\""), "\"scheduled\" or \"predictive\"");
    EXPECT_EQ(engine_models().front()->name, EngineParameters{}.model);
    EXPECT_EQ(find_engine_model("nothing"), nullptr);
    for (const EngineModelEntry* model : engine_models()) {
        SCOPED_TRACE(std::string(model->name));
        ASSERT_EQ(find_engine_model(model->name), model);
        // Every parameter it owns is in the one table, and shapes it alone.
        for (const ParameterInfo& own : model->parameters) {
            const ParameterInfo* found = find_parameter(own.name);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(owner_of(*found), model);
            for (const EngineModelEntry* other : engine_models()) {
                EXPECT_EQ(shapes(*found, other->name), other == model);
            }
        }
        const std::optional<EngineParameters> defaults = model_defaults(model->name);
        ASSERT_TRUE(defaults);
        EXPECT_EQ(defaults->model, model->name);
        EXPECT_FALSE(check_parameters(*defaults));
    }
}

}  // namespace
}  // namespace hcci
