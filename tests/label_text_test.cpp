// SPDX-License-Identifier: MIT
#include "core/draw/label_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace hcci {
namespace {

// Ten units a character, so that the widths are easy to reason about.
double ten_per_character(std::string_view text) {
    return 10.0 * static_cast<double>(text.size());
}

struct WrapCase {
    const char* name;
    const char* text;
    double width;
    std::vector<std::string> lines;
};

class WrapAtSpaces : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapAtSpaces, BreaksOnlyWhereASpaceIs) {
    const WrapCase& c = GetParam();
    EXPECT_EQ(wrap_at_spaces(c.text, c.width, ten_per_character), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    LabelText, WrapAtSpaces,
    ::testing::Values(
        WrapCase{"fits", "United Chamber", 153, {"United Chamber"}},
        WrapCase{"exactly_fits", "abc de", 60, {"abc de"}},
        // "Pressure (10Bar/" would fit in 160, but "/" is no place to break.
        WrapCase{"slash_joins",
                 "Pressure (10Bar/Horizontal_Line)",
                 160,
                 {"Pressure", "(10Bar/Horizontal_Line)"}},
        WrapCase{"several_lines",
                 "Torvan HCCI Controllable Combustion ",
                 129,
                 {"Torvan HCCI", "Controllable", "Combustion "}},
        WrapCase{"word_wider_than_the_label", "a verylongword b", 50, {"a", "verylongword", "b"}},
        WrapCase{"runs_of_spaces_go_at_a_break", "ab   cd", 30, {"ab", "cd"}},
        WrapCase{"runs_of_spaces_stay_inside_a_line", "ab   cd", 70, {"ab   cd"}},
        WrapCase{"leading_spaces_stay", "  ab", 100, {"  ab"}}, WrapCase{"empty", "", 100, {""}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hcci
