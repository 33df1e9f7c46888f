// SPDX-License-Identifier: MIT
#include "platform/parameter_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace hcci {
namespace {

namespace fs = std::filesystem;

class ParameterFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "hcci-params-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }
    fs::path dir_;
};

std::string problem_of(const std::variant<EngineParameters, std::string>& result) {
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "";
}

TEST_F(ParameterFile, TheFileIsReadThenEverySettingOnTop) {
    ParameterSources sources;
    sources.file = write("engine.toml", "gamma = 1.3\nrod_length = 250\n");
    sources.settings = {"gamma=1.35", "start_temperature=300", "gamma=1.2"};
    const auto result = read_parameters(sources);
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(result)) << problem_of(result);
    const EngineParameters& p = std::get<EngineParameters>(result);
    EXPECT_EQ(p.gamma, 1.2);
    EXPECT_EQ(p.rod_length, 250);
    EXPECT_EQ(p.start_temperature, 300);
    // Messages and notices name the file as it was given.
    std::vector<std::string> notices;
    const std::string old = write("old.toml", "aux_ignition_start = 74\n");
    EXPECT_EQ(problem_of(read_parameters({old, {}}, &notices)), "");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].rfind(old + " line 1: note: aux_ignition_start = 74", 0), 0u);
    EXPECT_EQ(problem_of(read_parameters({write("bad.toml", "x = 1\n"), {"gamma=1.3"}})),
              (dir_ / "bad.toml").string() + " line 1: unknown parameter 'x'; " +
                  "hcci-cycle-export params lists them all");
}

// The whole set is checked by read_parameters, each value alone by read_parameter_values.
TEST_F(ParameterFile, ValuesAloneOrTheWholeSet) {
    const ParameterSources sources{write("o.toml", "first_merge_atdc = -40\n"), {}};
    EXPECT_NE(problem_of(read_parameters(sources)).find("break the rule"), std::string::npos);
    const auto values = read_parameter_values(sources);
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(values)) << problem_of(values);
    EXPECT_EQ(std::get<EngineParameters>(values).first_merge_atdc, -40);
}

TEST_F(ParameterFile, AFileThatCannotBeReadIsNamedWithTheReason) {
    const std::string missing = (dir_ / "missing.toml").string();
    EXPECT_EQ(problem_of(read_parameters({missing, {}})),
              "cannot read " + missing + ": No such file or directory");
    EXPECT_EQ(problem_of(read_parameter_values({missing, {"gamma=1.3"}})),
              "cannot read " + missing + ": No such file or directory");
    EXPECT_EQ(problem_of(read_parameters({dir_.string(), {}})),
              "cannot read " + dir_.string() + ": Is a directory");
    const std::string huge = write("huge.toml", std::string(2 << 20, '#'));
    EXPECT_EQ(problem_of(read_parameters({huge, {}})),
              "cannot read " + huge + ": larger than a parameter file can be (1 MiB)");
    // 1 MiB itself is still a parameter file, of comments.
    const std::string largest = write("largest.toml", std::string(1 << 20, '#'));
    const auto read = read_parameter_file(largest);
    ASSERT_TRUE(std::holds_alternative<ParameterFileText>(read));
    EXPECT_EQ(std::get<ParameterFileText>(read).name, largest);
    EXPECT_EQ(std::get<ParameterFileText>(read).text.size(), 1u << 20);
}

}  // namespace
}  // namespace hcci
