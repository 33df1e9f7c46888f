// SPDX-License-Identifier: MIT
#include "apps/export/cli_args.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "core/report/command_line.h"
#include "core/report/number_text.h"
#include "core/report/output_format.h"
#include "core/report/version.h"
#include "core/report/view_charts.h"

namespace hcci {
namespace {

// The views, as the registry lists them.
const std::string plot_what = "a view an engineer reads: " + view_names_text();
const std::string view_help = "plot: " + view_names_text();

// Whether a file's name ends in one of the endings of that kind's formats.
bool names_a(std::string_view path, OutputKind kind) {
    const std::optional<OutputFormat> format = format_of(path);
    return format && serves(*format, kind);
}

struct CommandInfo {
    CliCommand command;
    std::string_view name;
    std::string_view what;
    std::string_view example;
};

// The commands that do something, in the order the usage shows them.
const std::array<CommandInfo, 9> commands{{
    {CliCommand::csv, "csv",
     "one sweep's values, a row per crank step (standard output by default)",
     "csv --set gamma=1.35 -o sweep.csv"},
    {CliCommand::png, "png",
     "the picture the window shows after step N (0 to 18000, default 18000)",
     "png --step 9000 --scale 2 -o halfway.png"},
    {CliCommand::summary, "summary",
     "the cycle's analysis: work, IMEP, heat release, CA10/50/90, peaks",
     "summary --set model=predictive --json"},
    {CliCommand::study, "study", "the analysis for each value of one parameter, a CSV row each",
     "study --set model=predictive --vary start_temperature=310:360:5 --plot study.png"},
    {CliCommand::map, "map",
     "the analysis at every point of a grid over two parameters, a CSV row each; shards of it, "
     "joined",
     "map --x start_temperature=300:330:1 --y equivalence_ratio=0.2:0.5:0.01 --set "
     "model=predictive -o map.csv --plot map.png"},
    {CliCommand::plot, "plot", plot_what,
     "plot --view pressure-angle --set model=predictive --compare default -o p.svg"},
    {CliCommand::svg, "svg", "the same picture as vector graphics", "svg --no-labels -o cycle.svg"},
    {CliCommand::video, "video",
     "one sweep as it looks in the window: FILE.mp4 (H.264), FILE.webm (VP9) or FILE.gif",
     "video --fps 25 --duration 9 -o sweep.gif"},
    {CliCommand::params, "params", "the parameter file of the default engine, ready to edit",
     "params -o engine.toml"},
}};

constexpr std::uint32_t bit(CliCommand command) {
    return command_bit(static_cast<int>(command));
}
constexpr std::uint32_t picture = bit(CliCommand::png) | bit(CliCommand::svg);
constexpr std::uint32_t video = bit(CliCommand::video);
constexpr std::uint32_t study = bit(CliCommand::study);
constexpr std::uint32_t plot_command = bit(CliCommand::plot);
constexpr std::uint32_t map_command = bit(CliCommand::map);
constexpr std::uint32_t every_command = bit(CliCommand::csv) | picture | video |
                                        bit(CliCommand::summary) | study | plot_command |
                                        bit(CliCommand::params) | map_command;
constexpr std::uint32_t every_engine = every_command & ~bit(CliCommand::params);

enum Option {
    output,
    force,
    step,
    no_labels,
    scale,
    fps,
    duration,
    hold,
    layout,
    json,
    vary,
    plot,
    view,
    compare,
    size,
    params,
    set,
    map_x,
    map_y,
    map_plot,
    shard,
    merge,
    ringing_limit,
    pressure_limit,
    measured
};

// A plot and a video are written with seeks or by their file's name, so they take no "-".
constexpr std::uint32_t to_a_file_only = video | plot_command;

const std::array<OptionRule, 29> options{{
    {output, "-o", "FILE", "the file to write; - for standard output (not for plot or video)", 0,
     0},
    {output, "-o", "FILE", "the file to write; - for standard output",
     every_command & ~to_a_file_only, picture, "an output file", false, false},
    {output, "-o", "FILE", "the file to write", to_a_file_only, to_a_file_only, "an output file",
     false, false},
    {step, "--step", "N", "the step after which the picture is taken", picture, 0},
    {no_labels, "--no-labels", "", "the drawing alone, without the labels over it", picture | video,
     0},
    {scale, "--scale", "S",
     "the picture S times larger (1 to 4), drawn afresh; default 1, and 2 for MP4 and WebM", 0, 0},
    {scale,
     "--scale",
     "S",
     "the picture S times larger (1 to 4), drawn afresh; default 1",
     bit(CliCommand::png),
     0,
     {},
     false,
     false},
    {scale,
     "--scale",
     "S",
     "the picture S times larger (1 to 4), drawn afresh; default 2 for MP4 and WebM, 1 for a "
     "GIF",
     video,
     0,
     {},
     false,
     false},
    {fps, "--fps", "F", "video: frames a second (1 to 60, a GIF up to 50; default 30)", video, 0},
    {duration, "--duration", "S", "video: seconds (default 18, the sweep's own time)", video, 0},
    {hold, "--hold", "S", "video: a GIF's last frame held S seconds before it loops (default 2)",
     video, 0},
    {layout, "--layout", "L",
     "video: picture (the picture alone, the default) or side (1920x1080: the picture and the "
     "pressure-angle view beside it, a cursor at the angle)",
     video, 0},
    {json, "--json", "", "the analysis as JSON, every number in full", bit(CliCommand::summary), 0},
    {vary, "--vary", "NAME=FROM:TO:STEP",
     "the parameter NAME from FROM to TO (both included) in steps of STEP", study, study,
     "the parameter to vary"},
    {plot, "--plot", "FILE", "also a plot of the main figures against it, FILE.png or FILE.svg",
     study, 0},
    {map_x, "--x", "NAME=FROM:TO:STEP", "map: the parameter across, varying fastest", map_command,
     0},
    {map_y, "--y", "NAME=FROM:TO:STEP", "map: the parameter up", map_command, 0},
    {map_plot, "--plot", "FILE",
     "map: also its figures as filled maps with the limits, FILE.png or FILE.svg", map_command, 0},
    {shard, "--shard", "K/N", "map: only the K-th of N interleaved slices, to join with --merge",
     map_command, 0},
    {merge, "--merge", "FILE...",
     "map: join the shards FILE... into the whole map's table instead of computing", map_command,
     0},
    {ringing_limit, "--ringing-limit", "MW/M2",
     "map: the ringing intensity the engine may reach (default 5)", map_command, 0},
    {pressure_limit, "--pressure-limit", "BAR",
     "map: the peak pressure the engine may reach (default 200)", map_command, 0},
    {view, "--view", "VIEW", view_help, plot_command, plot_command, "the view to plot"},
    {compare, "--compare", "FILE",
     "a baseline engine from a TOML file, or default for the default engine, drawn dashed or "
     "compared in columns",
     plot_command | bit(CliCommand::summary), 0},
    {measured, "--measured", "FILE",
     "a measured pressure trace, CSV rows of crank angle (degrees ATDC) and pressure (bar): "
     "summary analyses it with the engine's geometry (--compare measured: in columns beside the "
     "model), plot draws it in black beneath the model",
     plot_command | bit(CliCommand::summary), 0},
    {size, "--size", "WxH", "plot: the size in pixels (default 1600x1000)", plot_command, 0},
    {force, "--force", "",
     "replace a file that its mode or owner protects from writing, where its directory allows",
     every_command, 0},
    {params, "--params", "FILE", "the engine's parameters from a TOML file", every_engine, 0},
    {set,
     "--set",
     "NAME=VALUE",
     "one parameter, after the file; see the params command for them all",
     every_engine,
     0,
     {},
     true},
}};

// A positive decimal number of seconds, no more than the longest video.
std::optional<double> parse_seconds(std::string_view text) {
    const std::optional<double> value = parse_decimal(text);
    if (!value || !(*value > 0) || *value > longest_video) return std::nullopt;
    return value;
}

// "1600x1000": two whole numbers within the plot's sides.
std::optional<std::pair<int, int>> parse_size(std::string_view text) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = parse_whole(text.substr(0, x), largest_plot_side);
    const auto height = parse_whole(text.substr(x + 1), largest_plot_side);
    if (!width || !height || *width < smallest_plot_side || *height < smallest_plot_side) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

// "3/8": the K-th of N slices.
std::optional<std::pair<std::size_t, std::size_t>> parse_shard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto largest = static_cast<int>(largest_shard_count);
    const auto k = parse_whole(text.substr(0, slash), largest);
    const auto n = parse_whole(text.substr(slash + 1), largest);
    if (!k || !n || *k < 1 || *k > *n) return std::nullopt;
    return std::pair{static_cast<std::size_t>(*k), static_cast<std::size_t>(*n)};
}

std::optional<std::string> take(CliArgs& args, const GivenOption& given) {
    const std::string_view value = given.value;
    switch (static_cast<Option>(given.rule->id)) {
        case output:
            if (value.empty()) return "option '-o' needs a file name";
            args.output = std::string(value);
            return std::nullopt;
        case step:
            if (const auto n = parse_whole(value, last_step)) {
                args.step = *n;
                return std::nullopt;
            }
            return "step " + quoted(value) + " is not a whole number from 0 to 18000";
        case force:
            args.force = true;
            return std::nullopt;
        case no_labels:
            args.labels = false;
            return std::nullopt;
        case scale:
            if (const auto n = parse_whole(value, largest_export_scale); n && *n >= 1) {
                args.scale = *n;
                return std::nullopt;
            }
            return "scale " + quoted(value) + " is not a whole number from 1 to 4";
        case fps:
            if (const auto n = parse_whole(value, largest_fps); n && *n >= 1) {
                args.fps = *n;
                return std::nullopt;
            }
            return "fps " + quoted(value) + " is not a whole number from 1 to 60";
        case duration:
            if (const auto seconds = parse_seconds(value)) {
                args.duration = *seconds;
                return std::nullopt;
            }
            return "duration " + quoted(value) +
                   " is not a number of seconds above 0 and up to 600";
        case layout:
            if (value == "picture" || value == "side") {
                args.side_layout = value == "side";
                return std::nullopt;
            }
            return "layout " + quoted(value) + " is neither picture nor side";
        case hold:
            if (const std::optional<double> seconds = parse_decimal(value);
                seconds && *seconds >= 0 && *seconds <= longest_hold) {
                args.hold = *seconds;
                return std::nullopt;
            }
            return "hold " + quoted(value) + " is not a number of seconds from 0 to 60";
        case json:
            args.json = true;
            return std::nullopt;
        case vary:
            args.vary = std::string(value);
            return std::nullopt;
        case plot:
            if (!names_a(value, OutputKind::plot)) {
                return "the plot " + quoted(value) + " must end in " +
                       extensions_text(OutputKind::plot);
            }
            args.plot = std::string(value);
            return std::nullopt;
        case view:
            args.view = std::string(value);
            return std::nullopt;
        case compare:
            if (value.empty()) return "option '--compare' needs a file name";
            args.compare = std::string(value);
            return std::nullopt;
        case size:
            if (const auto wh = parse_size(value)) {
                args.width = wh->first;
                args.height = wh->second;
                return std::nullopt;
            }
            return "size " + quoted(value) + " is not WIDTHxHEIGHT, each a whole number from " +
                   std::to_string(smallest_plot_side) + " to " + std::to_string(largest_plot_side);
        case map_x:
            args.map_x = std::string(value);
            return std::nullopt;
        case map_y:
            args.map_y = std::string(value);
            return std::nullopt;
        case map_plot:
            if (!names_a(value, OutputKind::plot)) {
                return "the plot " + quoted(value) + " must end in " +
                       extensions_text(OutputKind::plot);
            }
            args.plot = std::string(value);
            return std::nullopt;
        case shard:
            if (const auto k_n = parse_shard(value)) {
                args.shard_index = k_n->first;
                args.shard_count = k_n->second;
                return std::nullopt;
            }
            return "shard " + quoted(value) + " is not K/N, whole numbers with 1 <= K <= N <= " +
                   std::to_string(largest_shard_count);
        case merge:  // its files were taken as the line was read
            if (value.empty()) return "option '--merge' needs file names";
            return std::nullopt;
        case ringing_limit:
        case pressure_limit:
            if (const std::optional<double> limit = parse_decimal(value);
                limit && std::isfinite(*limit) && *limit > 0) {
                (given.rule->id == ringing_limit ? args.ringing_limit : args.pressure_limit) =
                    *limit;
                return std::nullopt;
            }
            return std::string(given.rule->name) + " " + quoted(value) + " is not a number above 0";
        case measured:
            if (value.empty()) return "option '--measured' needs a file name";
            args.measured = std::string(value);
            return std::nullopt;
        case params:
            if (value.empty()) return "option '--params' needs a file name";
            args.parameters.file = std::string(value);
            return std::nullopt;
        case set:
            args.parameters.settings.emplace_back(value);
            return std::nullopt;
    }
    return std::nullopt;
}

// What the options cannot say alone.
std::optional<std::string> check_plot(const CliArgs& args) {
    if (args.output == "-" || !names_a(args.output, OutputKind::plot)) {
        return "the plot " + quoted(args.output) + " must be a file ending in " +
               extensions_text(OutputKind::plot) + " (its name says which)";
    }
    if (view_named(args.view) == nullptr) {
        return "view " + quoted(args.view) + " is not one of " + view_names_text(", ");
    }
    return std::nullopt;
}

// A map is computed (--x and --y, perhaps a shard) or joined (--merge), not both.
std::optional<std::string> check_map(const CliArgs& args) {
    if (!args.merge.empty()) {
        if (!args.map_x.empty() || !args.map_y.empty() || args.shard_count != 1 ||
            args.parameters.file || !args.parameters.settings.empty()) {
            return "--merge joins the shards as they are: --x, --y, --shard, --params and --set "
                   "are theirs";
        }
        return std::nullopt;
    }
    if (args.map_x.empty() || args.map_y.empty()) {
        return "map needs both axes: --x NAME=FROM:TO:STEP --y NAME=FROM:TO:STEP (or --merge "
               "FILE...)";
    }
    if (args.shard_count != 1 && !args.plot.empty()) {
        return "a shard is a slice of the map: plot the joined map (map --merge ... --plot FILE)";
    }
    return std::nullopt;
}

// --compare measured sets the model against the measurement: the summary's, with --measured.
std::optional<std::string> check_measured(const CliArgs& args) {
    if (args.compare != compare_measured) return std::nullopt;
    if (args.command == CliCommand::plot) {
        return "plot draws a measured trace with --measured alone; --compare names a baseline "
               "engine";
    }
    if (!args.measured) return "--compare measured needs the trace: --measured FILE";
    if (args.json) {
        return "--compare measured is a table of columns: --json gives the measurement's figures "
               "with --measured alone";
    }
    return std::nullopt;
}

std::optional<std::string> check_together(const CliArgs& args) {
    if (auto problem = check_measured(args)) return problem;
    if (args.command == CliCommand::plot) return check_plot(args);
    if (args.command == CliCommand::map) return check_map(args);
    if (args.command != CliCommand::video) return std::nullopt;
    if (args.output == "-") {
        return "a video needs a file: it is written with seeks (the MP4's index goes first), "
               "which standard output and pipes cannot take";
    }
    if (!names_a(args.output, OutputKind::video)) {
        return "the video " + quoted(args.output) + " must end in " +
               extensions_text(OutputKind::video);
    }
    const bool gif = format_of(args.output) == OutputFormat::gif;
    if (args.side_layout && args.scale) {
        return "--scale is for the picture layout: the side layout is 1920x1080 whatever the scale";
    }
    if (args.hold && !gif) {
        return "--hold is for a GIF: an MP4 or a WebM plays once and stops on its last frame";
    }
    // A GIF's delays are whole hundredths of a second, and players stretch a delay of one
    // hundredth to ten: above 50 frames a second a GIF would play far slower than asked.
    constexpr int largest_gif_fps = 50;
    if (gif && args.fps > largest_gif_fps) {
        return "a GIF shows at most 50 frames a second (its delays are hundredths of a second), "
               "not " +
               std::to_string(args.fps);
    }
    return std::nullopt;
}

}  // namespace

std::variant<CliArgs, CliError> parse_cli_args(std::span<const std::string_view> args) {
    if (args.empty()) return CliError{"no command given", {}};
    CliArgs result;
    const std::string_view name = args.front();
    const auto is_help = [](std::string_view arg) { return arg == "--help" || arg == "-h"; };
    if (is_help(name) || name == "--version") {
        if (args.size() > 1) return CliError{"unexpected argument " + quoted(args[1]), {}};
        result.command = name == "--version" ? CliCommand::version : CliCommand::help;
        return result;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [name](const CommandInfo& c) { return c.name == name; });
    if (command == commands.end()) return CliError{"unknown command " + quoted(name), {}};
    // A command's --help, wherever it stands, asks for that command's usage alone.
    if (std::any_of(args.begin() + 1, args.end(), is_help)) {
        result.command = CliCommand::help;
        result.help_for = command->command;
        return result;
    }
    result.command = command->command;
    const std::string of(name);
    // "--merge A B C" names its files one after another: the option takes the first, and the
    // rest are kept here.
    std::vector<std::string_view> spelled;
    for (std::size_t i = 1; i < args.size(); ++i) {
        spelled.push_back(args[i]);
        if (args[i] != "--merge" || result.command != CliCommand::map) continue;
        if (i + 1 == args.size() || args[i + 1].starts_with('-')) spelled.push_back("");
        for (bool first = true; i + 1 < args.size() && !args[i + 1].starts_with('-');
             first = false) {
            if (first) spelled.push_back(args[i + 1]);
            result.merge.emplace_back(args[++i]);
        }
    }
    const auto given = parse_options(spelled, options, static_cast<int>(result.command), name);
    if (const auto* problem = std::get_if<std::string>(&given)) return CliError{*problem, of};
    for (const GivenOption& option : std::get<std::vector<GivenOption>>(given)) {
        if (auto problem = take(result, option)) return CliError{*problem, of};
    }
    if (auto problem = check_together(result)) return CliError{*problem, of};
    return result;
}

std::string usage_text() {
    constexpr std::string_view program = "hcci-cycle-export ";
    std::string text;
    for (const CommandInfo& c : commands) {
        const std::string line = std::string(text.empty() ? "usage: " : "       ") +
                                 std::string(program) + std::string(c.name) + " " +
                                 options_synopsis(options, static_cast<int>(c.command));
        text += wrapped(line, 100, 29);
    }
    text += "       " + std::string(program) + "COMMAND --help\n";
    text += "       " + std::string(program) + "--help | -h | --version\n\n";
    for (const CommandInfo& c : commands) {
        std::string line = "  " + std::string(c.name);
        line.resize(20, ' ');
        text += line + std::string(c.what) + "\n";
    }
    return text + options_help(options, 18, 100);
}

std::string command_usage_text(CliCommand command) {
    const auto info =
        std::find_if(commands.begin(), commands.end(),
                     [command](const CommandInfo& c) { return c.command == command; });
    if (info == commands.end()) return usage_text();
    const int id = static_cast<int>(command);
    const std::string synopsis =
        "usage: hcci-cycle-export " + std::string(info->name) + " " + options_synopsis(options, id);
    return wrapped(synopsis, 100, 29) + "\n" + std::string(info->what) + "\n\n" +
           options_help(options, 18, 100, id) + "\nexample: hcci-cycle-export " +
           std::string(info->example) + "\n";
}

std::string try_help_text(const CliError& error) {
    if (error.command.empty()) return "try 'hcci-cycle-export --help'\n";
    return "try 'hcci-cycle-export " + error.command + " --help'\n";
}

std::string version_text() {
    return "hcci-cycle-export " + std::string(version) + "\n";
}

}  // namespace hcci
