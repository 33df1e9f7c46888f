#include <QApplication>
#include <cstdio>

#include "form1.h"
#include "qt_startup.h"

namespace {

bool display_named() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!display_named()) {
        std::fprintf(stderr,
                     "hcci-cycle: no display to open (DISPLAY and WAYLAND_DISPLAY are unset)\n");
        return 1;
    }
    hcci::hold_qt_startup_messages("hcci-cycle", "cannot start the window");
    QApplication app(argc, argv);
    hcci::qt_started();
    QApplication::setApplicationName(QStringLiteral("hcci-cycle"));
    hcci::Form1 form;
    form.show();
    return QApplication::exec();
}
