#include <unistd.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "atomic_file.h"
#include "cli_args.h"
#include "csv_export.h"
#include "parameter_text.h"
#include "picture.h"
#include "qt_startup.h"

namespace {

constexpr const char* program = "hcci-cycle-export";

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    return hcci::exit_failure;
}

int write_stdout(std::string_view text) {
    if (const int error = hcci::write_all(STDOUT_FILENO, text); error != 0) {
        return fail(std::string("cannot write standard output: ") + std::strerror(error));
    }
    return 0;
}

int write_output(const std::string& path, std::string_view bytes) {
    if (path.empty() || path == "-") return write_stdout(bytes);
    if (auto error = hcci::write_file_atomically(path, bytes)) return fail(*error);
    return 0;
}

int export_png(const char* argv0, const hcci::CliArgs& args,
               const hcci::EngineParameters& parameters) {
    // No display needed; Qt's own command-line options are not ours to pass on. The picture has
    // its own size: a screen's scaling (which also turns font hinting off) must not reach it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* name :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
          "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI",
          "QT_USE_PHYSICAL_DPI"}) {
        qunsetenv(name);
    }
    int qt_argc = 1;
    char* qt_argv[] = {const_cast<char*>(argv0), nullptr};
    hcci::hold_qt_startup_messages(program, "cannot start Qt");
    const QGuiApplication app(qt_argc, qt_argv);
    hcci::qt_started();
    const std::string png =
        hcci::encode_png(hcci::render_picture(args.step, args.labels, args.scale, parameters));
    return write_output(args.output, png);
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = hcci::parse_cli_args(arguments);
    if (const auto* error = std::get_if<hcci::CliError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\n%s", program, error->message.c_str(),
                     hcci::usage_text().c_str());
        return hcci::exit_usage;
    }
    const auto& args = std::get<hcci::CliArgs>(parsed);
    // A wrong parameter is a wrong command line: nothing is written.
    const auto parameters = hcci::read_parameters(args.parameters);
    if (const auto* problem = std::get_if<std::string>(&parameters)) {
        std::fprintf(stderr, "%s: %s\n", program, problem->c_str());
        return hcci::exit_usage;
    }
    const auto& engine = std::get<hcci::EngineParameters>(parameters);
    try {
        switch (args.command) {
            case hcci::CliCommand::help:
                return write_stdout(hcci::usage_text());
            case hcci::CliCommand::version:
                return write_stdout(hcci::version_text());
            case hcci::CliCommand::params:
                return write_output(args.output, hcci::default_parameter_file());
            case hcci::CliCommand::csv:
                return write_output(args.output, hcci::sweep_csv(engine));
            case hcci::CliCommand::png:
                return export_png(argv[0], args, engine);
        }
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return hcci::exit_failure;
}
