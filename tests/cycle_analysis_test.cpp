// SPDX-License-Identifier: MIT
#include "core/model/cycle_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model_sweep.h"

namespace hcci {
namespace {

// Steps fed by hand: the united charge at a constant volume of 10 while its pressure goes
// 1, 2, 4, 4 bar. Each segment then releases 1 / (gamma - 1) x 10 x its pressure rise: 25, 50
// and 0, 75 in all, and no work is done.
TEST(CycleAnalysis, HeatReleaseAndItsPhasingFromHandMadeSteps) {
    CycleRecord r;
    r.geometry = make_engine_geometry();
    const double pressures[] = {1, 2, 4, 4};
    for (const double p : pressures) {
        r.phase.push_back(3);
        r.piston_pos.push_back(10);
        for (ChargeRecord& c : r.charges) {
            c.pressure.push_back(p);
            c.temperature.push_back(1000);
            c.volume.push_back(10);
        }
    }
    std::vector<StepHeat> heats;
    const CycleAnalysis a = analyse_cycle(r, &heats);
    EXPECT_DOUBLE_EQ(a.work, 0);
    EXPECT_DOUBLE_EQ(a.heat_release, 75);
    ASSERT_EQ(heats.size(), 4u);
    EXPECT_DOUBLE_EQ(heats[2].united, 50);
    EXPECT_EQ(heats[2].main, 0);
    // 10 % (7.5) lies 0.3 into the first segment, 50 % (37.5) 0.25 into the second, 90 % (67.5)
    // 0.85 into it; the steps lie 0.02 degrees apart from the sweep's start.
    EXPECT_NEAR(a.ca10_deg, -180 + 0.3 * 0.02, 1e-12);
    EXPECT_NEAR(a.ca50_deg, -180 + 0.02 + 0.25 * 0.02, 1e-12);
    EXPECT_NEAR(a.ca90_deg, -180 + 0.02 + 0.85 * 0.02, 1e-12);
    EXPECT_NEAR(a.burn_duration_deg, (1.85 - 0.3) * 0.02, 1e-12);
    // 2 bar over 0.02 degrees at the second segment.
    EXPECT_NEAR(a.united.max_pressure_rise.value, 100, 1e-9);
    EXPECT_EQ(a.united.max_pressure_rise.step, 2);
    EXPECT_EQ(a.united.peak_pressure.value, 4);
    EXPECT_EQ(a.united.peak_pressure.step, 2);  // the first of equal peaks
    EXPECT_EQ(a.main.peak_pressure.step, -1);   // no divided step
}

// An engine without ignition is adiabatic in every phase: the work of each is
// (p1 V1 - p2 V2) / (gamma - 1) between its first and last points, and no heat is released.
TEST(CycleAnalysis, WithoutIgnitionTheWorkIsThatOfItsAdiabaticPhases) {
    EngineParameters p;
    p.aux_ignition_factor = 1;
    p.main_ignition_rise = 0;
    p.gamma = 1.3;
    const EngineGeometry g = make_engine_geometry(p);
    const std::vector<SweepStep> s = run_model_sweep(p);
    const auto adiabatic = [&](double p1, double v1, double p2, double v2) {
        return (p1 * v1 - p2 * v2) / (p.gamma - 1);
    };
    std::vector<int> last(6, 0);
    for (const SweepStep& step : s) last[static_cast<std::size_t>(step.phase)] = step.index;
    const CombustionModel& split1 = s[static_cast<std::size_t>(last[1])].model;
    const CombustionModel& end2 = s[static_cast<std::size_t>(last[2])].model;
    const CombustionModel& split2 = s[static_cast<std::size_t>(last[3])].model;
    const CombustionModel& end4 = s[static_cast<std::size_t>(last[4])].model;
    const CombustionModel& end5 = s.back().model;
    double work = adiabatic(1, g.bdc_height, split1.united_pressure, split1.piston_pos);
    for (const auto& [from, to] : {std::pair{&split1, &end2}, std::pair{&split2, &end4}}) {
        work += adiabatic(from->main_split_pressure, from->main_split_volume, to->main_pressure,
                          to->main_volume);
        work += adiabatic(from->aux_split_pressure, from->aux_split_volume, to->aux_pressure,
                          to->aux_volume);
    }
    work += adiabatic(end2.merged_pressure, end2.merge_piston_pos, split2.united_pressure,
                      split2.piston_pos);
    work += adiabatic(end4.merged_pressure, end4.merge_piston_pos, end5.united_pressure,
                      end5.piston_pos);

    const CycleAnalysis a = analyse_cycle(p);
    // The trapezoids' error is of the order of the step squared; the phases' works, some hundreds,
    // nearly cancel.
    EXPECT_NEAR(a.work, work, 1e-4);
    EXPECT_NEAR(a.imep_bar, work / 100, 1e-6);
    EXPECT_LT(std::abs(a.heat_release), 1e-3);
    EXPECT_NEAR(a.otto_efficiency, 1 - std::pow(g.bdc_height / g.total_clearance, -0.3), 1e-15);
}

// The original engine, against the values of its own reference table and a rate worked out
// from its formulas.
TEST(CycleAnalysis, TheOriginalEnginesPeaksAndSteepestRise) {
    const CycleAnalysis a = analyse_cycle(EngineParameters{});
    const struct {
        const char* name;
        const Peak& peak;
        double value;
        int step;
    } peaks[] = {
        {"united pressure", a.united.peak_pressure, 88.9792, 9000},
        {"united temperature", a.united.peak_temperature, 1962.39, 9000},
        {"aux pressure", a.aux.peak_pressure, 148.067, 8449},
        {"aux temperature", a.aux.peak_temperature, 2049.61, 8449},
    };
    for (const auto& peak : peaks) {
        SCOPED_TRACE(peak.name);
        EXPECT_NEAR(peak.peak.value, peak.value, 5e-6 * peak.value);
        EXPECT_EQ(peak.peak.step, peak.step);
    }
    EXPECT_NEAR(a.united.peak_pressure.angle_deg, 0, 1e-11);

    // The auxiliary chamber rises fastest as its ramp ends, at 78 degrees (step 8400).
    const EngineGeometry g = make_engine_geometry();
    const auto& sweep = model_sweep();
    const CombustionModel& split = sweep[7349].model;
    const auto aux_pressure = [&](int step) {
        const SweepStep& s = sweep[static_cast<std::size_t>(step)];
        const double volume =
            split.aux_split_volume - (split.piston_pos - s.model.piston_pos) * 0.25;
        const double factor = s.crank_angle > 78 ? 1.8 : 1 + (s.crank_angle - 75) / 3.75;
        return split.united_pressure * std::pow(split.aux_split_volume / volume, 1.4) * factor;
    };
    const double rate = (aux_pressure(8400) - aux_pressure(8399)) /
                        (sweep[8400].crank_angle - sweep[8399].crank_angle);
    EXPECT_EQ(a.aux.max_pressure_rise.step, 8400);
    EXPECT_NEAR(a.aux.max_pressure_rise.value, rate, 1e-9 * rate);
    EXPECT_NEAR(a.aux.max_pressure_rise.angle_deg, -12, 1e-9);
    EXPECT_GT(g.gamma, 1);
}

// Work, heat release and phasing against a second implementation of the model and of the
// definitions, written apart from this one in Python from the formulas, for the original
// engine and another (main ratio 14, auxiliary ignition from 74, gamma 1.33).
TEST(CycleAnalysis, WorkHeatAndPhasingAgreeWithASecondCalculation) {
    EngineParameters other;
    other.main_compression_ratio = 14;
    other.aux_ignition_start_atdc = -16;
    other.gamma = 1.33;
    const struct {
        const char* name;
        EngineParameters engine;
        double imep_bar, heat_release, ca10, ca50, ca90;
        int united_rise_step, main_rise_step;
    } rows[] = {
        {"original",
         {},
         4.82891922956508,
         727.329175261268,
         -13.1956325951886,
         -4.99431508393457,
         -2.59652182794872,
         8769,
         8219},
        {"other", other, 4.51511562773052, 743.771438671219, -13.637458796241, -5.00752489812768,
         -2.59923264620762, 8771, 8267},
    };
    constexpr double close = 1e-13;  // relative: the printed digits of the second calculation
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CycleAnalysis a = analyse_cycle(row.engine);
        EXPECT_NEAR(a.imep_bar, row.imep_bar, close * row.imep_bar);
        EXPECT_NEAR(a.work, 100 * row.imep_bar, close * 100 * row.imep_bar);
        EXPECT_NEAR(a.heat_release, row.heat_release, close * row.heat_release);
        EXPECT_NEAR(a.ca10_deg, row.ca10, close * 20);
        EXPECT_NEAR(a.ca50_deg, row.ca50, close * 20);
        EXPECT_NEAR(a.ca90_deg, row.ca90, close * 20);
        EXPECT_EQ(a.united.max_pressure_rise.step, row.united_rise_step);
        EXPECT_EQ(a.main.max_pressure_rise.step, row.main_rise_step);
    }
}

TEST(CycleAnalysis, NoHeatReleasedLeavesThePhasingUndefined) {
    EngineParameters p;
    p.aux_ignition_factor = 1;
    p.main_ignition_rise = 0;
    p.first_split_atdc = 110;  // both divisions late in the expansion
    p.first_merge_atdc = 120;
    p.second_split_atdc = 130;
    p.second_merge_atdc = 140;
    const CycleAnalysis a = analyse_cycle(p);
    EXPECT_LT(std::abs(a.heat_release), 1e-6);  // rounding's trace
    EXPECT_TRUE(std::isnan(a.ca50_deg));
    EXPECT_TRUE(std::isnan(a.indicated_efficiency));
}

// The first-law figures against a second calculation of the model and of their definitions,
// tests/reference/first_law.py, written apart from this code: the original engine, without
// the main ignition, motored, and another engine at another speed and charge pressure.
TEST(CycleAnalysis, FirstLawFiguresAgreeWithASecondCalculation) {
    EngineParameters no_main;
    no_main.main_ignition_rise = 0;
    EngineParameters motored = no_main;
    motored.aux_ignition_factor = 1;
    EngineParameters other;
    other.gamma = 1.3;
    other.main_compression_ratio = 14;
    other.aux_ignition_start_atdc = -16;
    other.engine_speed = 1800;
    other.bdc_pressure = 1.5;
    const struct {
        const char* name;
        EngineParameters engine;
        double work, energy_added, efficiency, first_merge, second_merge, main_ratio, aux_ratio;
        double united_rise_bar_per_ms, united_ringing, aux_ringing;
    } rows[] = {
        {"original",
         {},
         482.8919229565076,
         757.0609368463477,
         0.6378507983360854,
         75.67997559044068,
         -45.948214005365344,
         13.011088889676564,
         36.48817574704957,
         54.33240616314152,
         2.6303201336746587,
         30.08222203800437},
        {"no main ignition", no_main, 99.1355159314495, 169.8707878315234, 0.5835936666742924,
         75.67997559044068, -28.717633753353425, 13.011088889676564, 36.48817574704957,
         // The steepest united rise is the first step after the merge, from the merged charge.
         1.555234541 * 7.2, not_defined, 30.08222203800437},
        {"motored", motored, -9.308827626838523, -5.310588373169638, not_defined,
         17.754516954970086, -23.065091625642367, 13.011088889676564, 36.48817574704957,
         not_defined, not_defined, 2.137140574152434},
        {"other", other, 641.5630749974906, 1162.845458219644, 0.5517182618400089, 88.2839236629593,
         -47.759362597480276, 15.019819407401085, 38.468195931695405, 110.4169110390749,
         7.387774764145072, 48.180436399850066},
    };
    constexpr double close = 1e-12;  // relative
    const auto near = [](double actual, double expected, double tolerance) {
        if (std::isnan(expected)) return ::testing::AssertionSuccess();
        if (std::abs(actual - expected) <= tolerance * std::abs(expected)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << actual << " is not " << expected;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CycleAnalysis a = analyse_cycle(row.engine);
        EXPECT_TRUE(near(a.work, row.work, close));
        EXPECT_TRUE(near(a.energy_added, row.energy_added, close));
        EXPECT_EQ(std::isnan(a.indicated_efficiency), std::isnan(row.efficiency));
        EXPECT_TRUE(near(a.indicated_efficiency, row.efficiency, close));
        EXPECT_TRUE(near(a.merges[0].energy_j_per_l, row.first_merge, close));
        EXPECT_TRUE(near(a.merges[1].energy_j_per_l, row.second_merge, close));
        EXPECT_TRUE(near(a.main_compression_ratio, row.main_ratio, close));
        EXPECT_TRUE(near(a.aux_compression_ratio, row.aux_ratio, close));
        EXPECT_TRUE(near(a.united.max_pressure_rise_bar_per_ms, row.united_rise_bar_per_ms, 1e-9));
        EXPECT_TRUE(near(a.united.ringing_mw_per_m2, row.united_ringing, close));
        EXPECT_TRUE(near(a.aux.ringing_mw_per_m2, row.aux_ringing, close));
        EXPECT_EQ(a.aux.over_ringing_limit, a.aux.ringing_mw_per_m2 > 5);
    }
}

// What the work and the change of internal energy add up to is the merges' energy and the
// apparent heat release; a motored cycle releases none but the trapezoids' trace.
TEST(CycleAnalysis, TheEnergyBalanceClosesOverTheMergesAndTheHeatReleased) {
    EngineParameters motored;
    motored.aux_ignition_factor = 1;
    motored.main_ignition_rise = 0;
    for (const EngineParameters& engine : {EngineParameters{}, motored}) {
        const CycleAnalysis a = analyse_cycle(engine);
        const double merges = a.merges[0].energy_j_per_l + a.merges[1].energy_j_per_l;
        EXPECT_NEAR(a.work + a.energy_end - a.energy_start, merges + a.heat_release, 1e-9);
        // The merged charge's pressure is continuous: the first merge joins a main chamber at
        // 30.7 bar and an auxiliary one at 148 bar (82 motored) at 45.3 (36.4) bar.
        EXPECT_NEAR(a.merges[0].main_pressure, 30.73175371876778, 1e-9);
        EXPECT_NEAR(a.merges[0].angle_deg, -11.02, 1e-9);
    }
}

}  // namespace
}  // namespace hcci
