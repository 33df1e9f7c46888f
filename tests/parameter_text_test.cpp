// SPDX-License-Identifier: MIT
#include "core/report/parameter_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace hcci {
namespace {

struct SettingCase {
    const char* setting;
    double gamma;         // when accepted
    const char* problem;  // or why not
};

TEST(ParameterText, SettingsAreNameEqualsAFiniteNumberInRange) {
    const SettingCase cases[] = {
        {"gamma=1.3", 1.3, ""},
        {"gamma=+1.3", 1.3, ""},
        {"gamma=13e-1", 1.3, ""},
        {"gamma=1.67", 1.67, ""},
        {"gamma=1.6700001", 0, "parameter gamma = 1.6700001 is outside its range (1, 1.67]"},
        {"gamma=1", 0, "parameter gamma = 1 is outside its range (1, 1.67]"},
        {"gamma=nan", 0, "parameter gamma = nan is not a finite number"},
        {"gamma=inf", 0, "parameter gamma = inf is not a finite number"},
        {"gamma=", 0, "parameter gamma = '' is not a number"},
        {"gamma= 1.3", 0, "parameter gamma = ' 1.3' is not a number"},
        {"gamma=1,3", 0, "parameter gamma = '1,3' is not a number"},
        {"gamma=++1", 0, "parameter gamma = '++1' is not a number"},
        {"gamma=0x1p0", 0, "parameter gamma = '0x1p0' is not a number"},
        {"gamma", 0, "--set needs NAME=VALUE, not 'gamma'"},
        {"Gamma=1.3", 0,
         "unknown parameter 'Gamma' (did you mean gamma?); hcci-cycle-export params"},
        {"bore=90", 0, "unknown parameter 'bore'; hcci-cycle-export params lists them all"},
        {"model=predictive", 1.4, ""},
        {"model=fast", 0, "parameter model = 'fast' is not a model; the models are scheduled and"},
    };
    for (const SettingCase& c : cases) {
        SCOPED_TRACE(c.setting);
        EngineParameters p;
        const std::optional<std::string> problem = apply_setting(p, c.setting);
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, std::nullopt);
            EXPECT_EQ(p.gamma, c.gamma);
        } else {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->rfind(c.problem, 0), 0u) << *problem;
            EXPECT_EQ(p, EngineParameters{});
        }
    }
}

struct FileCase {
    const char* name;
    const char* text;
    const char* problem;
};

TEST(ParameterText, FilesNameTheLineOfAProblem) {
    const FileCase cases[] = {
        {"comments_and_blank_lines", "# an engine\n\ngamma = 1.3  # hotter\nrod_length = 250\n",
         ""},
        {"not_a_number", "gamma = 1.3\n\nrod_length = \"long\"\n",
         "engine.toml line 3: parameter rod_length must be a number"},
        {"out_of_range", "main_share = 1.5\n",
         "engine.toml line 1: parameter main_share = 1.5 is outside its range (0, 1)"},
        {"unknown", "gamma = 1.3\nbore = 90\n", "engine.toml line 2: unknown parameter 'bore'"},
        {"a_table", "gamma = 1.3\n[engine]\ngamma = 1.3\n",
         "engine.toml line 2: a parameter file is flat: NAME = VALUE lines, no tables"},
        {"a_dotted_name", "engine.gamma = 1.3\n", "engine.toml line 1: a parameter file is flat"},
        // Dotted after a quoted part, or with the dot after one: nested as deep as the dots go.
        {"dotted_after_a_quoted_part", "gamma = 1.3\n\"engine\".gamma = 1.3\n",
         "engine.toml line 2: a parameter file is flat: NAME = VALUE lines, no dotted names"},
        {"dotted_after_a_literal_part", "'en\\gine'.gamma = 1.3\n",
         "engine.toml line 1: a parameter file is flat"},
        {"dotted_before_a_quoted_part", "engine.\"gamma\" = 1.3\n",
         "engine.toml line 1: a parameter file is flat"},
        {"dotted_after_an_escaped_quote", "\"en\\\"gine\".gamma = 1.3\n",
         "engine.toml line 1: a parameter file is flat"},
        // A dot inside the quotes, or in the value, is no nesting.
        {"a_quoted_name_with_a_dot", "\"engine.gamma\" = 1.3\n",
         "engine.toml line 1: unknown parameter 'engine.gamma'"},
        {"a_quoted_name_with_an_equals_sign", "\"a=b.c\" = 1.3\n",
         "engine.toml line 1: unknown parameter 'a=b.c'"},
        {"an_inline_table", "gamma = { value = 1.3 }\n",
         "engine.toml line 1: a parameter's value is a number"},
        {"twice", "gamma = 1.3\ngamma = 1.2\n",
         "engine.toml line 2: parameter gamma is given a second time"},
        {"twice_once_quoted", "gamma = 1.3\n\n  \"gamma\"  = 1.2\n",
         "engine.toml line 3: parameter \"gamma\" is given a second time"},
        {"malformed", "gamma = 1.3\nrod_length =\n", "engine.toml line 2: "},
        // Beyond ASCII only in quotes and comments: the parser's letter tables are not sound.
        {"a_letter_beyond_ascii_in_a_number", "gamma = 1.3\nrod_length = \xd0\x84 1F\n",
         "engine.toml line 2: a name or a number is plain ASCII"},
        {"a_letter_beyond_ascii_in_a_name", "r\xc3\xa9gime = 1\n",
         "engine.toml line 1: a name or a number is plain ASCII"},
        {"beyond_ascii_in_quotes_and_comments", "\"r\xc3\xa9gime\" = 1 # \xd0\x84\n",
         "engine.toml line 1: unknown parameter"},
        {"infinite", "gamma = inf\n", "engine.toml line 1: parameter gamma = inf is not a finite"},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineParameters p;
        const std::optional<std::string> problem = apply_parameter_text(p, c.text, "engine.toml");
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, std::nullopt);
            EXPECT_EQ(p.gamma, 1.3);
            EXPECT_EQ(p.rod_length, 250);
        } else {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->rfind(c.problem, 0), 0u) << *problem;
        }
    }
}

// A file's text as the programs read it, under the name messages give it.
ParameterFileText file(std::string name, std::string text) {
    return {std::move(name), std::move(text)};
}

std::string problem_of(const std::variant<EngineParameters, std::string>& result) {
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "";
}

TEST(ParameterFiles, TheFileFirstThenEverySettingTheLastOneWinning) {
    const auto result = parameters_from_text(file("engine.toml", "gamma = 1.3\nrod_length = 250\n"),
                                             {"gamma=1.35", "start_temperature=300", "gamma=1.2"});
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(result)) << std::get<std::string>(result);
    const EngineParameters& p = std::get<EngineParameters>(result);
    EXPECT_EQ(p.gamma, 1.2);
    EXPECT_EQ(p.rod_length, 250);
    EXPECT_EQ(p.start_temperature, 300);
    EXPECT_EQ(p.main_share, 0.75);
}

TEST(ParameterFiles, ProblemsOfTheWholeSetAndOfTheFile) {
    // Each value within its range, but the order broken.
    const std::string order =
        "parameters first_split_atdc = -33 and first_merge_atdc = -40 break the rule "
        "first_split_atdc <= first_merge_atdc";
    EXPECT_EQ(problem_of(parameters_from_text(std::nullopt, {"first_merge_atdc=-40"})), order);
    EXPECT_EQ(problem_of(parameters_from_text(file("o.toml", "first_merge_atdc = -40\n"), {})),
              order);
    // ... which a study, checking the whole set itself, takes.
    const auto values = parameter_values_from_text(std::nullopt, {"first_merge_atdc=-40"});
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(values));
    EXPECT_EQ(std::get<EngineParameters>(values).first_merge_atdc, -40);
    // The settings are not looked at once the file is refused.
    EXPECT_EQ(problem_of(parameters_from_text(file("bad.toml", "x = 1\n"), {"gamma=1.3"}))
                  .rfind("bad.toml line 1: unknown parameter 'x'", 0),
              0u);
}

TEST(ParameterFiles, TheDefaultFileReadsBackAsTheDefaults) {
    const std::string text = default_parameter_file();
    const auto result = parameters_from_text(file("defaults.toml", text), {});
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(result)) << std::get<std::string>(result);
    EXPECT_EQ(std::get<EngineParameters>(result), EngineParameters{});
    // A line a parameter, each with its value, unit where it has one, and what is allowed.
    for (const char* line :
         {"\nmain_compression_ratio = 12  # compression ratio of the main chamber; allowed (1, "
          "100]\n",
          "\nstart_temperature = 323  # temperature at bottom dead centre (K); allowed (0, 1000]\n",
          "\naux_ignition_factor = 1.8  # ", "\nfirst_split_atdc = -33  # ",
          "(degrees ATDC); allowed (-180, 180), first_split_atdc <= first_merge_atdc\n",
          "\nengine_speed = 1200  # ", "\nbdc_pressure = 1  # "}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    int settings = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        settings += text[at] != '#';
    }
    // and the model and each named choice
    EXPECT_EQ(settings, static_cast<int>(parameter_table().size() + choice_table().size()) + 1);
    EXPECT_NE(text.find("\nmodel = \"scheduled\"  # scheduled or predictive\n"), std::string::npos);
}

// The model is named, in a file as a TOML string, and read back as it was written.
TEST(ParameterFiles, TheModelIsNamed) {
    EngineParameters predictive;
    predictive.model = "predictive";
    predictive.start_temperature = 340;
    const auto back = parameters_from_text(file("p.toml", parameter_file(predictive)), {});
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(back)) << std::get<std::string>(back);
    EXPECT_EQ(std::get<EngineParameters>(back), predictive);
    EXPECT_EQ(problem_of(parameters_from_text(file("/tmp/q.toml", "model = 3\n"), {})),
              "/tmp/q.toml line 1: parameter model must be \"scheduled\" or \"predictive\"");
}

// The angles of earlier releases were crank angles (90 at top dead centre): a file or a setting
// that names one is read, converted and told, in a line each.
TEST(ParameterFiles, AnglesByTheirFormerNamesAreConvertedAndTold) {
    std::vector<std::string> notices;
    const auto result =
        parameters_from_text(file("old.toml", "# an old file\naux_ignition_start = 74\n"),
                             {"first_split_angle=57.5", "second_merge_atdc=30"}, &notices);
    ASSERT_TRUE(std::holds_alternative<EngineParameters>(result)) << std::get<std::string>(result);
    const EngineParameters& p = std::get<EngineParameters>(result);
    EXPECT_EQ(p.aux_ignition_start_atdc, -16);
    EXPECT_EQ(p.first_split_atdc, -32.5);
    EXPECT_EQ(p.second_merge_atdc, 30);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0],
              "old.toml line 2: note: aux_ignition_start = 74 is a crank angle (top dead centre at "
              "90): read as aux_ignition_start_atdc = -16, degrees after top dead centre");
    EXPECT_EQ(notices[1].substr(0, 50), "note: first_split_angle = 57.5 is a crank angle (t");
    // Out of range once converted, it is refused under its present name.
    EXPECT_EQ(problem_of(parameters_from_text(std::nullopt, {"first_merge_angle=290"})),
              "parameter first_merge_atdc = 200 is outside its range (-180, 180)");
}

}  // namespace
}  // namespace hcci
