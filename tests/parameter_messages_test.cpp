// SPDX-License-Identifier: MIT
#include "core/report/parameter_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hcci {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

struct RejectedCase {
    const char* name;
    void (*change)(EngineParameters&);
    const char* message;
};

TEST(ParameterMessages, RefusalsNameTheParameterItsValueAndWhatIsAllowed) {
    const RejectedCase cases[] = {
        {"ratio_one", [](EngineParameters& p) { p.main_compression_ratio = 1; },
         "parameter main_compression_ratio is 1; allowed is (1, 100]"},
        {"share_one", [](EngineParameters& p) { p.main_share = 1; },
         "parameter main_share is 1; allowed is (0, 1)"},
        {"gamma_high", [](EngineParameters& p) { p.gamma = 1.7; },
         "parameter gamma is 1.7; allowed is (1, 1.67]"},
        {"nan", [](EngineParameters& p) { p.rod_length = std::nan(""); },
         "parameter rod_length is not a finite number; allowed is (50, 1000]"},
        {"infinite", [](EngineParameters& p) { p.start_temperature = inf; },
         "parameter start_temperature is not a finite number; allowed is (0, 1000]"},
        {"split_at_the_start", [](EngineParameters& p) { p.first_split_angle = -90; },
         "parameter first_split_angle is -90; allowed is (-90, 270)"},
        {"merge_before_split", [](EngineParameters& p) { p.first_merge_angle = 56; },
         "parameters first_split_angle = 57 and first_merge_angle = 56 break the rule "
         "first_split_angle <= first_merge_angle"},
        {"second_split_at_first_merge", [](EngineParameters& p) { p.second_split_angle = 79; },
         "parameters first_merge_angle = 79 and second_split_angle = 79 break the rule "
         "first_merge_angle < second_split_angle"},
        {"empty_aux_window", [](EngineParameters& p) { p.aux_ignition_end = 75; },
         "parameters aux_ignition_start = 75 and aux_ignition_end = 75 break the rule "
         "aux_ignition_start < aux_ignition_end"},
        {"factor_below_one", [](EngineParameters& p) { p.aux_ignition_factor = 0.9; },
         "parameter aux_ignition_factor is 0.9; allowed is [1, 10]"},
        {"no_division_step",
         [](EngineParameters& p) {
             p.first_split_angle = 57.001;
             p.first_merge_angle = 57.005;
         },
         "parameters first_split_angle = 57.001 and first_merge_angle = 57.005 leave no crank "
         "step (steps are 0.02 degrees apart) to the first division"},
        {"denormal_start_temperature",
         [](EngineParameters& p) { p.start_temperature = std::nextafter(0.0, 1.0); },
         "these parameters (start_temperature = 5e-324) carry the model beyond the range of "
         "numbers at step 7350"},
    };
    for (const RejectedCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineParameters p;
        c.change(p);
        EXPECT_EQ(parameter_problem(p), std::optional<std::string>(c.message));
    }
    EXPECT_EQ(parameter_problem(EngineParameters{}), std::nullopt);
}

// The rules that parameter files and tooltips show come from the order the check applies.
TEST(ParameterMessages, EachOrderRuleIsToldAtItsLowerParameter) {
    const auto rule_of = [](std::string_view name) { return rule_text(*find_parameter(name)); };
    EXPECT_EQ(rule_of("first_split_angle"), "first_split_angle <= first_merge_angle");
    EXPECT_EQ(rule_of("first_merge_angle"), "first_merge_angle < second_split_angle");
    EXPECT_EQ(rule_of("main_ignition_start"), "main_ignition_start < main_ignition_end");
    EXPECT_EQ(rule_of("second_merge_angle"), "");
    EXPECT_EQ(rule_of("gamma"), "");
}

}  // namespace
}  // namespace hcci
