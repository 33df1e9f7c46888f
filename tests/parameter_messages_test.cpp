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
        {"split_at_the_start", [](EngineParameters& p) { p.first_split_atdc = -180; },
         "parameter first_split_atdc is -180; allowed is (-180, 180)"},
        {"merge_before_split", [](EngineParameters& p) { p.first_merge_atdc = -34; },
         "parameters first_split_atdc = -33 and first_merge_atdc = -34 break the rule "
         "first_split_atdc <= first_merge_atdc"},
        {"second_split_at_first_merge", [](EngineParameters& p) { p.second_split_atdc = -11; },
         "parameters first_merge_atdc = -11 and second_split_atdc = -11 break the rule "
         "first_merge_atdc < second_split_atdc"},
        {"empty_aux_window", [](EngineParameters& p) { p.aux_ignition_end_atdc = -15; },
         "parameters aux_ignition_start_atdc = -15 and aux_ignition_end_atdc = -15 break the rule "
         "aux_ignition_start_atdc < aux_ignition_end_atdc"},
        {"engine_speed_low", [](EngineParameters& p) { p.engine_speed = 99; },
         "parameter engine_speed is 99; allowed is [100, 20000]"},
        {"no_charge", [](EngineParameters& p) { p.bdc_pressure = 0; },
         "parameter bdc_pressure is 0; allowed is (0, 10]"},
        {"factor_below_one", [](EngineParameters& p) { p.aux_ignition_factor = 0.9; },
         "parameter aux_ignition_factor is 0.9; allowed is [1, 10]"},
        {"activation_energy_high", [](EngineParameters& p) { p.ignition_activation_energy = 1e6; },
         "parameter ignition_activation_energy is 1e+06; allowed is [0, 100000]"},
        {"no_division_step",
         [](EngineParameters& p) {
             p.first_split_atdc = -32.999;
             p.first_merge_atdc = -32.995;
         },
         "parameters first_split_atdc = -32.999 and first_merge_atdc = -32.995 leave no crank "
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
    EXPECT_EQ(rule_of("first_split_atdc"), "first_split_atdc <= first_merge_atdc");
    EXPECT_EQ(rule_of("first_merge_atdc"), "first_merge_atdc < second_split_atdc");
    EXPECT_EQ(rule_of("main_ignition_start_atdc"),
              "main_ignition_start_atdc < main_ignition_end_atdc");
    EXPECT_EQ(rule_of("second_merge_atdc"), "");
    EXPECT_EQ(rule_of("gamma"), "");
}

}  // namespace
}  // namespace hcci
