// SPDX-License-Identifier: MIT
#include "core/model/engine_parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_geometry.h"
#include "model_sweep.h"

namespace hcci {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// The first value of a sweep of that engine that is not a finite number, or "".
std::string first_non_finite(const EngineParameters& parameters) {
    for (const SweepStep& step : run_model_sweep(parameters)) {
        const CombustionModel& m = step.model;
        for (const double value :
             {m.piston_pos, m.united_pressure, m.united_temperature, m.main_pressure,
              m.main_temperature, m.main_volume, m.aux_pressure, m.aux_temperature, m.aux_volume}) {
            if (!std::isfinite(value)) return "step " + std::to_string(step.index);
        }
    }
    return "";
}

std::string text(double value) {
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

// The values just inside each end of a range.
std::vector<double> ends_of(const ParameterRange& range) {
    return {range.lowest_included ? range.lowest : std::nextafter(range.lowest, inf),
            range.highest_included ? range.highest : std::nextafter(range.highest, -inf)};
}

TEST(EngineParameters, ADenormalStartTemperatureIsRefusedForWhatItWouldDo) {
    EngineParameters p;
    p.start_temperature = std::nextafter(0.0, 1.0);
    const std::optional<ParameterProblem> problem = check_parameters(p);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->kind, ProblemKind::beyond_numbers);
    EXPECT_EQ(problem->step, 7350);
    EXPECT_EQ(run_cycle(p).first_non_finite_step, 7350);
    p.start_temperature = 1e-300;
    EXPECT_FALSE(check_parameters(p));
}

TEST(EngineParameters, TheDefaultsAreTheOriginalEngine) {
    EXPECT_FALSE(check_parameters(EngineParameters{}));
    const EngineGeometry g = make_engine_geometry(EngineParameters{});
    EXPECT_EQ(g.main_clearance, 6.818181818181818);
    EXPECT_EQ(g.aux_clearance, 0.5102040816326531);
    // The auxiliary ramp's divisor is 3 / 0.8 exactly, as the original computes it.
    EXPECT_EQ((g.aux_ignition_end - g.aux_ignition_start) / (g.aux_ignition_factor - 1), 3 / 0.8);
}

// Every end of every range, the others at their defaults, where the rules between angles allow
// it: accepted, with a whole sweep that stays finite, or refused for what it would do.
TEST(EngineParameters, EveryEndOfEveryRangeGivesAFiniteSweep) {
    for (const ParameterInfo& info : parameter_table()) {
        for (const double value : ends_of(info.range)) {
            EngineParameters p;
            p.*info.member = value;
            SCOPED_TRACE(std::string(info.name) + " = " + text(value));
            const std::optional<ParameterProblem> problem = check_parameters(p);
            if (!problem) {
                EXPECT_EQ(first_non_finite(p), "");
            } else if (problem->kind == ProblemKind::beyond_numbers) {
                // Only denormal ends are too extreme to be of use: a start temperature that
                // makes the sweep infinite, a pressure whose every multiple has lost its digits.
                const std::string name(info.name);
                EXPECT_TRUE(name == "start_temperature" || name == "bdc_pressure") << name;
                if (name == "start_temperature") {
                    EXPECT_NE(first_non_finite(p), "");
                } else {
                    EXPECT_LT(p.bdc_pressure, 1e-307);
                }
            }  // otherwise an angle past its neighbour
        }
    }
}

// Ends of several ranges at once, the angles pushed apart to the ends of the sweep.
TEST(EngineParameters, TheHarshestCombinationsStayFinite) {
    for (const double ratio : {std::nextafter(1.0, inf), 100.0}) {
        for (const double share : {std::nextafter(0.0, 1.0), std::nextafter(1.0, 0.0)}) {
            for (const double gamma : {std::nextafter(1.0, inf), 1.67}) {
                EngineParameters p;
                p.main_compression_ratio = ratio;
                p.aux_compression_ratio = ratio == 100 ? 200 : ratio;
                p.main_share = share;
                p.gamma = gamma;
                p.rod_length = std::nextafter(50.0, inf);
                p.start_temperature = 1000;
                p.first_split_atdc = std::nextafter(-180.0, inf);
                p.first_merge_atdc = -10;
                p.second_split_atdc = 10;
                p.second_merge_atdc = std::nextafter(180.0, -inf);
                p.aux_ignition_factor = 10;
                p.main_ignition_rise = 10;
                SCOPED_TRACE("ratio " + text(ratio) + ", share " + text(share) + ", gamma " +
                             text(gamma));
                ASSERT_FALSE(check_parameters(p));
                EXPECT_EQ(first_non_finite(p), "");
            }
        }
    }
}

// Each refusal names the parameters the set breaks the rules with (their words are the
// report's, tested there).
TEST(EngineParameters, ARefusalNamesTheParametersItBreaks) {
    struct Row {
        const char* name;
        void (*change)(EngineParameters&);
        ProblemKind kind;
        const char* parameter;
        const char* other;
    };
    const Row rows[] = {
        {"ratio_one", [](EngineParameters& p) { p.main_compression_ratio = 1; },
         ProblemKind::out_of_range, "main_compression_ratio", nullptr},
        {"nan", [](EngineParameters& p) { p.rod_length = std::nan(""); }, ProblemKind::not_finite,
         "rod_length", nullptr},
        {"merge_before_split", [](EngineParameters& p) { p.first_merge_atdc = -34; },
         ProblemKind::broken_order, "first_split_atdc", "first_merge_atdc"},
        {"empty_aux_window", [](EngineParameters& p) { p.aux_ignition_end_atdc = -15; },
         ProblemKind::broken_order, "aux_ignition_start_atdc", "aux_ignition_end_atdc"},
        {"no_united_step",
         [](EngineParameters& p) {
             p.first_merge_atdc = 11.001;
             p.second_split_atdc = 11.005;
         },
         ProblemKind::phase_without_step, "first_merge_atdc", "second_split_atdc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineParameters p;
        row.change(p);
        const std::optional<ParameterProblem> problem = check_parameters(p);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->kind, row.kind);
        EXPECT_EQ(problem->parameter->name, row.parameter);
        if (row.other != nullptr) {
            EXPECT_EQ(problem->other->name, row.other);
        }
        if (std::isfinite(p.rod_length)) {  // NaN equals nothing
            EXPECT_EQ(problem->parameters, p);
        }
    }
}

// Each division, and the united charge between them, gets a step of the sweep or the set is
// refused: the angles accumulate 0.02 at a time, so that -33 ATDC (a crank angle of 57) is
// passed at 57.00000000000255 and equal split and merge angles of -33 enclose no step.
TEST(EngineParameters, EveryPhaseGetsAStep) {
    struct Row {
        double first_split, first_merge, second_split, second_merge;
        bool accepted;
    };
    const Row rows[] = {
        {-33, -11, 11, 33, true},
        {-33.01, -32.99, 11, 33, true},  // a division of one step
        {-33, -11, 32.99, 33.01, true},
        {-33, -33, 11, 33, false},
        {-32.999, -32.995, 11, 33, false},
        {-33, 11.001, 11.005, 33, false},  // no united step between the divisions
        {-33, -11, 11.001, 11.005, false},
    };
    for (const Row& row : rows) {
        EngineParameters p;
        p.first_split_atdc = row.first_split;
        p.first_merge_atdc = row.first_merge;
        p.second_split_atdc = row.second_split;
        p.second_merge_atdc = row.second_merge;
        SCOPED_TRACE(text(row.first_split) + " " + text(row.first_merge) + " " +
                     text(row.second_split) + " " + text(row.second_merge));
        const std::optional<ParameterProblem> problem = check_parameters(p);
        if (!row.accepted) {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->kind, ProblemKind::phase_without_step);
            continue;
        }
        EXPECT_FALSE(problem);
        bool seen[6] = {};
        for (const SweepStep& step : run_model_sweep(p)) {
            seen[step.phase] = true;
        }
        EXPECT_TRUE(seen[1] && seen[2] && seen[3] && seen[4] && seen[5]);
    }
}

// Random sets: those accepted sweep finitely; those refused break a range or an order.
TEST(EngineParameters, RandomSetsAreRefusedOrSweepFinitely) {
    constexpr unsigned seed = 20261208;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        EngineParameters p;
        for (const ParameterInfo& info : parameter_table()) {
            // Mostly within the range, now and then a little beyond it.
            const double span = info.range.highest - info.range.lowest;
            std::uniform_real_distribution<double> value(info.range.lowest - 0.05 * span,
                                                         info.range.highest + 0.05 * span);
            p.*info.member = value(random);
            if (info.whole) p.*info.member = std::round(p.*info.member);
        }
        // The schedule in its order, so that sets that break no range are often accepted.
        double* const phases[] = {&p.first_split_atdc, &p.first_merge_atdc, &p.second_split_atdc,
                                  &p.second_merge_atdc};
        std::array<double, 4> sorted{};
        for (std::size_t i = 0; i < 4; ++i) sorted[i] = *phases[i];
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 0; i < 4; ++i) *phases[i] = sorted[i];
        for (auto [start, end] :
             {std::pair{&p.aux_ignition_start_atdc, &p.aux_ignition_end_atdc},
              std::pair{&p.main_ignition_start_atdc, &p.main_ignition_end_atdc}}) {
            if (*start > *end) std::swap(*start, *end);
        }
        const std::optional<ParameterProblem> problem = check_parameters(p);
        SCOPED_TRACE("round " + std::to_string(round));
        if (problem) {
            EXPECT_NE(problem->kind, ProblemKind::beyond_numbers);
            continue;
        }
        ++accepted;
        EXPECT_EQ(first_non_finite(p), "");
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace hcci
