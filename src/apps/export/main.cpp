// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "apps/export/cli_args.h"
#include "core/draw/off_picture.h"
#include "core/model/cycle_analysis.h"
#include "core/model/cycle_series.h"
#include "core/model/operating_map.h"
#include "core/model/study.h"
#include "core/report/analysis_report.h"
#include "core/report/csv_export.h"
#include "core/report/map_table.h"
#include "core/report/measured_file.h"
#include "core/report/measured_report.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/parameter_text.h"
#include "core/report/study_text.h"
#include "core/report/view_text.h"
#include "platform/atomic_file.h"
#include "platform/parameter_file.h"
#include "platform/standard_streams.h"
#include "qt/picture/picture.h"
#include "qt/picture/qt_startup.h"
#include "qt/plot/cycle_views.h"
#include "qt/plot/map_plot.h"
#include "qt/plot/study_plot.h"
#include "qt/video/video_export.h"

namespace {

constexpr const char* program = "hcci-cycle-export";

// Standard error is the last place to tell of a failure; if it fails too, nothing is left.
void complain(const std::string& text) {
    (void)std::fputs((std::string(program) + ": " + text).c_str(), stderr);
}

int fail(const std::string& message) {
    complain(message + "\n");
    return hcci::exit_failure;
}

int refuse(const std::string& message) {
    complain(message + "\n");
    return hcci::exit_usage;
}

// Standard output as the program found it: closed, it is not written.
bool stdout_closed = false;

int write_stdout(std::string_view text) {
    if (stdout_closed) return fail("cannot write standard output: it is closed");
    if (const int error = hcci::write_all(STDOUT_FILENO, text); error != 0) {
        return fail(std::string("cannot write standard output: ") + std::strerror(error));
    }
    return 0;
}

int write_output(const std::string& path, std::string_view bytes, const hcci::CliArgs& args) {
    if (path.empty() || path == "-") return write_stdout(bytes);
    if (auto error = hcci::write_file_atomically(path, bytes, {.force = args.force})) {
        return fail(*error);
    }
    return 0;
}

std::string cannot_write(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::strerror(error);
}

// Outputs that belong together (a study's plot and table), each staged and written, then put
// in place together: a failure or an ending signal leaves them all old or all new. Standard
// output, which cannot wait, is written just before.
int write_together(const std::vector<std::pair<std::string, std::string_view>>& outputs,
                   const hcci::CliArgs& args) {
    std::vector<hcci::ReplacementFile> staged;
    staged.reserve(outputs.size());
    std::optional<std::string_view> to_stdout;
    for (const auto& [path, bytes] : outputs) {
        if (path.empty() || path == "-") {
            to_stdout = bytes;
            continue;
        }
        auto file = hcci::ReplacementFile::stage(path, {.force = args.force});
        if (const auto* problem = std::get_if<std::string>(&file)) return fail(*problem);
        staged.push_back(std::get<hcci::ReplacementFile>(std::move(file)));
        if (const int error = hcci::write_all(staged.back().fd(), bytes); error != 0) {
            return fail(cannot_write(path, error));
        }
    }
    if (to_stdout) {
        if (const int status = write_stdout(*to_stdout); status != 0) return status;
    }
    std::vector<hcci::ReplacementFile*> files;
    files.reserve(staged.size());
    for (hcci::ReplacementFile& file : staged) files.push_back(&file);
    if (auto error = hcci::commit_together(files)) return fail(*error);
    return 0;
}

// What the command writes its bytes as: a video by its format, everything else in one stream.
hcci::FormatWriting writing_of(const hcci::CliArgs& args) {
    if (args.command != hcci::CliCommand::video) return hcci::FormatWriting::streamed;
    return hcci::video_writing(hcci::video_format_of(args.output));
}

// An output that surely cannot be written, told before the work: closed standard output, a
// missing directory, a file that may not be replaced, ... (hcci::unwritable_target).
std::optional<std::string> unwritable_outputs(const hcci::CliArgs& args) {
    using C = hcci::CliCommand;
    if (args.command == C::help || args.command == C::version) return std::nullopt;
    if ((args.output.empty() || args.output == "-") && stdout_closed) {
        return "cannot write standard output: it is closed";
    }
    for (const std::string* target : {&args.output, &args.plot}) {
        if (target->empty() || *target == "-") continue;
        if (auto problem = hcci::unwritable_target(
                *target, {.force = args.force, .writing = writing_of(args)})) {
            return problem;
        }
    }
    return std::nullopt;
}

// Qt for the pictures and plots: no display, and none of the screen's scaling, which (turning
// font hinting off, too) would change the pictures.
std::unique_ptr<QApplication> start_qt(char* argv0) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* name :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
          "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI",
          "QT_USE_PHYSICAL_DPI"}) {
        qunsetenv(name);
    }
    // Qt's own command-line options are not ours to pass on.
    static int qt_argc = 1;
    static char* qt_argv[] = {argv0, nullptr};
    hcci::hold_qt_startup_messages(program, "cannot start Qt");
    auto app = std::make_unique<QApplication>(qt_argc, qt_argv);
    hcci::qt_started();
    return app;
}

// A trace that the picture cannot hold is said in a line; the picture stays as it is drawn.
void tell_off_picture(const hcci::CycleRecord& cycle) {
    const std::string text =
        hcci::off_picture_text(hcci::traces_off_picture(hcci::analyse_cycle(cycle)));
    if (!text.empty()) complain("note: " + text + " (hcci-cycle-export plot)\n");
}

int export_png(char* argv0, const hcci::CliArgs& args, const hcci::SharedRecord& cycle) {
    tell_off_picture(*cycle);
    const auto app = start_qt(argv0);
    const std::string png = hcci::encode_png(
        hcci::render_picture(args.step, args.labels, args.scale.value_or(1), cycle));
    return write_output(args.output, png, args);
}

// A percentage on standard error that rewrites itself, once the work has taken a second; nothing
// where standard error is not a terminal.
class Progress {
public:
    explicit Progress(std::string what)
        : what_(std::move(what)), shown_on_(isatty(STDERR_FILENO) == 1) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() {
        if (percent_ >= 0) (void)std::fputs("\r\033[K", stderr);  // leave the line clean
    }

    void operator()(int done, int all) {
        if (!shown_on_ || std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1))
            return;
        const int percent = static_cast<int>(100LL * done / std::max(all, 1));
        if (percent == percent_) return;
        percent_ = percent;
        (void)std::fprintf(stderr, "\r%s: %s %3d%%", program, what_.c_str(), percent);
        (void)std::fflush(stderr);
    }

private:
    std::string what_;
    bool shown_on_;
    int percent_ = -1;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

int export_svg(char* argv0, const hcci::CliArgs& args, const hcci::SharedRecord& cycle) {
    tell_off_picture(*cycle);
    const auto app = start_qt(argv0);
    return write_output(args.output, hcci::render_svg(args.step, args.labels, cycle), args);
}

int export_video(char* argv0, const hcci::CliArgs& args, const hcci::SharedRecord& cycle) {
    hcci::VideoOptions options;
    options.format = hcci::video_format_of(args.output);
    options.fps = args.fps;
    options.duration = args.duration;
    // Without --scale, the format's own (hcci::video_scale).
    options.scale = args.scale.value_or(0);
    options.labels = args.labels;
    if (args.hold) options.hold = *args.hold;
    options.layout = args.side_layout ? hcci::VideoLayout::side : hcci::VideoLayout::picture;
    // The file is staged before the encoding, which may take minutes: a target that cannot be
    // written is told at once, and the frames go to the disk as they come.
    auto staged = hcci::ReplacementFile::stage(args.output,
                                               {.force = args.force, .writing = writing_of(args)});
    if (const auto* problem = std::get_if<std::string>(&staged)) return fail(*problem);
    hcci::ReplacementFile& file = std::get<hcci::ReplacementFile>(staged);
    tell_off_picture(*cycle);
    const auto app = start_qt(argv0);
    {
        Progress progress("video");
        hcci::encode_video(options, cycle, file.fd(), std::ref(progress));
    }
    if (auto error = file.commit()) return fail(*error);
    return 0;
}

void tell(const std::vector<std::string>& notices);

// A file's bytes (a shard's, a measured trace's), or nothing when it is not a regular file that
// can be read.
std::optional<std::string> file_bytes(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    // All of it in one read: a shard of a large map is tens of megabytes.
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (!in || in.gcount() != static_cast<std::streamsize>(size)) return std::nullopt;
    return bytes;
}

// A measured trace (--measured), read and analysed with the engine's geometry and charge.
struct Measurement {
    hcci::MeasuredSeries series;  // its name, rows and what the views draw of them
    hcci::MeasuredAnalysis analysis;
};

// The trace of --measured, or why it cannot be had, in one line (a wrong file is a wrong
// command line).
std::variant<Measurement, std::string> read_measurement(const std::string& path,
                                                        const hcci::EngineParameters& engine) {
    const std::string said = "the measured trace " + path;
    // A trace of the most rows the reader takes, each a long line, is far smaller.
    constexpr std::uintmax_t largest_bytes = 256u << 20u;
    std::error_code error;
    if (std::filesystem::file_size(path, error) > largest_bytes && !error) {
        return said + " is larger than 256 MB: no trace of a cycle is";
    }
    const auto bytes = file_bytes(path);
    if (!bytes) return said + " is not a regular file that can be read";
    auto trace = hcci::read_measured_trace(*bytes);
    if (const auto* problem = std::get_if<hcci::MeasuredProblem>(&trace)) {
        return said + (problem->line > 0 ? ", " : ": ") + hcci::measured_problem_text(*problem);
    }
    Measurement m;
    m.series.name = std::filesystem::path(path).filename().string();
    m.series.trace = std::get<hcci::MeasuredTrace>(std::move(trace));
    m.analysis = hcci::analyse_measured(m.series.trace, engine, &m.series.points);
    return m;
}

// The baseline cycle of --compare, or why there is none (a wrong file is a wrong command line).
std::variant<hcci::SharedRecord, std::string> baseline_cycle(const hcci::CliArgs& args) {
    std::vector<std::string> notices;
    const bool defaults = args.compare == hcci::compare_default;
    auto engine = hcci::read_parameter_values(
        {.file = defaults ? std::nullopt : args.compare, .settings = {}}, &notices);
    tell(notices);
    auto cycle = std::holds_alternative<hcci::EngineParameters>(engine)
                     ? hcci::checked_cycle(std::get<hcci::EngineParameters>(engine))
                     : std::variant<hcci::SharedRecord, std::string>(std::get<std::string>(engine));
    if (auto* problem = std::get_if<std::string>(&cycle)) {
        return "the baseline (--compare " + *args.compare + "): " + *problem;
    }
    return cycle;
}

// The summary of a cycle with a measured trace: its figures after the model's (text or JSON),
// or the two in columns (--compare measured).
std::string summary_with(const hcci::CliArgs& args, const hcci::CycleRecord& cycle,
                         const hcci::CycleAnalysis& analysis, const Measurement& measured) {
    const hcci::EngineParameters& engine = cycle.parameters;
    const std::string& name = measured.series.name;
    if (args.compare == hcci::compare_measured) {
        const hcci::MeasuredAnalysis model_read =
            hcci::analyse_measured(hcci::piston_trace(cycle), engine);
        return hcci::measured_comparison_text(analysis, engine, model_read, measured.analysis,
                                              name);
    }
    if (args.json) {
        return hcci::with_measured_json(hcci::summary_json(analysis, engine), measured.analysis,
                                        name);
    }
    return hcci::summary_text(analysis, engine) +
           hcci::measured_summary_text(measured.analysis, name);
}

int export_summary(const hcci::CliArgs& args, const hcci::SharedRecord& cycle,
                   const Measurement* measured) {
    const hcci::EngineParameters& engine = cycle->parameters;
    const hcci::CycleAnalysis analysis = hcci::analyse_cycle(*cycle);
    if (args.compare && args.compare != hcci::compare_measured) {
        const auto baseline = baseline_cycle(args);
        if (const auto* problem = std::get_if<std::string>(&baseline)) return refuse(*problem);
        const hcci::CycleRecord& other = *std::get<hcci::SharedRecord>(baseline);
        std::string text =
            hcci::comparison_text(analysis, engine, hcci::analyse_cycle(other), other.parameters);
        // Two engines in columns, and the measurement's figures after them.
        if (measured != nullptr) {
            text += hcci::measured_summary_text(measured->analysis, measured->series.name);
        }
        return write_output(args.output, text, args);
    }
    if (measured != nullptr) {
        return write_output(args.output, summary_with(args, *cycle, analysis, *measured), args);
    }
    return write_output(
        args.output,
        args.json ? hcci::summary_json(analysis, engine) : hcci::summary_text(analysis, engine),
        args);
}

void tell(const std::vector<std::string>& notices) {
    for (const std::string& notice : notices) complain(notice + "\n");
}

int export_study(char* argv0, const hcci::CliArgs& args, const hcci::EngineParameters& engine) {
    std::vector<std::string> notices;
    const auto range = hcci::parse_study_range(args.vary, &notices);
    tell(notices);
    if (const auto* problem = std::get_if<std::string>(&range)) return refuse(*problem);
    const auto& studied = std::get<hcci::StudyRange>(range);
    // A study may run for a while: a table or plot that cannot be written is told first.
    if (auto problem = unwritable_outputs(args)) return fail(*problem);
    std::variant<hcci::Study, hcci::StudyProblem> study;
    {
        Progress progress("study");
        study = hcci::run_study(engine, studied, std::ref(progress));
    }
    if (const auto* problem = std::get_if<hcci::StudyProblem>(&study)) {
        const std::string text = hcci::study_problem_text(studied, *problem);
        return problem->kind == hcci::StudyProblem::Kind::failed ? fail(text) : refuse(text);
    }
    const hcci::Study& result = std::get<hcci::Study>(study);
    std::string csv = hcci::study_csv_header(result.parameter->name, engine);
    for (std::size_t i = 0; i < result.values.size(); ++i) {
        csv += hcci::study_csv_row(result.values[i], result.analyses[i]);
    }
    // Everything is made before anything is written.
    std::string plot;
    if (!args.plot.empty()) {
        const auto app = start_qt(argv0);
        plot = hcci::plot_study(result, engine, hcci::plot_format_of(args.plot));
    }
    if (args.plot.empty()) return write_output(args.output, csv, args);
    return write_together({{args.plot, plot}, {args.output, csv}}, args);
}

// The map's plot of that table.
std::string map_plot(char* argv0, const hcci::CliArgs& args, const hcci::MapTable& table) {
    const auto app = start_qt(argv0);
    return hcci::plot_map(table,
                          {.ringing = args.ringing_limit, .peak_pressure = args.pressure_limit},
                          hcci::plot_format_of(args.plot));
}

// map --merge: the shards joined into the whole map's table, and its plot.
int merge_map(char* argv0, const hcci::CliArgs& args) {
    std::vector<std::string> contents;
    contents.reserve(args.merge.size());
    for (const std::string& file : args.merge) {
        auto bytes = file_bytes(file);
        if (!bytes) return refuse("cannot read the shard " + file);
        contents.push_back(std::move(*bytes));
    }
    std::vector<hcci::NamedText> shards;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        shards.push_back({args.merge[i], contents[i]});
    }
    const auto merged = hcci::merge_map_shards(shards);
    if (const auto* problem = std::get_if<std::string>(&merged)) return refuse(*problem);
    const std::string& csv = std::get<hcci::JoinedMap>(merged).csv;
    if (args.plot.empty()) return write_output(args.output, csv, args);
    const auto table = hcci::read_map_table(csv);
    if (const auto* problem = std::get_if<std::string>(&table)) return fail(*problem);
    const std::string plot = map_plot(argv0, args, std::get<hcci::MapTable>(table));
    return write_together({{args.plot, plot}, {args.output, csv}}, args);
}

std::variant<hcci::StudyRange, std::string> map_axis(const std::string& text,
                                                     std::string_view option) {
    std::vector<std::string> notices;
    auto range = hcci::parse_study_range(text, &notices, option);
    tell(notices);
    return range;
}

std::string map_problem_text(const hcci::MapGrid& grid, const hcci::MapProblem& problem) {
    using Kind = hcci::MapProblem::Kind;
    const std::string at = "the map stops at " + std::string(grid.x.parameter->name) + " = " +
                           hcci::shortest_text(problem.x) + ", " +
                           std::string(grid.y.parameter->name) + " = " +
                           hcci::shortest_text(problem.y) + ": ";
    switch (problem.kind) {
        case Kind::too_many_points:
            return "the map has more than " + std::to_string(hcci::largest_map) + " points";
        case Kind::same_parameter:
            return "--x and --y vary the same parameter, " + std::string(grid.x.parameter->name);
        case Kind::refused_value:
            return at + hcci::problem_text(*problem.problem);
        case Kind::beyond_numbers:
            return at + "these parameters carry the model beyond the range of numbers at step " +
                   std::to_string(problem.step);
        case Kind::failed:
            return "the map failed: " + problem.failure;
    }
    return "the map failed";
}

// map: every point of the grid (or of a shard of it) on every core, each row written as soon
// as it and those before it are done, to a file that replaces the old one only when all is.
int export_map(char* argv0, const hcci::CliArgs& args, const hcci::EngineParameters& engine) {
    if (!args.merge.empty()) return merge_map(argv0, args);
    const auto x = map_axis(args.map_x, "--x");
    if (const auto* problem = std::get_if<std::string>(&x)) return refuse(*problem);
    const auto y = map_axis(args.map_y, "--y");
    if (const auto* problem = std::get_if<std::string>(&y)) return refuse(*problem);
    const auto grid = hcci::map_grid(std::get<hcci::StudyRange>(x), std::get<hcci::StudyRange>(y));
    if (!grid) {
        return refuse("the map has more than " + std::to_string(hcci::largest_map) +
                      " points, or an axis more than " + std::to_string(hcci::largest_study) +
                      " values");
    }
    if (grid->x.parameter == grid->y.parameter) {
        return refuse(map_problem_text(*grid, {.kind = hcci::MapProblem::Kind::same_parameter}));
    }
    const hcci::MapShard shard{.index = args.shard_index, .count = args.shard_count};
    // A map may run for hours: a table or plot that cannot be written is told first, and the
    // table is staged, its rows going to the disk as they come.
    if (auto problem = unwritable_outputs(args)) return fail(*problem);
    const bool to_stdout = args.output.empty() || args.output == "-";
    std::optional<hcci::ReplacementFile> file;
    if (!to_stdout) {
        auto staged = hcci::ReplacementFile::stage(args.output, {.force = args.force});
        if (const auto* problem = std::get_if<std::string>(&staged)) return fail(*problem);
        file.emplace(std::get<hcci::ReplacementFile>(std::move(staged)));
    }
    const int fd = file ? file->fd() : STDOUT_FILENO;
    const auto put = [fd](std::string_view text) {
        if (const int error = hcci::write_all(fd, text); error != 0) {
            throw std::runtime_error(std::string("cannot write the map: ") + std::strerror(error));
        }
    };
    const std::string header = hcci::map_csv_header(*grid, engine, shard);
    put(header);
    hcci::MapTable table{.grid = *grid,
                         .model = std::string(engine.model),
                         .engine = hcci::changed_parameters(engine),
                         .cells = {}};
    const hcci::MapColumns columns =
        hcci::map_columns(std::string_view(header).substr(header.find('\n') + 1));
    std::string row;
    const auto sink = [&](std::size_t point, const hcci::CycleAnalysis& analysis) {
        row = hcci::map_csv_row(*grid, point, analysis);
        put(row);
        if (!args.plot.empty()) table.cells.push_back(*hcci::map_cell(columns, row));
    };
    std::optional<hcci::MapProblem> problem;
    {
        Progress progress("map");
        problem = hcci::run_map(engine, *grid, shard, sink, std::ref(progress));
    }
    if (problem) {
        const std::string text = map_problem_text(*grid, *problem);
        return problem->kind == hcci::MapProblem::Kind::failed ? fail(text) : refuse(text);
    }
    if (args.plot.empty()) {
        if (!file) return 0;
        if (auto error = file->commit()) return fail(*error);
        return 0;
    }
    // The plot and the table are put in place together: both new, or both as they were.
    const std::string plot = map_plot(argv0, args, table);
    auto staged = hcci::ReplacementFile::stage(args.plot, {.force = args.force});
    if (const auto* problem = std::get_if<std::string>(&staged)) return fail(*problem);
    auto& plot_file = std::get<hcci::ReplacementFile>(staged);
    if (const int error = hcci::write_all(plot_file.fd(), plot); error != 0) {
        return fail(cannot_write(args.plot, error));
    }
    std::vector<hcci::ReplacementFile*> files{&plot_file};
    if (file) files.push_back(&*file);
    if (auto error = hcci::commit_together(files)) return fail(*error);
    return 0;
}

int export_plot(char* argv0, const hcci::CliArgs& args, const hcci::SharedRecord& cycle,
                const Measurement* measured) {
    std::optional<hcci::CycleSeries> baseline;
    if (args.compare) {
        const auto other = baseline_cycle(args);
        if (const auto* problem = std::get_if<std::string>(&other)) return refuse(*problem);
        baseline = hcci::cycle_series(*std::get<hcci::SharedRecord>(other));
    }
    const hcci::CycleSeries current = hcci::cycle_series(*cycle);
    const auto app = start_qt(argv0);
    const hcci::EngineNames names{
        .current = hcci::engine_source_name(args.parameters.file, args.parameters.settings),
        .baseline = args.compare == hcci::compare_default
                        ? hcci::engine_source_name(std::nullopt, {})
                        : hcci::engine_source_name(args.compare, {})};
    const std::string bytes =
        hcci::render_view(*hcci::view_named(args.view), current, baseline ? &*baseline : nullptr,
                          QSize(args.width, args.height), hcci::plot_format_of(args.output), names,
                          measured != nullptr ? &measured->series : nullptr);
    return write_output(args.output, bytes, args);
}

// The outputs of a command, by name and as a path: standard output ("-", or nothing where the
// command writes there by default) is /dev/stdout, the descriptor it is.
struct Output {
    std::string name;  // for messages
    std::string path;
};

std::vector<Output> outputs_of(const hcci::CliArgs& args) {
    using C = hcci::CliCommand;
    std::vector<Output> outputs;
    if (args.command == C::help || args.command == C::version) return outputs;
    if (args.output.empty() || args.output == "-") {
        outputs.push_back({"standard output", "/dev/stdout"});
    } else {
        outputs.push_back({args.output, args.output});
    }
    if (!args.plot.empty()) outputs.push_back({args.plot, args.plot});
    return outputs;
}

// An output that would write into an input, or two outputs in one place (a file, or a
// descriptor by any name): refused before anything is made.
std::optional<std::string> outputs_overlap(const hcci::CliArgs& args) {
    const std::vector<Output> outputs = outputs_of(args);
    for (const Output& output : outputs) {
        for (const std::string& shard : args.merge) {
            if (hcci::writes_into(output.path, shard)) {
                return output.name + " is a shard to join (--merge " + shard +
                       "): an output may not replace it";
            }
        }
        if (args.parameters.file && hcci::writes_into(output.path, *args.parameters.file)) {
            return output.name + " is the engine's parameter file (--params " +
                   *args.parameters.file + "): an output may not replace it";
        }
        if (args.measured && hcci::writes_into(output.path, *args.measured)) {
            return output.name + " is the measured trace (--measured " + *args.measured +
                   "): an output may not replace it";
        }
        if (args.compare && args.compare != hcci::compare_default &&
            args.compare != hcci::compare_measured &&
            hcci::writes_into(output.path, *args.compare)) {
            return output.name + " is the baseline's parameter file (--compare " + *args.compare +
                   "): an output may not replace it";
        }
    }
    if (outputs.size() == 2 && hcci::one_destination(outputs[0].path, outputs[1].path)) {
        const std::string table = args.output.empty() ? "standard output" : "-o " + args.output;
        return "the table (" + table + ") and the plot (--plot " + args.plot +
               ") would be one file";
    }
    return std::nullopt;
}

// A video that seeks, written in place (a descriptor, a device) that cannot take the seeks:
// refused as -o - is.
std::optional<std::string> video_target_problem(const hcci::CliArgs& args) {
    if (args.command != hcci::CliCommand::video) return std::nullopt;
    if (auto problem = hcci::in_place_problem(args.output, writing_of(args))) {
        return "a video needs a file: an MP4 or a WebM is written with seeks (the MP4's index "
               "goes first), and " +
               args.output + " " + *problem;
    }
    return std::nullopt;
}

int run(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = hcci::parse_cli_args(arguments);
    if (const auto* error = std::get_if<hcci::CliError>(&parsed)) {
        complain(error->message + "\n" + hcci::try_help_text(*error));
        return hcci::exit_usage;
    }
    const auto& args = std::get<hcci::CliArgs>(parsed);
    if (auto problem = outputs_overlap(args)) return refuse(*problem);
    if (auto problem = video_target_problem(args)) return refuse(*problem);
    // A wrong parameter is a wrong command line: nothing is written. A study checks each of
    // its engines whole, since the value it varies may put the others in order; every other
    // command runs the engine's cycle once, which tells whether it stays within the range of
    // numbers, and reads that.
    std::vector<std::string> notices;
    const auto parameters = hcci::read_parameter_values(args.parameters, &notices);
    tell(notices);
    if (const auto* problem = std::get_if<std::string>(&parameters)) return refuse(*problem);
    const auto& engine = std::get<hcci::EngineParameters>(parameters);
    using C = hcci::CliCommand;
    const bool needs_cycle = args.command != C::study && args.command != C::map &&
                             args.command != C::help && args.command != C::version &&
                             args.command != C::params;
    hcci::SharedRecord cycle;
    if (needs_cycle) {
        auto checked = hcci::checked_cycle(engine);
        if (const auto* problem = std::get_if<std::string>(&checked)) return refuse(*problem);
        cycle = std::get<hcci::SharedRecord>(std::move(checked));
    }
    // A measured trace is read before anything is made: a wrong one is a wrong command line.
    std::optional<Measurement> measured;
    if (args.measured) {
        auto read = read_measurement(*args.measured, engine);
        if (const auto* problem = std::get_if<std::string>(&read)) return refuse(*problem);
        measured = std::get<Measurement>(std::move(read));
    }
    const Measurement* measurement = measured ? &*measured : nullptr;
    // A study tells its targets once its range is read.
    if (args.command != C::study) {
        if (auto problem = unwritable_outputs(args)) return fail(*problem);
    }
    try {
        switch (args.command) {
            case hcci::CliCommand::help:
                return write_stdout(args.help_for ? hcci::command_usage_text(*args.help_for)
                                                  : hcci::usage_text());
            case hcci::CliCommand::version:
                return write_stdout(hcci::version_text());
            case hcci::CliCommand::params:
                return write_output(args.output, hcci::default_parameter_file(), args);
            case hcci::CliCommand::csv:
                return write_output(args.output, hcci::sweep_csv(*cycle), args);
            case hcci::CliCommand::png:
                return export_png(argv[0], args, cycle);
            case hcci::CliCommand::svg:
                return export_svg(argv[0], args, cycle);
            case hcci::CliCommand::video:
                return export_video(argv[0], args, cycle);
            case hcci::CliCommand::summary:
                return export_summary(args, cycle, measurement);
            case hcci::CliCommand::study:
                return export_study(argv[0], args, engine);
            case hcci::CliCommand::plot:
                return export_plot(argv[0], args, cycle, measurement);
            case hcci::CliCommand::map:
                return export_map(argv[0], args, engine);
        }
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return hcci::exit_failure;
}

}  // namespace

int main(int argc, char* argv[]) {
    stdout_closed = hcci::guard_standard_streams().output;
    try {
        return run(argc, argv);
    } catch (...) {
        complain("unknown error\n");
    }
    return hcci::exit_failure;
}
