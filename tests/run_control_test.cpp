// SPDX-License-Identifier: MIT
#include "core/animate/run_control.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace hcci {
namespace {

struct KeyCase {
    const char* name;
    double stepe_before;
    std::u16string keys;
    double stepe_after;
};

class PaceKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(PaceKeys, MultiplyOrSetThePacingCount) {
    const KeyCase& c = GetParam();
    RunControl run;
    run.stepe = c.stepe_before;
    for (char16_t key : c.keys) {
        EXPECT_EQ(apply_key(run, key), CommandResult::carry_on);
    }
    EXPECT_EQ(run.stepe, c.stepe_after) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Keys, PaceKeys,
                         ::testing::Values(KeyCase{"comma", 50000, u",", 45000},
                                           KeyCase{"full_stop", 50000, u".", 55000.00000000001},
                                           KeyCase{"slash_then_full_stop", 50000, u"/.", 11000},
                                           KeyCase{"space_then_comma", 50000, u" ,", 0},
                                           KeyCase{"space_then_full_stop", 50000, u" .", 0},
                                           KeyCase{"slash_after_space", 0, u" /", 10000},
                                           KeyCase{"never_stored", 0, u",.", 0},
                                           KeyCase{"other_keys", 50000, u"aZ9;-\t", 50000},
                                           KeyCase{"twice_comma", 50000, u",,", 50000 * 0.9 * 0.9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunControl, EnterTogglesTheRestartAndTwoPressesCancel) {
    RunControl run;
    apply_key(run, 13);
    EXPECT_EQ(run.loopy, 1);
    apply_key(run, 13);
    EXPECT_EQ(run.loopy, 0);
}

TEST(RunControl, SpaceTogglesTheFreezeAndDropsThePace) {
    RunControl run;
    run.stepe = 50000;
    apply_key(run, ' ');
    EXPECT_EQ(run.stopp, 1);
    EXPECT_EQ(run.stepe, 0);
    apply_key(run, ' ');
    EXPECT_EQ(run.stopp, 0);
}

TEST(RunControl, EscapeEndsTheProgramAndChangesNothing) {
    RunControl run{50000, 1, 1};
    EXPECT_EQ(apply_key(run, 27), CommandResult::end_program);
    EXPECT_EQ(run.stepe, 50000);
    EXPECT_EQ(run.stopp, 1);
    EXPECT_EQ(run.loopy, 1);
}

TEST(RunControl, SlowingDownWithoutLimitNeverLeavesTheFiniteNumbers) {
    RunControl run;
    run.stepe = std::numeric_limits<double>::max() / 1.05;
    apply_key(run, '.');
    EXPECT_EQ(run.stepe, std::numeric_limits<double>::max() / 1.05);
    for (int i = 0; i < 10000; ++i) apply_key(run, ',');
    EXPECT_GE(run.stepe, 0);
    EXPECT_EQ(pacing_count(run.stepe), 0);
}

TEST(RunControl, PacingCountIsTheWholePartFromOneUp) {
    const struct {
        double stepe;
        double count;
    } rows[] = {{45000, 45000}, {55000.00000000001, 55000},
                {0, 0},         {0.5, 0},
                {0.999, 0},     {1, 1},
                {10000, 10000}, {-3, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(pacing_count(row.stepe), row.count) << "stepe " << row.stepe;
    }
}

}  // namespace
}  // namespace hcci
