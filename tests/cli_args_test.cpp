// SPDX-License-Identifier: MIT
#include "apps/export/cli_args.h"
#include "core/report/version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hcci {
namespace {

struct AcceptedCase {
    const char* name;
    std::vector<std::string_view> args;
    CliCommand command;
    std::string output;
    int step;
    bool labels;
};

class AcceptedArgs : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedArgs, ParseIntoTheRecord) {
    const AcceptedCase& c = GetParam();
    const auto parsed = parse_cli_args(c.args);
    const auto* args = std::get_if<CliArgs>(&parsed);
    ASSERT_NE(args, nullptr) << std::get<CliError>(parsed).message;
    EXPECT_EQ(args->command, c.command);
    EXPECT_EQ(args->output, c.output);
    EXPECT_EQ(args->step, c.step);
    EXPECT_EQ(args->labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, AcceptedArgs,
    ::testing::Values(
        AcceptedCase{"help", {"--help"}, CliCommand::help, "", 18000, true},
        AcceptedCase{"short_help", {"-h"}, CliCommand::help, "", 18000, true},
        AcceptedCase{"a_commands_help_before_a_mistake",
                     {"png", "--step", "ten", "--help"},
                     CliCommand::help,
                     "",
                     18000,
                     true},
        AcceptedCase{"version", {"--version"}, CliCommand::version, "", 18000, true},
        AcceptedCase{"csv_to_stdout", {"csv"}, CliCommand::csv, "", 18000, true},
        AcceptedCase{
            "csv_to_file", {"csv", "-o", "out.csv"}, CliCommand::csv, "out.csv", 18000, true},
        AcceptedCase{
            "png_default_step", {"png", "-o", "a.png"}, CliCommand::png, "a.png", 18000, true},
        AcceptedCase{"png_options_in_any_order",
                     {"png", "--no-labels", "--step", "0", "-o", "a.png"},
                     CliCommand::png,
                     "a.png",
                     0,
                     false},
        AcceptedCase{"png_last_step",
                     {"png", "-o", "a.png", "--step", "18000"},
                     CliCommand::png,
                     "a.png",
                     18000,
                     true},
        AcceptedCase{"png_leading_zeros",
                     {"png", "-o", "a.png", "--step", "0042"},
                     CliCommand::png,
                     "a.png",
                     42,
                     true},
        AcceptedCase{"file_named_like_an_option",
                     {"csv", "-o", "--step"},
                     CliCommand::csv,
                     "--step",
                     18000,
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

struct RejectedCase {
    const char* name;
    std::vector<std::string_view> args;
    std::string_view message_part;
};

class RejectedArgs : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedArgs, GiveAMessageNamingTheFault) {
    const RejectedCase& c = GetParam();
    const auto parsed = parse_cli_args(c.args);
    const auto* error = std::get_if<CliError>(&parsed);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(error->message.find(c.message_part), std::string::npos) << error->message;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, RejectedArgs,
    ::testing::Values(
        RejectedCase{"nothing", {}, "no command"},
        RejectedCase{"unknown_command", {"pdf"}, "unknown command 'pdf'"},
        RejectedCase{"option_before_command", {"-o", "x", "csv"}, "unknown command '-o'"},
        RejectedCase{"unknown_option", {"csv", "--fast"}, "unknown option '--fast'"},
        RejectedCase{"step_is_png_only", {"csv", "--step", "5"}, "unknown option '--step'"},
        RejectedCase{"no_labels_is_png_only", {"csv", "--no-labels"}, "unknown option"},
        RejectedCase{"stray_argument", {"csv", "out.csv"}, "unknown option 'out.csv'"},
        RejectedCase{"missing_output_value", {"csv", "-o"}, "'-o' needs a value"},
        RejectedCase{"empty_output", {"csv", "-o", ""}, "needs a file name"},
        RejectedCase{"output_twice", {"csv", "-o", "a", "-o", "b"}, "given twice"},
        RejectedCase{"png_without_output", {"png", "--step", "3"}, "needs an output file"},
        RejectedCase{"missing_step_value", {"png", "-o", "a.png", "--step"}, "needs a value"},
        RejectedCase{"step_too_large", {"png", "-o", "a.png", "--step", "18001"}, "'18001'"},
        RejectedCase{"step_negative", {"png", "-o", "a.png", "--step", "-1"}, "'-1'"},
        RejectedCase{"step_with_plus", {"png", "-o", "a.png", "--step", "+5"}, "'+5'"},
        RejectedCase{"step_fraction", {"png", "-o", "a.png", "--step", "5.0"}, "'5.0'"},
        RejectedCase{"step_exponent", {"png", "-o", "a.png", "--step", "1e3"}, "'1e3'"},
        RejectedCase{"step_space", {"png", "-o", "a.png", "--step", " 5"}, "' 5'"},
        RejectedCase{"step_empty", {"png", "-o", "a.png", "--step", ""}, "''"},
        RejectedCase{"step_overflow",
                     {"png", "-o", "a.png", "--step", "99999999999999999999"},
                     "is not a whole number"},
        RejectedCase{
            "step_twice", {"png", "-o", "a.png", "--step", "1", "--step", "2"}, "given twice"},
        RejectedCase{"scale_zero", {"png", "-o", "a.png", "--scale", "0"}, "'0'"},
        RejectedCase{"scale_too_large", {"png", "-o", "a.png", "--scale", "5"}, "'5'"},
        RejectedCase{"scale_fraction", {"png", "-o", "a.png", "--scale", "1.5"}, "'1.5'"},
        RejectedCase{"scale_missing_value", {"png", "-o", "a.png", "--scale"}, "needs a value"},
        RejectedCase{"scale_is_png_only", {"csv", "--scale", "2"}, "unknown option '--scale'"},
        RejectedCase{
            "scale_twice", {"png", "-o", "a.png", "--scale", "2", "--scale", "2"}, "given twice"},
        RejectedCase{"help_with_more", {"--help", "csv"}, "unexpected argument 'csv'"},
        RejectedCase{"version_with_more", {"--version", "-o"}, "unexpected argument"},
        RejectedCase{"set_without_value", {"csv", "--set"}, "'--set' needs a value"},
        RejectedCase{"params_twice",
                     {"png", "-o", "a", "--params", "a", "--params", "b"},
                     "'--params' given twice"},
        RejectedCase{"params_empty", {"csv", "--params", ""}, "needs a file name"},
        RejectedCase{
            "params_takes_no_engine", {"params", "--set", "gamma=1.3"}, "unknown option '--set'"},
        RejectedCase{"map_without_axes", {"map", "--x", "gamma=1:2:1"}, "map needs both axes"},
        RejectedCase{"map_shard_zero",
                     {"map", "--x", "a=1:2:1", "--y", "b=1:2:1", "--shard", "0/4"},
                     "shard '0/4' is not K/N"},
        RejectedCase{"map_shard_beyond",
                     {"map", "--x", "a=1:2:1", "--y", "b=1:2:1", "--shard", "5/4"},
                     "shard '5/4'"},
        RejectedCase{"map_shard_no_slash",
                     {"map", "--x", "a=1:2:1", "--y", "b=1:2:1", "--shard", "4"},
                     "shard '4'"},
        RejectedCase{
            "map_shard_with_plot",
            {"map", "--x", "a=1:2:1", "--y", "b=1:2:1", "--shard", "1/2", "--plot", "m.png"},
            "plot the joined map"},
        RejectedCase{"merge_with_axes",
                     {"map", "--merge", "a.csv", "b.csv", "--x", "a=1:2:1"},
                     "--merge joins the shards as they are"},
        RejectedCase{"merge_with_settings",
                     {"map", "--merge", "a.csv", "--set", "gamma=1.3"},
                     "--merge joins the shards as they are"},
        RejectedCase{"merge_without_files", {"map", "--merge", "-o", "m.csv"}, "needs file names"},
        RejectedCase{"merge_twice",
                     {"map", "--merge", "a.csv", "--merge", "b.csv"},
                     "'--merge' given twice"},
        RejectedCase{"ringing_limit_zero",
                     {"map", "--x", "a=1:2:1", "--y", "b=1:2:1", "--ringing-limit", "0"},
                     "--ringing-limit '0' is not a number above 0"},
        RejectedCase{"map_is_not_study", {"study", "--x", "gamma=1:2:1"}, "unknown option '--x'"}),
    [](const auto& info) { return std::string(info.param.name); });

// A map's axes, shard and limits; --merge takes the files after it, up to the next option.
TEST(CliArgs, AMapIsComputedInSlicesOrJoined) {
    const std::vector<std::string_view> computed = {"map",
                                                    "--x",
                                                    "start_temperature=300:340:5",
                                                    "--y",
                                                    "equivalence_ratio=0.2:0.4:0.1",
                                                    "--shard",
                                                    "3/8",
                                                    "--pressure-limit",
                                                    "180",
                                                    "-o",
                                                    "m.csv",
                                                    "--set",
                                                    "model=predictive"};
    const auto parsed = parse_cli_args(computed);
    ASSERT_TRUE(std::holds_alternative<CliArgs>(parsed)) << std::get<CliError>(parsed).message;
    const CliArgs& map = std::get<CliArgs>(parsed);
    EXPECT_EQ(map.command, CliCommand::map);
    EXPECT_EQ(map.map_x, "start_temperature=300:340:5");
    EXPECT_EQ(map.map_y, "equivalence_ratio=0.2:0.4:0.1");
    EXPECT_EQ(map.shard_index, 3u);
    EXPECT_EQ(map.shard_count, 8u);
    EXPECT_EQ(map.pressure_limit, 180);
    EXPECT_EQ(map.ringing_limit, 5);
    EXPECT_EQ(map.parameters.settings, std::vector<std::string>{"model=predictive"});

    const std::vector<std::string_view> joined = {"map", "--merge", "a.csv",  "b.csv", "c.csv",
                                                  "-o",  "m.csv",   "--plot", "m.svg"};
    const auto merge = parse_cli_args(joined);
    ASSERT_TRUE(std::holds_alternative<CliArgs>(merge)) << std::get<CliError>(merge).message;
    EXPECT_EQ(std::get<CliArgs>(merge).merge,
              (std::vector<std::string>{"a.csv", "b.csv", "c.csv"}));
    EXPECT_EQ(std::get<CliArgs>(merge).output, "m.csv");
    EXPECT_EQ(std::get<CliArgs>(merge).plot, "m.svg");
}

// Not given, the scale is the command's own (1 for a picture, the format's for a video); given,
// even as 1, it is the one asked.
TEST(CliArgs, ScaleIsTheCommandsOwnUnlessGiven) {
    const struct {
        std::vector<std::string_view> args;
        std::optional<int> scale;
    } rows[] = {
        {{"png", "-o", "a.png"}, std::nullopt},      {{"png", "--scale", "1", "-o", "a.png"}, 1},
        {{"png", "-o", "a.png", "--scale", "4"}, 4}, {{"png", "--scale", "02", "-o", "a.png"}, 2},
        {{"video", "-o", "a.mp4"}, std::nullopt},    {{"video", "--scale", "1", "-o", "a.mp4"}, 1}};
    for (const auto& row : rows) {
        const auto parsed = parse_cli_args(row.args);
        ASSERT_TRUE(std::holds_alternative<CliArgs>(parsed));
        EXPECT_EQ(std::get<CliArgs>(parsed).scale, row.scale) << row.args.back();
    }
}

TEST(CliText, UsageNamesEveryFormAndVersionIsTheProjectVersion) {
    const std::string usage = usage_text();
    for (const char* form : {"csv [-o FILE]", "png -o FILE [--step N] [--no-labels] [--scale S]",
                             "--help | -h | --version", "COMMAND --help"}) {
        EXPECT_NE(usage.find(form), std::string::npos) << form;
    }
    EXPECT_EQ(version_text(), "hcci-cycle-export " + std::string(version) + "\n");
}

TEST(CliArgs, ParametersFromAFileAndSettingsInTheirOrder) {
    const std::vector<std::string_view> args = {
        "png", "--set", "gamma=1.3", "-o", "a.png", "--params", "e.toml", "--set", "gamma=1.2"};
    const auto parsed = parse_cli_args(args);
    ASSERT_TRUE(std::holds_alternative<CliArgs>(parsed));
    const ParameterSources& sources = std::get<CliArgs>(parsed).parameters;
    EXPECT_EQ(sources.file, std::optional<std::string>("e.toml"));
    EXPECT_EQ(sources.settings, (std::vector<std::string>{"gamma=1.3", "gamma=1.2"}));
    const auto params = parse_cli_args(std::vector<std::string_view>{"params", "-o", "p.toml"});
    ASSERT_TRUE(std::holds_alternative<CliArgs>(params));
    EXPECT_EQ(std::get<CliArgs>(params).command, CliCommand::params);
}

// A command's --help is that command's usage: its own options only, and an example that parses.
TEST(CliText, ACommandsHelpIsItsOwnUsage) {
    for (const CliCommand command :
         {CliCommand::csv, CliCommand::png, CliCommand::summary, CliCommand::study,
          CliCommand::plot, CliCommand::svg, CliCommand::video, CliCommand::params}) {
        const std::string text = command_usage_text(command);
        SCOPED_TRACE(text);
        const std::size_t at = text.find("example: hcci-cycle-export ");
        ASSERT_NE(at, std::string::npos);
        std::string example = text.substr(at + 27);
        example.pop_back();  // its newline
        std::vector<std::string> words;
        for (std::size_t from = 0; from <= example.size();) {
            const std::size_t end = std::min(example.find(' ', from), example.size());
            words.push_back(example.substr(from, end - from));
            from = end + 1;
        }
        const std::vector<std::string_view> args(words.begin(), words.end());
        const auto parsed = parse_cli_args(args);
        ASSERT_TRUE(std::holds_alternative<CliArgs>(parsed)) << std::get<CliError>(parsed).message;
        EXPECT_EQ(std::get<CliArgs>(parsed).command, command);
        EXPECT_EQ(text.find("usage: hcci-cycle-export " + words[0]), 0u);
    }
    // Only the options the command takes.
    const std::string png = command_usage_text(CliCommand::png);
    EXPECT_NE(png.find("--step N"), std::string::npos);
    EXPECT_EQ(png.find("--fps"), std::string::npos);
    EXPECT_EQ(png.find("--vary"), std::string::npos);
}

// Each command's help offers only what the command accepts: "- for standard output" where
// "-o -" parses, and nowhere it is refused; the default of --scale that is the command's own.
TEST(CliText, EachCommandsHelpOffersWhatItAccepts) {
    const struct {
        CliCommand command;
        std::vector<std::string_view> args;  // with "-o -"
        bool offers_standard_output;
        const char* scale_help;  // empty: none
    } rows[] = {
        {CliCommand::csv, {"csv", "-o", "-"}, true, ""},
        {CliCommand::png, {"png", "-o", "-"}, true, "drawn afresh; default 1\n"},
        {CliCommand::svg, {"svg", "-o", "-"}, true, ""},
        {CliCommand::summary, {"summary", "-o", "-"}, true, ""},
        {CliCommand::study, {"study", "--vary", "gamma=1.3:1.4:0.1", "-o", "-"}, true, ""},
        {CliCommand::params, {"params", "-o", "-"}, true, ""},
        {CliCommand::plot, {"plot", "--view", "log-pv", "-o", "-"}, false, ""},
        {CliCommand::video, {"video", "-o", "-"}, false, "default 2 for MP4 and WebM, 1"},
    };
    for (const auto& row : rows) {
        const std::string help = command_usage_text(row.command);
        SCOPED_TRACE(help);
        const auto parsed = parse_cli_args(row.args);
        EXPECT_EQ(std::holds_alternative<CliArgs>(parsed), row.offers_standard_output);
        EXPECT_EQ(help.find("- for standard output") != std::string::npos,
                  row.offers_standard_output);
        EXPECT_NE(help.find("  -o FILE           the file to write"), std::string::npos);
        EXPECT_EQ(help.find("not for plot or video"), std::string::npos);
        if (*row.scale_help != '\0') {
            EXPECT_NE(help.find(row.scale_help), std::string::npos);
        }
    }
    // The whole help says -o once, with its exception.
    const std::string all = usage_text();
    EXPECT_EQ(all.find("  -o FILE"), all.rfind("  -o FILE"));
    EXPECT_NE(all.find("- for standard output (not for plot or video)"), std::string::npos);
    EXPECT_EQ(all.find("  --scale S"), all.rfind("  --scale S"));
}

// `--compare default` is the default engine; any other word is a file's name.
TEST(CliArgs, CompareTakesDefaultOrAFile) {
    for (const std::string_view value : {"default", "./default", "base.toml"}) {
        const std::vector<std::string_view> args{"summary", "--compare", value};
        const auto parsed = parse_cli_args(args);
        ASSERT_TRUE(std::holds_alternative<CliArgs>(parsed));
        const CliArgs& cli = std::get<CliArgs>(parsed);
        EXPECT_EQ(cli.compare, std::string(value));
        EXPECT_EQ(cli.compare == compare_default, value == "default");
    }
}

// A file's ending says its format; a name that says none, or another kind's, is refused in
// those words.
TEST(CliArgs, AnOutputsNameMustSayAFormatOfItsKind) {
    const struct {
        std::vector<std::string_view> args;
        std::optional<std::string> message;  // none: accepted
    } rows[] = {
        {{"plot", "--view", "log-pv", "-o", "a.svg"}, std::nullopt},
        {{"plot", "--view", "log-pv", "-o", "a.gif"},
         "the plot 'a.gif' must be a file ending in .png or .svg (its name says which)"},
        {{"plot", "--view", "log-pv", "-o", "a.PNG"},
         "the plot 'a.PNG' must be a file ending in .png or .svg (its name says which)"},
        {{"study", "--vary", "gamma=1.3:1.4:0.1", "--plot", "s.png"}, std::nullopt},
        {{"study", "--vary", "gamma=1.3:1.4:0.1", "--plot", "s.csv"},
         "the plot 's.csv' must end in .png or .svg"},
        {{"video", "-o", "v.webm"}, std::nullopt},
        {{"video", "-o", "v.png"}, "the video 'v.png' must end in .mp4, .webm or .gif"},
        {{"video", "-o", "v.gif", "--hold", "1"}, std::nullopt},
        {{"video", "-o", "v.webm", "--hold", "1"},
         "--hold is for a GIF: an MP4 or a WebM plays once and stops on its last frame"},
        {{"video", "-o", "v.mp4", "--fps", "60"}, std::nullopt},
        {{"video", "-o", "v.mp4", "--layout", "side"}, std::nullopt},
        {{"video", "-o", "v.gif", "--layout", "picture"}, std::nullopt},
        {{"video", "-o", "v.mp4", "--layout", "beside"},
         "layout 'beside' is neither picture nor side"},
        {{"video", "-o", "v.mp4", "--layout", "side", "--scale", "2"},
         "--scale is for the picture layout: the side layout is 1920x1080 whatever the scale"},
        {{"video", "-o", "v.gif", "--fps", "51"},
         "a GIF shows at most 50 frames a second (its delays are hundredths of a second), not "
         "51"},
    };
    for (const auto& row : rows) {
        const auto parsed = parse_cli_args(row.args);
        const auto* error = std::get_if<CliError>(&parsed);
        if (!row.message) {
            EXPECT_EQ(error, nullptr) << (error ? error->message : "");
            continue;
        }
        ASSERT_NE(error, nullptr) << *row.message;
        EXPECT_EQ(error->message, *row.message);
    }
}

// An error names its command, where there is one, so that the help it points to is that one's.
TEST(CliText, AnErrorPointsToTheHelpOfItsCommand) {
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
        {{"png", "--step", "ten", "-o", "a.png"}, "try 'hcci-cycle-export png --help'\n"},
        {{"pdf"}, "try 'hcci-cycle-export --help'\n"},
        {{}, "try 'hcci-cycle-export --help'\n"},
    };
    for (const auto& [args, expected] : cases) {
        const auto parsed = parse_cli_args(args);
        ASSERT_TRUE(std::holds_alternative<CliError>(parsed));
        EXPECT_EQ(try_help_text(std::get<CliError>(parsed)), expected);
    }
}

}  // namespace
}  // namespace hcci
