// SPDX-License-Identifier: MIT
#include "core/model/predictive_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"

namespace hcci {
namespace {

// The model with every assumption at its simpler choice, at the start temperature it had: the
// model as it first was.
EngineParameters predictive() {
    EngineParameters p = *model_defaults("predictive");
    p.properties = "constant";
    p.heat_transfer = "none";
    p.ignition_zones = 1;
    p.burn = "crank";
    p.merge_mixing_ms = 0;
    p.start_temperature = 323;
    return p;
}

// The expected figures come from tests/reference/predictive.py, a second implementation of the
// model's rules (with its simpler assumptions) written apart from this one.
TEST(PredictiveModel, IgnitionsWorkAndHeatAgreeWithASecondCalculation) {
    const struct {
        const char* name;
        void (*change)(EngineParameters&);
        double aux_ignition, united_ignition, work, heat;
    } rows[] = {
        {"defaults", [](EngineParameters&) {}, -12.399999999999068, -8.51999999999984,
         638.7058483005114, 999.1586191777689},
        {"313 K", [](EngineParameters& p) { p.start_temperature = 313; }, -11.439999999999259,
         -7.080000000000126, 661.2663928798446, 1031.0806197904742},
        {"343 K", [](EngineParameters& p) { p.start_temperature = 343; }, -14.239999999998702,
         -10.07999999999953, 596.5587810390659, 940.8986413831459},
        {"1800 rpm", [](EngineParameters& p) { p.engine_speed = 1800; }, -11.639999999999219,
         -7.200000000000102, 640.3388482714209, 999.1586191777678},
        // The merge sets off the united charge: a later merge, a later ignition.
        {"merge at -5", [](EngineParameters& p) { p.first_merge_atdc = -5; }, -12.399999999999068,
         -4.340000000000671, 630.784265580541, 999.1586191777675},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EngineParameters p = predictive();
        row.change(p);
        const CycleAnalysis a = analyse_cycle(p);
        ASSERT_TRUE(a.fuel.present);
        const Ignition* aux = a.fuel.first(ChargeName::aux);
        const Ignition* united = a.fuel.first(ChargeName::united);
        ASSERT_NE(aux, nullptr);
        ASSERT_NE(united, nullptr);
        EXPECT_NEAR(aux->angle_atdc, row.aux_ignition, 1e-9);
        EXPECT_EQ(aux->share_of_fuel, 1);
        EXPECT_NEAR(united->angle_atdc, row.united_ignition, 1e-9);
        // The united charge's own fuel: the main chamber's share of the mass at the split.
        EXPECT_NEAR(united->share_of_fuel, 0.8265471334409917, 1e-12);
        EXPECT_NEAR(a.work, row.work, 1e-9 * row.work);
        EXPECT_NEAR(a.fuel.heat_released, row.heat, 1e-9 * row.heat);
        EXPECT_NEAR(a.fuel.fuel_burned, 1, 1e-9);
        EXPECT_FALSE(a.fuel.misfire);
        // The first law: the work and the change of internal energy are the heat released, to
        // the trapezoids' error (a heat jump inside a step), some hundredths of a J/L.
        EXPECT_NEAR(a.energy_added, a.fuel.heat_released, 0.1);
        // An energy-true merge adds none.
        EXPECT_NEAR(a.merges[0].energy_j_per_l, 0, 1e-9);
    }
}

TEST(PredictiveModel, AMergeBeforeTheAuxiliaryIgnitionMisfires) {
    EngineParameters p = predictive();
    p.first_merge_atdc = -15;
    const CycleAnalysis a = analyse_cycle(p);
    EXPECT_TRUE(a.fuel.ignitions.empty());
    EXPECT_EQ(a.fuel.fuel_burned, 0);
    EXPECT_TRUE(a.fuel.misfire);
    EXPECT_NEAR(a.work, -6.452429784746432, 1e-9);
}

TEST(PredictiveModel, TheIgnitionDelayIsTheCorrelations) {
    EngineParameters p = predictive();
    p.equivalence_ratio = 0.5;
    const FuelConstants fuel = make_fuel_constants(p);
    EXPECT_NEAR(ignition_delay_ms(fuel, 15 * 1.01325, 1000), 4.094970213391309, 1e-12);
    // Hotter or at higher pressure, sooner.
    EXPECT_LT(ignition_delay_ms(fuel, 20, 1000), ignition_delay_ms(fuel, 15, 1000));
    EXPECT_LT(ignition_delay_ms(fuel, 15, 1050), ignition_delay_ms(fuel, 15, 1000));
}

// Each ignition moves as the physics says: a hotter charge ignites earlier; a faster engine
// leaves less time at each angle, and ignites later.
TEST(PredictiveModel, IgnitionFollowsTheChargesTemperatureAndTheEnginesSpeed) {
    const auto ignitions = [](void (*change)(EngineParameters&, double), double value) {
        EngineParameters p = predictive();
        change(p, value);
        const CycleAnalysis a = analyse_cycle(p);
        const Ignition* aux = a.fuel.first(ChargeName::aux);
        const Ignition* united = a.fuel.first(ChargeName::united);
        return std::pair{aux ? aux->angle_atdc : NAN, united ? united->angle_atdc : NAN};
    };
    double aux_before = -INFINITY, united_before = -INFINITY;
    for (const double temperature : {350.0, 340.0, 330.0, 320.0, 310.0}) {
        const auto [aux, united] =
            ignitions([](EngineParameters& p, double t) { p.start_temperature = t; }, temperature);
        EXPECT_GT(aux, aux_before) << temperature;
        EXPECT_GT(united, united_before) << temperature;
        aux_before = aux;
        united_before = united;
    }
    aux_before = -INFINITY;
    for (const double speed : {800.0, 1200.0, 1800.0, 2400.0}) {
        const auto [aux, united] =
            ignitions([](EngineParameters& p, double n) { p.engine_speed = n; }, speed);
        EXPECT_GT(aux, aux_before) << speed;
        aux_before = aux;
    }
}

// A division and its end conserve the charge's mass, energy and fuel (m u of each zone and
// pool), and carry each zone's ignition integral; pools ignited on one step join.
TEST(PredictiveModel, SplitAndMergeConserveMassEnergyAndFuel) {
    for (const GasProperties& gas : {constant_gas(1.4), variable_gas()}) {
        SCOPED_TRACE(gas.variable ? "variable" : "constant");
        Charge united = fresh_charge(20, 22.5, 900, 3);
        united.zones[0] = {0, 0};  // ignited, into a pool
        united.zones[1].integral = 0.4;
        united.zones[2].integral = 0.5;
        united.pools.push_back({0.2, 1.0 / 3, 8300, 77, 0, false});
        Charge main, aux;
        split_charge(united, 15, 5, main, aux);
        EXPECT_DOUBLE_EQ(main.mass + aux.mass, united.mass);
        EXPECT_DOUBLE_EQ(main.mass / aux.mass, 3);
        EXPECT_EQ(main.temperature, united.temperature);
        EXPECT_EQ(aux.unburned_temperature, united.unburned_temperature);
        EXPECT_DOUBLE_EQ(main.pressure(), united.pressure());
        EXPECT_EQ(aux.zones[2].integral, united.zones[2].integral);
        // The chambers go their own ways: aux hotter, one more zone of it ignited and further
        // on; main with a pool of its own, and one ignited on the same step as aux's.
        aux.temperature = 1400;
        aux.unburned_temperature = 1100;
        aux.zones[1] = {0, 0};
        aux.zones[2].integral = 0.9;
        aux.pools.push_back({0.3, 1.0 / 3, 8400, 79, 0, false});
        main.pools.push_back({0.1, 0.2, 8400, 79, 0, false});
        main.pools.push_back({0.05, 0.1, 8410, 79.2, 0, false});
        const Charge merged = merged_charge(main, aux, gas, true);
        EXPECT_DOUBLE_EQ(merged.mass, main.mass + aux.mass);
        EXPECT_DOUBLE_EQ(merged.volume, 20);
        const auto energy = [&gas](const Charge& c) {
            return c.mass * internal_energy(gas, c.temperature);
        };
        EXPECT_NEAR(energy(merged), energy(main) + energy(aux), 1e-12 * energy(merged));
        EXPECT_DOUBLE_EQ(merged.mass * merged.unburnt(),
                         main.mass * main.unburnt() + aux.mass * aux.unburnt());
        // Each zone's integral, weighted by that zone's fuel.
        const double main_fuel = main.mass * main.zones[2].fuel;
        const double aux_fuel = aux.mass * aux.zones[2].fuel;
        EXPECT_DOUBLE_EQ(merged.zones[2].integral,
                         (main_fuel * main.zones[2].integral + aux_fuel * aux.zones[2].integral) /
                             (main_fuel + aux_fuel));
        EXPECT_EQ(merged.zones[0].fuel, 0);
        // The pools of step 8300 and 8400 joined across the chambers, 8410 kept.
        ASSERT_EQ(merged.pools.size(), 3u);
        EXPECT_EQ(merged.pools[1].ignition_step, 8400);
        EXPECT_DOUBLE_EQ(merged.mass * merged.pools[1].u, main.mass * 0.1 + aux.mass * 0.3);
        // The unburned gas: each chamber's brought to the merged pressure (aux's expands, main's
        // is compressed), weighted by its unburned fuel; between the two, and below the mean.
        const double p = merged.pressure();
        EXPECT_LT(p, aux.pressure());
        EXPECT_GT(merged.unburned_temperature, main.unburned_temperature);
        EXPECT_LT(merged.unburned_temperature, aux.unburned_temperature);
        EXPECT_LT(merged.unburned_temperature, merged.temperature);
        // Without the unburned gas apart, or before anything ignited: the mean.
        EXPECT_EQ(merged_charge(main, aux, gas, false).unburned_temperature, merged.temperature);
    }
}

// Every end of every range of the predictive model's own parameters makes a sweep whose every
// quantity is a finite number, or is refused for what it would do.
TEST(PredictiveModel, EveryEndOfItsRangesSweepsFinitelyOrIsRefused) {
    for (const ParameterInfo& info : find_engine_model("predictive")->parameters) {
        for (const double end : {info.range.lowest, info.range.highest}) {
            EngineParameters p = *model_defaults("predictive");
            p.*info.member = end;
            if (!info.range.contains(end)) {
                p.*info.member = end == info.range.lowest ? std::nextafter(end, INFINITY)
                                                          : std::nextafter(end, -INFINITY);
            }
            SCOPED_TRACE(std::string(info.name) + " = " + std::to_string(p.*info.member));
            const std::optional<ParameterProblem> problem = check_parameters(p);
            if (problem) {
                EXPECT_EQ(problem->kind, ProblemKind::beyond_numbers);
                continue;
            }
            EXPECT_EQ(run_cycle(p).first_non_finite_step, -1);
        }
    }
}

// The original model's values stay the model's: no fuel, and every number as it was.
TEST(PredictiveModel, TheScheduledModelHasNoFuel) {
    const CycleRecord scheduled = run_cycle({});
    EXPECT_FALSE(scheduled.fuel);
    EXPECT_TRUE(scheduled.channels.empty());
    const CycleAnalysis a = analyse_cycle(scheduled);
    EXPECT_FALSE(a.fuel.present);
}

}  // namespace
}  // namespace hcci
