// SPDX-License-Identifier: MIT
#include "core/model/combustion_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "model_sweep.h"
#include "printed_value.h"

namespace hcci {
namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();
constexpr double volume_rounding = 1e-12;
constexpr double relative_rounding = 1e-12;
// A step moves the crank 0.02 degrees: near top dead centre no quantity changes by more than this
// share, so anything larger is a jump.
constexpr double max_change_per_step = 5e-3;

struct TableRow {
    int step;
    double nominal_angle;
    int phase;
    double piston_pos, united_pressure, united_temperature;
    double main_pressure, main_temperature, aux_pressure, aux_temperature;
};

// One sweep to six significant digits; in phases 2 and 4 the united columns are the merged values.
constexpr TableRow sweep_table[] = {
    {0, -90, 1, 107.328, 1, 323, none, none, none, none},
    {4500, 0, 1, 63.6792, 2.07684, 398.006, none, none, none, none},
    {7349, 56.98, 1, 17.2690, 12.9070, 670.782, none, none, none, none},
    {7350, 57, 2, 17.2575, 12.9192, 670.969, 12.9180, 670.945, 12.9244, 671.040},
    {8250, 75, 2, 9.45120, 30.8536, 877.569, 27.0670, 828.840, 56.6861, 1023.75},
    {8325, 76.5, 2, 9.05079, 36.8545, 1003.84, 28.4805, 840.983, 91.4290, 1492.41},
    {8400, 78, 2, 8.69136, 43.5338, 1138.68, 29.8607, 852.432, 135.289, 1997.43},
    {8449, 78.98, 2, 8.47886, 45.3428, 1157.00, 30.7318, 859.464, 148.067, 2049.61},
    {8450, 79, 3, 8.47471, 45.3739, 1157.23, none, none, none, none},
    {8775, 85.5, 3, 7.52100, 69.7169, 1577.98, none, none, none, none},
    {8900, 88, 3, 7.36646, 88.3361, 1958.33, none, none, none, none},
    {9000, 90, 3, 7.32839, 88.9792, 1962.39, none, none, none, none},
    {9550, 101, 3, 8.47471, 72.5982, 1851.56, none, none, none, none},
    {9551, 101.02, 4, 8.47886, 72.5444, 1851.10, 72.5570, 1851.26, 72.4660, 1850.60},
    {10650, 123, 4, 17.2575, 26.1198, 1356.55, 30.4991, 1445.20, 11.3857, 1090.59},
    {10651, 123.02, 5, 17.2690, 26.0954, 1356.18, none, none, none, none},
    {13500, 180, 5, 63.6792, 4.19895, 804.686, none, none, none, none},
    {18000, 270, 5, 107.328, 2.02179, 653.040, none, none, none, none},
};

struct Column {
    const char* name;
    double TableRow::*printed;
    double CombustionModel::*actual;
};

constexpr Column table_columns[] = {
    {"piston_pos", &TableRow::piston_pos, &CombustionModel::piston_pos},
    {"united_pressure", &TableRow::united_pressure, &CombustionModel::united_pressure},
    {"united_temperature", &TableRow::united_temperature, &CombustionModel::united_temperature},
    {"main_pressure", &TableRow::main_pressure, &CombustionModel::main_pressure},
    {"main_temperature", &TableRow::main_temperature, &CombustionModel::main_temperature},
    {"aux_pressure", &TableRow::aux_pressure, &CombustionModel::aux_pressure},
    {"aux_temperature", &TableRow::aux_temperature, &CombustionModel::aux_temperature},
};

TEST(CombustionModel, SweepMatchesTheTableInEveryColumn) {
    const auto& steps = model_sweep();
    for (const TableRow& row : sweep_table) {
        const SweepStep& step = steps.at(static_cast<std::size_t>(row.step));
        EXPECT_NEAR(step.crank_angle, row.nominal_angle, 1e-9) << "step " << row.step;
        EXPECT_EQ(step.phase, row.phase) << "step " << row.step;
        for (const Column& column : table_columns) {
            const double printed = row.*column.printed;
            if (std::isnan(printed)) continue;
            EXPECT_TRUE(matches_printed(step.model.*column.actual, printed))
                << "step " << row.step << ", column " << column.name;
        }
    }
}

TEST(CombustionModel, SplitStateHandedOverAtTheLastUnitedStep) {
    const CombustionModel& m = model_sweep().at(7349).model;
    EXPECT_TRUE(matches_printed(m.main_split_volume, 14.2736));
    EXPECT_TRUE(matches_printed(m.aux_split_volume, 2.99536));
    EXPECT_TRUE(matches_printed(m.split_piston_pos, 17.2690));
    EXPECT_EQ(m.split_piston_pos, m.piston_pos);
    EXPECT_NEAR(m.main_split_volume + m.aux_split_volume, m.piston_pos, volume_rounding);
    for (const double value :
         {m.main_split_pressure, m.aux_split_pressure, m.main_pressure, m.aux_pressure}) {
        EXPECT_EQ(value, m.united_pressure);
    }
    for (const double value : {m.main_split_temperature, m.aux_split_temperature,
                               m.main_temperature, m.aux_temperature}) {
        EXPECT_EQ(value, m.united_temperature);
    }
}

TEST(CombustionModel, MergeStateHandedOverAtTheLastDividedStep) {
    const CombustionModel& m = model_sweep().at(8449).model;
    EXPECT_TRUE(matches_printed(m.merged_pressure, 45.3428));
    EXPECT_TRUE(matches_printed(m.merged_temperature, 1157.00));
    EXPECT_TRUE(matches_printed(m.merge_piston_pos, 8.47886));
    EXPECT_EQ(m.united_pressure, m.merged_pressure);
    EXPECT_EQ(m.united_temperature, m.merged_temperature);
    // Temperatures mix by piston-area share; pressure follows from the gas law and the start state.
    EXPECT_DOUBLE_EQ(m.merged_temperature, 0.75 * m.main_temperature + 0.25 * m.aux_temperature);
    const EngineGeometry g = make_engine_geometry();
    EXPECT_DOUBLE_EQ(m.merged_pressure * m.piston_pos / m.merged_temperature,
                     g.bdc_height / g.start_temperature);
}

// The index of the first step where the quantity is largest.
template <class Quantity>
std::size_t peak_step(const std::vector<SweepStep>& steps, Quantity quantity) {
    std::size_t peak = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (quantity(steps[i]) > quantity(steps[peak])) peak = i;
    }
    return peak;
}

TEST(CombustionModel, UnitedChargePeaksAtTopDeadCentre) {
    const auto& steps = model_sweep();
    const std::size_t pressure_peak =
        peak_step(steps, [](const SweepStep& s) { return s.model.united_pressure; });
    const std::size_t temperature_peak =
        peak_step(steps, [](const SweepStep& s) { return s.model.united_temperature; });
    EXPECT_EQ(pressure_peak, 9000u);
    EXPECT_EQ(temperature_peak, 9000u);
    EXPECT_TRUE(matches_printed(steps[pressure_peak].model.united_pressure, 88.9792));
    EXPECT_TRUE(matches_printed(steps[temperature_peak].model.united_temperature, 1962.39));
}

TEST(CombustionModel, AuxiliaryChamberPeaksAtTheLastStepOfTheFirstDivision) {
    const auto& steps = model_sweep();
    // Only the divided phases have chambers of their own.
    const auto divided = [](const SweepStep& s, double value) {
        return is_divided_phase(s.phase) ? value : 0.0;
    };
    const std::size_t pressure_peak =
        peak_step(steps, [&](const SweepStep& s) { return divided(s, s.model.aux_pressure); });
    const std::size_t temperature_peak =
        peak_step(steps, [&](const SweepStep& s) { return divided(s, s.model.aux_temperature); });
    EXPECT_EQ(pressure_peak, 8449u);
    EXPECT_EQ(temperature_peak, 8449u);
    EXPECT_TRUE(matches_printed(steps[pressure_peak].model.aux_pressure, 148.067));
    EXPECT_TRUE(matches_printed(steps[temperature_peak].model.aux_temperature, 2049.61));
}

TEST(CombustionModel, FirstStepStartsFromOneBarAndTheStartTemperature) {
    const CombustionModel& m = model_sweep().front().model;
    EXPECT_DOUBLE_EQ(m.united_pressure, 1);
    EXPECT_DOUBLE_EQ(m.united_temperature, 323);
    EXPECT_EQ(m.main_pressure, m.united_pressure);
    EXPECT_EQ(m.aux_pressure, m.united_pressure);
    EXPECT_EQ(m.main_temperature, m.united_temperature);
    EXPECT_EQ(m.aux_temperature, m.united_temperature);
}

TEST(CombustionModel, PhaseAtTheScheduleLimits) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double crank_angle;
        int phase;
    } rows[] = {
        {-90, 1},
        {std::nextafter(57.0, -inf), 1},
        {57, 2},
        {79, 2},
        {std::nextafter(79.0, inf), 3},
        {101, 3},
        {std::nextafter(101.0, inf), 4},
        {123, 4},
        {std::nextafter(123.0, inf), 5},
        {270, 5},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(phase_of(make_engine_geometry(), row.crank_angle), row.phase)
            << "crank_angle " << row.crank_angle;
    }
}

// Chambers united in phases 1 and 3 carry the united values.
TEST(CombustionModel, ChambersEqualTheUnitedChargeAfterUnitedSteps) {
    for (const SweepStep& step : model_sweep()) {
        if (step.phase != 1 && step.phase != 3) continue;
        const CombustionModel& m = step.model;
        ASSERT_EQ(m.main_pressure, m.united_pressure) << "step " << step.index;
        ASSERT_EQ(m.aux_pressure, m.united_pressure) << "step " << step.index;
        ASSERT_EQ(m.main_temperature, m.united_temperature) << "step " << step.index;
        ASSERT_EQ(m.aux_temperature, m.united_temperature) << "step " << step.index;
    }
}

TEST(CombustionModel, DividedChambersShareThePistonAndKeepTheirClearances) {
    const EngineGeometry g = make_engine_geometry();
    int divided_steps = 0;
    for (const SweepStep& step : model_sweep()) {
        if (!is_divided_phase(step.phase)) continue;
        ++divided_steps;
        const CombustionModel& m = step.model;
        ASSERT_NEAR(m.main_volume + m.aux_volume, m.piston_pos, volume_rounding)
            << "step " << step.index;
        ASSERT_GE(m.main_volume, g.main_clearance) << "step " << step.index;
        ASSERT_GE(m.aux_volume, g.aux_clearance) << "step " << step.index;
    }
    EXPECT_EQ(divided_steps, 2200);
}

double relative_difference(double a, double b) {
    return std::fabs(a - b) / std::fabs(b);
}

// Without ignition pressure x volume^gamma and temperature x volume^(gamma - 1) stay constant.
TEST(CombustionModel, PhasesWithoutIgnitionAreAdiabatic) {
    const EngineGeometry g = make_engine_geometry();
    const auto& steps = model_sweep();
    for (const SweepStep& step : steps) {
        const CombustionModel& m = step.model;
        if (step.phase == 1) {
            ASSERT_LT(relative_difference(m.united_pressure * std::pow(m.piston_pos, g.gamma),
                                          std::pow(g.bdc_height, g.gamma)),
                      relative_rounding)
                << "step " << step.index;
        } else if (step.phase == 4) {
            const CombustionModel& split = steps.at(9550).model;
            for (const auto& [volume, pressure, temperature, split_volume] :
                 {std::tuple{m.main_volume, m.main_pressure, m.main_temperature,
                             split.main_split_volume},
                  std::tuple{m.aux_volume, m.aux_pressure, m.aux_temperature,
                             split.aux_split_volume}}) {
                ASSERT_LT(
                    relative_difference(pressure * std::pow(volume, g.gamma),
                                        split.united_pressure * std::pow(split_volume, g.gamma)),
                    relative_rounding)
                    << "step " << step.index;
                ASSERT_LT(relative_difference(
                              temperature * std::pow(volume, g.gamma - 1),
                              split.united_temperature * std::pow(split_volume, g.gamma - 1)),
                          relative_rounding)
                    << "step " << step.index;
            }
        } else if (step.phase == 5) {
            const CombustionModel& merge = steps.at(10650).model;
            ASSERT_LT(relative_difference(
                          m.united_pressure * std::pow(m.piston_pos, g.gamma),
                          merge.merged_pressure * std::pow(merge.merge_piston_pos, g.gamma)),
                      relative_rounding)
                << "step " << step.index;
        }
    }
}

// The same step taken from the same state at the same piston position, with an angle of the same
// phase outside the ignition windows: the model without ignition. The hand-over leaves the values
// compared here as the chamber update made them.
CombustionModel step_without_ignition(const EngineGeometry& g, const CombustionModel& before,
                                      const SweepStep& step) {
    const double quiet_angle = step.phase == 2 ? 60 : 80;
    CombustionModel m = before;
    step_model(m, g, step.phase, quiet_angle, piston_position(g, step.crank));
    return m;
}

double aux_factor(double a) {
    if (a > 78) return 1.8;
    if (a >= 75) return 1 + (a - 75) / (3 / 0.8);
    return 1;
}

double main_factor(double a) {
    if (a > 88) return 1.6;
    if (a > 83) return 1 + ((0.8 * 0.75) * (a - 83)) / 5;
    return 1;
}

TEST(CombustionModel, IgnitionFactorsActOnFreshAdiabaticValuesAndNeverCompound) {
    const EngineGeometry g = make_engine_geometry();
    const auto& steps = model_sweep();
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const SweepStep& step = steps[i];
        if (step.phase != 2 && step.phase != 3) continue;
        const CombustionModel quiet = step_without_ignition(g, steps[i - 1].model, step);
        const CombustionModel& m = step.model;
        if (step.phase == 2) {
            const double factor = aux_factor(step.crank_angle);
            ASSERT_DOUBLE_EQ(m.aux_pressure, quiet.aux_pressure * factor) << "step " << i;
            ASSERT_DOUBLE_EQ(m.aux_temperature, quiet.aux_temperature * factor) << "step " << i;
            ASSERT_EQ(m.main_pressure, quiet.main_pressure) << "step " << i;
            ASSERT_EQ(m.main_temperature, quiet.main_temperature) << "step " << i;
        } else {
            const double factor = main_factor(step.crank_angle);
            ASSERT_DOUBLE_EQ(m.united_pressure, quiet.united_pressure * factor) << "step " << i;
            ASSERT_DOUBLE_EQ(m.united_temperature, quiet.united_temperature * factor)
                << "step " << i;
        }
    }
}

TEST(CombustionModel, AccumulatedAnglesPickTheFullOrTheRampFactor) {
    const EngineGeometry g = make_engine_geometry();
    const auto& steps = model_sweep();
    const struct {
        int step;
        double crank_angle;
        double factor;
    } rows[] = {
        {8400, 78.00000000000085, 1.8},                 // just past 78: the full factor
        {8900, 87.99999999999886, 1.5999999999998638},  // just short of 88: still the ramp
    };
    for (const auto& row : rows) {
        const SweepStep& step = steps.at(static_cast<std::size_t>(row.step));
        ASSERT_EQ(step.crank_angle, row.crank_angle) << "step " << row.step;
        const CombustionModel& before = steps.at(static_cast<std::size_t>(row.step - 1)).model;
        const CombustionModel quiet = step_without_ignition(g, before, step);
        const CombustionModel& m = step.model;
        if (step.phase == 2) {
            EXPECT_EQ(m.aux_pressure, quiet.aux_pressure * row.factor) << "step " << row.step;
            EXPECT_EQ(m.aux_temperature, quiet.aux_temperature * row.factor) << "step " << row.step;
        } else {
            EXPECT_EQ(m.united_pressure, quiet.united_pressure * row.factor) << "step " << row.step;
            EXPECT_EQ(m.united_temperature, quiet.united_temperature * row.factor)
                << "step " << row.step;
        }
    }
}

TEST(CombustionModel, NoJumpWhereTheChambersJoinOrPart) {
    const auto& steps = model_sweep();
    for (std::size_t i = 1; i < steps.size(); ++i) {
        if (steps[i].phase == steps[i - 1].phase) continue;
        const CombustionModel& before = steps[i - 1].model;
        const CombustionModel& after = steps[i].model;
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_LT(relative_difference(after.united_pressure, before.united_pressure),
                  max_change_per_step);
        EXPECT_LT(relative_difference(after.united_temperature, before.united_temperature),
                  max_change_per_step);
        if (is_divided_phase(steps[i].phase)) {
            for (const double pressure : {after.main_pressure, after.aux_pressure}) {
                EXPECT_LT(relative_difference(pressure, before.united_pressure),
                          max_change_per_step);
            }
        }
    }
}

TEST(CombustionModel, AuxiliaryChamberChangesFasterThanTheMainOne) {
    const auto& steps = model_sweep();
    const CombustionModel& first_division = steps.at(7350).model;
    EXPECT_GT(first_division.aux_pressure, first_division.main_pressure);
    EXPECT_GT(first_division.aux_temperature, first_division.main_temperature);
    const CombustionModel& second_division = steps.at(9551).model;
    EXPECT_LT(second_division.aux_pressure, second_division.main_pressure);
    EXPECT_LT(second_division.aux_temperature, second_division.main_temperature);
}

// A model reset at every cycle start: what the last cycle left must not show.
TEST(CombustionModel, EverySweepAfterAResetGivesTheSameValues) {
    const EngineGeometry g = make_engine_geometry();
    CombustionModel model;
    const auto sweep_after_reset = [&] {
        reset_model(model, g);
        std::vector<CombustionModel> states;
        for (const double angle : sweep_angles()) {
            step_model(model, g, phase_of(g, angle), angle,
                       piston_position(g, crank_position(g, angle)));
            states.push_back(model);
        }
        return states;
    };
    const auto first = sweep_after_reset();
    const auto second = sweep_after_reset();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        for (const Column& column : table_columns) {
            ASSERT_EQ(first[i].*column.actual, second[i].*column.actual)
                << "step " << i << ", column " << column.name;
        }
    }
}

}  // namespace
}  // namespace hcci
