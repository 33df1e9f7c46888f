// SPDX-License-Identifier: MIT
#include "apps/export/cli_args.h"

#include <charconv>
#include <optional>

#include "core/report/parameter_options.h"
#include "core/report/version.h"

namespace hcci {
namespace {

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A whole number of decimal digits only, from 0 to largest: no sign, no space, no exponent.
std::optional<int> parse_whole(std::string_view text, int largest) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value > static_cast<unsigned>(largest)) return std::nullopt;
    return static_cast<int>(value);
}

struct SeenOptions {
    bool output = false;
    bool step = false;
    bool scale = false;
    bool vary = false;
    bool plot = false;
    bool fps = false;
    bool duration = false;
};

// A positive decimal number of seconds, no more than the longest video.
std::optional<double> parse_seconds(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (!(value > 0) || value > longest_video) return std::nullopt;
    return value;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::optional<CliError> parse_option(CliArgs& args, std::span<const std::string_view> rest,
                                     std::size_t& i, SeenOptions& seen) {
    const std::string_view option = rest[i];
    const CliCommand command = args.command;
    const bool picture = command == CliCommand::png || command == CliCommand::svg;
    const bool video = command == CliCommand::video;
    const bool study = command == CliCommand::study;
    if (args.command != CliCommand::params) {
        const OptionTaken taken = take_parameter_option(rest, i, args.parameters);
        if (taken.problem) return CliError{*taken.problem};
        if (taken.taken) return std::nullopt;
    }
    if (args.command == CliCommand::summary && option == "--json") {
        args.json = true;
        return std::nullopt;
    }
    if ((picture || video) && option == "--no-labels") {
        args.labels = false;
        return std::nullopt;
    }
    const bool takes_value = option == "-o" || (picture && option == "--step") ||
                             ((command == CliCommand::png || video) && option == "--scale") ||
                             (video && (option == "--fps" || option == "--duration")) ||
                             (study && (option == "--vary" || option == "--plot"));
    if (!takes_value) return CliError{"unknown option " + quoted(option)};
    if (i + 1 >= rest.size()) return CliError{"option " + quoted(option) + " needs a value"};
    const std::string_view value = rest[++i];
    if (option == "-o") {
        if (seen.output) return CliError{"option '-o' given twice"};
        if (value.empty()) return CliError{"option '-o' needs a file name"};
        seen.output = true;
        args.output = std::string(value);
        return std::nullopt;
    }
    if (option == "--vary") {
        if (seen.vary) return CliError{"option '--vary' given twice: a study varies one parameter"};
        seen.vary = true;
        args.vary = std::string(value);
        return std::nullopt;
    }
    if (option == "--plot") {
        if (seen.plot) return CliError{"option '--plot' given twice"};
        if (!ends_with(value, ".png") && !ends_with(value, ".svg")) {
            return CliError{"the plot " + quoted(value) + " must end in .png or .svg"};
        }
        seen.plot = true;
        args.plot = std::string(value);
        return std::nullopt;
    }
    if (option == "--fps") {
        if (seen.fps) return CliError{"option '--fps' given twice"};
        const std::optional<int> fps = parse_whole(value, largest_fps);
        if (!fps || *fps < 1) {
            return CliError{"fps " + quoted(value) + " is not a whole number from 1 to 60"};
        }
        seen.fps = true;
        args.fps = *fps;
        return std::nullopt;
    }
    if (option == "--duration") {
        if (seen.duration) return CliError{"option '--duration' given twice"};
        const std::optional<double> seconds = parse_seconds(value);
        if (!seconds) {
            return CliError{"duration " + quoted(value) +
                            " is not a number of seconds above 0 and up to 600"};
        }
        seen.duration = true;
        args.duration = *seconds;
        return std::nullopt;
    }
    if (option == "--scale") {
        if (seen.scale) return CliError{"option '--scale' given twice"};
        const std::optional<int> scale = parse_whole(value, largest_export_scale);
        if (!scale || *scale < 1) {
            return CliError{"scale " + quoted(value) + " is not a whole number from 1 to 4"};
        }
        seen.scale = true;
        args.scale = *scale;
        return std::nullopt;
    }
    if (seen.step) return CliError{"option '--step' given twice"};
    const std::optional<int> step = parse_whole(value, last_export_step);
    if (!step) return CliError{"step " + quoted(value) + " is not a whole number from 0 to 18000"};
    seen.step = true;
    args.step = *step;
    return std::nullopt;
}

}  // namespace

std::variant<CliArgs, CliError> parse_cli_args(std::span<const std::string_view> args) {
    if (args.empty()) return CliError{"no command given"};
    CliArgs result;
    const std::string_view command = args.front();
    if (command == "--help" || command == "--version") {
        if (args.size() > 1) return CliError{"unexpected argument " + quoted(args[1])};
        result.command = command == "--help" ? CliCommand::help : CliCommand::version;
        return result;
    }
    if (command == "csv") {
        result.command = CliCommand::csv;
    } else if (command == "png") {
        result.command = CliCommand::png;
    } else if (command == "svg") {
        result.command = CliCommand::svg;
    } else if (command == "video") {
        result.command = CliCommand::video;
    } else if (command == "params") {
        result.command = CliCommand::params;
    } else if (command == "summary") {
        result.command = CliCommand::summary;
    } else if (command == "study") {
        result.command = CliCommand::study;
    } else {
        return CliError{"unknown command " + quoted(command)};
    }
    const std::span<const std::string_view> rest = args.subspan(1);
    SeenOptions seen;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (auto error = parse_option(result, rest, i, seen)) return *error;
    }
    const bool needs_file = result.command == CliCommand::png ||
                            result.command == CliCommand::svg ||
                            result.command == CliCommand::video;
    if (needs_file && !seen.output) {
        return CliError{std::string(command) + " needs an output file: -o FILE"};
    }
    if (result.command == CliCommand::video && !ends_with(result.output, ".mp4") &&
        !ends_with(result.output, ".webm") && !ends_with(result.output, ".gif")) {
        return CliError{"the video " + quoted(result.output) + " must end in .mp4, .webm or .gif"};
    }
    // A GIF's delays are whole hundredths of a second, and players stretch a delay of one
    // hundredth to ten: above 50 frames a second a GIF would play far slower than asked.
    constexpr int largest_gif_fps = 50;
    if (result.command == CliCommand::video && ends_with(result.output, ".gif") &&
        result.fps > largest_gif_fps) {
        return CliError{
            "a GIF shows at most 50 frames a second (its delays are hundredths of a "
            "second), not " +
            std::to_string(result.fps)};
    }
    if (result.command == CliCommand::study && !seen.vary) {
        return CliError{"study needs the parameter to vary: --vary NAME=FROM:TO:STEP"};
    }
    return result;
}

std::string usage_text() {
    return "usage: hcci-cycle-export csv [-o FILE] [--params FILE] [--set NAME=VALUE]...\n"
           "       hcci-cycle-export png -o FILE [--step N] [--no-labels] [--scale S]\n"
           "                             [--params FILE] [--set NAME=VALUE]...\n"
           "       hcci-cycle-export summary [--json] [-o FILE] [--params FILE] [--set "
           "NAME=VALUE]...\n"
           "       hcci-cycle-export study --vary NAME=FROM:TO:STEP [-o FILE] [--plot FILE]\n"
           "                             [--params FILE] [--set NAME=VALUE]...\n"
           "       hcci-cycle-export svg -o FILE [--step N] [--no-labels] [--params FILE] [--set "
           "...]\n"
           "       hcci-cycle-export video -o FILE.mp4|FILE.webm|FILE.gif [--fps F] [--duration "
           "S]\n"
           "                             [--scale S] [--no-labels] [--params FILE] [--set ...]\n"
           "       hcci-cycle-export params [-o FILE]\n"
           "       hcci-cycle-export --help | --version\n"
           "\n"
           "  csv               one sweep's values, a row per crank step (standard output by "
           "default)\n"
           "  png               the window's client area after step N (0 to 18000, default 18000)\n"
           "  svg               the same picture as vector graphics\n"
           "  video             one sweep as it looks in the window, as H.264, VP9 or GIF\n"
           "  summary           the cycle's analysis: work, IMEP, heat release, CA10/50/90, peaks\n"
           "  study             the analysis for each value of one parameter, a CSV row each\n"
           "  params            the parameter file of the default engine, ready to edit\n"
           "  -o FILE           the file to write; - for standard output\n"
           "  --step N          the step after which the picture is taken\n"
           "  --no-labels       the drawing alone, without the labels over it\n"
           "  --scale S         the picture S times larger (1 to 4, default 1), drawn afresh\n"
           "  --fps F           video: frames a second (1 to 60, a GIF up to 50; default 30)\n"
           "  --duration S      video: seconds (default 18, the sweep's own time)\n"
           "  --json            the analysis as JSON, every number in full\n"
           "  --vary N=A:B:S    the parameter N from A to B (both included) in steps of S\n"
           "  --plot FILE       also a plot of the main figures against it, FILE.png or FILE.svg\n"
           "  --params FILE     the engine's parameters from a TOML file\n"
           "  --set NAME=VALUE  one parameter, after the file; see the params command for them "
           "all\n";
}

std::string version_text() {
    return "hcci-cycle-export " + std::string(version) + "\n";
}

}  // namespace hcci
