// SPDX-License-Identifier: MIT
#include "apps/window/window_args.h"
#include "core/report/version.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace hcci {
namespace {

TEST(WindowArgs, HelpVersionOrTheEngine) {
    for (const std::string_view option : {"--help", "-h"}) {
        const auto help = parse_window_args(std::vector<std::string_view>{option});
        ASSERT_TRUE(std::holds_alternative<WindowArgs>(help));
        EXPECT_EQ(std::get<WindowArgs>(help).action, WindowAction::help);
    }
    const auto plain = parse_window_args({});
    ASSERT_TRUE(std::holds_alternative<WindowArgs>(plain));
    EXPECT_EQ(std::get<WindowArgs>(plain).action, WindowAction::animate);
    EXPECT_FALSE(std::get<WindowArgs>(plain).explore);
    const auto explorer =
        parse_window_args(std::vector<std::string_view>{"--set", "gamma=1.3", "--explore"});
    ASSERT_TRUE(std::holds_alternative<WindowArgs>(explorer));
    EXPECT_TRUE(std::get<WindowArgs>(explorer).explore);
    EXPECT_EQ(std::get<WindowArgs>(explorer).parameters.settings,
              std::vector<std::string>{"gamma=1.3"});
    const auto engine = parse_window_args(
        std::vector<std::string_view>{"--set", "gamma=1.3", "--params", "e.toml"});
    ASSERT_TRUE(std::holds_alternative<WindowArgs>(engine));
    EXPECT_EQ(std::get<WindowArgs>(engine).parameters.settings,
              std::vector<std::string>{"gamma=1.3"});
    EXPECT_EQ(window_version_text(), "hcci-cycle " + std::string(version) + "\n");
    // A file may be named like an option: it is the value, not the option.
    const auto odd_name = parse_window_args(std::vector<std::string_view>{"--params", "--explore"});
    ASSERT_TRUE(std::holds_alternative<WindowArgs>(odd_name));
    EXPECT_FALSE(std::get<WindowArgs>(odd_name).explore);
    EXPECT_EQ(std::get<WindowArgs>(odd_name).parameters.file, "--explore");
}

TEST(WindowArgs, MistakesAreNamed) {
    const struct {
        std::vector<std::string_view> args;
        const char* problem;
    } cases[] = {
        {{"--fullscreen"}, "unknown option '--fullscreen'"},
        {{"-platform", "xcb"}, "unknown option '-platform'"},  // Qt's options are not ours
        {{"--set"}, "option '--set' needs a value"},
        {{"--help", "--set", "gamma=1.3"}, "option '--help' stands alone"},
        {{"--explore", "--version"}, "option '--version' stands alone"},
        {{"--params", "a", "--params", "b"}, "option '--params' given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        const auto parsed = parse_window_args(c.args);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
        EXPECT_EQ(std::get<std::string>(parsed), c.problem);
    }
}

}  // namespace
}  // namespace hcci
