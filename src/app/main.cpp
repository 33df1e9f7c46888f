#include <QApplication>
#include <cstdio>
#include <string_view>
#include <vector>

#include "form1.h"
#include "qt_startup.h"
#include "window_args.h"

namespace {

bool display_named() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = hcci::parse_window_args(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "hcci-cycle: %s\n%s", problem->c_str(),
                     hcci::window_usage_text().c_str());
        return 2;
    }
    const auto& args = std::get<hcci::WindowArgs>(parsed);
    if (args.action != hcci::WindowAction::animate) {
        const std::string text = args.action == hcci::WindowAction::help
                                     ? hcci::window_usage_text()
                                     : hcci::window_version_text();
        return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
    }
    const auto parameters = hcci::read_parameters(args.parameters);
    if (const auto* problem = std::get_if<std::string>(&parameters)) {
        std::fprintf(stderr, "hcci-cycle: %s\n", problem->c_str());
        return 2;
    }
    if (!display_named()) {
        std::fprintf(stderr,
                     "hcci-cycle: no display to open (DISPLAY and WAYLAND_DISPLAY are unset)\n");
        return 1;
    }
    hcci::hold_qt_startup_messages("hcci-cycle", "cannot start the window");
    // The command line is ours: Qt's own options are not passed on.
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    hcci::qt_started();
    QApplication::setApplicationName(QStringLiteral("hcci-cycle"));
    hcci::Form1 form(std::get<hcci::EngineParameters>(parameters));
    form.show();
    return QApplication::exec();
}
