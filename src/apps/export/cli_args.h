// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/sweep.h"
#include "core/report/parameter_text.h"

// The command line of hcci-cycle-export, parsed into a plain record. No toolkit here.

namespace hcci {

inline constexpr int exit_failure = 1;  // the work could not be done, e.g. a file not written
inline constexpr int exit_usage = 2;    // the command line is wrong

inline constexpr int largest_export_scale = 4;

enum class CliCommand { help, version, csv, png, svg, video, params, summary, study, plot, map };

struct CliArgs {
    CliCommand command = CliCommand::help;
    std::string output;                  // empty (csv only) or "-": standard output
    std::optional<CliCommand> help_for;  // help: the command whose usage is asked
    int step = last_step;
    bool labels = true;
    std::optional<int> scale;     // png (default 1), video: times the client area
    ParameterSources parameters;  // every command of the engine
    bool json = false;            // summary
    bool force = false;           // replace a write-protected file
    std::string vary;             // study: NAME=FROM:TO:STEP
    std::string plot;             // study: a .png or .svg file, or empty
    int fps = 30;                 // video: frames a second
    double duration = 18;         // video: seconds
    std::optional<double> hold;   // video, GIF only: seconds the last frame is held
    bool side_layout = false;     // video: the pressure-angle view beside the picture
    std::string view;             // plot: "pressure-angle", "log-pv", ...
    // plot, summary: the baseline's parameter file, or compare_default for the default engine
    std::optional<std::string> compare;
    int width = 1600, height = 1000;               // plot: pixels (an SVG's size, too)
    std::string map_x, map_y;                      // map: NAME=FROM:TO:STEP of each axis
    std::size_t shard_index = 1, shard_count = 1;  // map: the K-th of N slices
    std::vector<std::string> merge;                // map: the shards to join instead of computing
    double ringing_limit = 5;                      // map: MW/m2
    double pressure_limit = 200;                   // map: bar
    std::optional<std::string> measured;           // summary, plot: a measured trace's file
};

// `--compare default`: the default engine as the baseline (a file of that name is ./default).
inline constexpr std::string_view compare_default = "default";
// `summary --measured FILE --compare measured`: the model against the measurement in columns.
inline constexpr std::string_view compare_measured = "measured";

inline constexpr int smallest_plot_side = 200;
inline constexpr int largest_plot_side = 8000;

inline constexpr std::size_t largest_shard_count = 100000;

inline constexpr int largest_fps = 60;
inline constexpr double longest_video = 600;  // seconds
inline constexpr double longest_hold = 60;    // seconds

struct CliError {
    std::string message;
    std::string command;  // the command it is of, where one was named: its --help helps
};

// Parses the arguments after the program name.
std::variant<CliArgs, CliError> parse_cli_args(std::span<const std::string_view> args);

std::string usage_text();
// One command's usage: its synopsis, what it does, its options, an example.
std::string command_usage_text(CliCommand command);
std::string version_text();
// The line after an error's: where to read more.
std::string try_help_text(const CliError& error);

}  // namespace hcci
