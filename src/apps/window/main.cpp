// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "apps/window/explore_window.h"
#include "apps/window/form1.h"
#include "apps/window/window_args.h"
#include "core/report/parameter_messages.h"
#include "core/report/version.h"
#include "platform/parameter_file.h"
#include "platform/standard_streams.h"
#include "qt/picture/qt_startup.h"
#include "qt/text/qt_text.h"

namespace {

bool display_named() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Standard error is the last place to tell of a failure; if it fails too, nothing is left.
void complain(const std::string& text) {
    (void)std::fputs(("hcci-cycle: " + text).c_str(), stderr);
}

int run(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = hcci::parse_window_args(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        complain(*problem + "\ntry 'hcci-cycle --help'\n");
        return 2;
    }
    const auto& args = std::get<hcci::WindowArgs>(parsed);
    if (args.action != hcci::WindowAction::animate) {
        const std::string text = args.action == hcci::WindowAction::help
                                     ? hcci::window_usage_text()
                                     : hcci::window_version_text();
        return std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
    }
    std::vector<std::string> notices;
    const auto parameters = hcci::read_parameter_values(args.parameters, &notices);
    for (const std::string& notice : notices) complain(notice + "\n");
    // The cycle, run once here, tells whether the engine stays within the range of numbers.
    const auto cycle =
        std::holds_alternative<hcci::EngineParameters>(parameters)
            ? hcci::checked_cycle(std::get<hcci::EngineParameters>(parameters))
            : std::variant<hcci::SharedRecord, std::string>(std::get<std::string>(parameters));
    if (const auto* problem = std::get_if<std::string>(&cycle)) {
        complain(*problem + "\ntry 'hcci-cycle --help'\n");
        return 2;
    }
    if (!display_named()) {
        complain("no display to open (DISPLAY and WAYLAND_DISPLAY are unset)\n");
        return 1;
    }
    hcci::hold_qt_startup_messages("hcci-cycle", "cannot start the window");
    // The command line is ours: Qt's own options are not passed on.
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    hcci::qt_started();
    QApplication::setApplicationName(QStringLiteral("hcci-cycle"));
    QApplication::setOrganizationName(
        QStringLiteral("hcci-cycle"));  // settings in ~/.config/hcci-cycle/
    QApplication::setApplicationVersion(hcci::text_of(hcci::version));
    // Docks and task bars find the desktop entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(HCCI_DESKTOP_ID));
    QIcon icon;
    for (const int size : {48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/hcci-cycle.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("hcci-cycle"), icon));
    const hcci::SharedRecord& engine = std::get<hcci::SharedRecord>(cycle);
    if (args.explore) {
        hcci::ExploreWindow explorer(engine);
        QGuiApplication::setDesktopFileName(QStringLiteral(HCCI_DESKTOP_ID "_explorer"));
        // The size it had when last closed, within the screen as it is now.
        QSettings settings;
        // The first time, the screen's room.
        if (!explorer.restoreGeometry(
                settings.value(QStringLiteral("explorer/geometry")).toByteArray())) {
            explorer.fill_screen();
        }
        explorer.fit_to_screen();
        // The columns as they were left: how wide the picture, the view and the panel.
        explorer.restore_columns(settings.value(QStringLiteral("explorer/columns")).toByteArray());
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &explorer, [&] {
            settings.setValue(QStringLiteral("explorer/geometry"), explorer.saveGeometry());
            settings.setValue(QStringLiteral("explorer/columns"), explorer.columns_state());
        });
        explorer.show();
        explorer.picture().setFocus();  // the picture's keys act from the start
        return QApplication::exec();
    }
    hcci::Form1 form(engine);
    form.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    hcci::guard_standard_streams();
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        complain(std::string(e.what()) + "\n");
    } catch (...) {
        complain("unknown error\n");
    }
    return 1;
}
