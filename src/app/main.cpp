#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "form1.h"

namespace {

bool display_named() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QtMessageHandler default_handler = nullptr;
bool starting = true;
QString first_startup_message;

// While the toolkit starts, its messages are held back: when no display can be opened the
// program ends with one clear line and status 1, not a cascade of messages, an abort and a core
// dump.
void handle_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QString cause = first_startup_message.isEmpty()
                                  ? message.section(QLatin1Char('\n'), 0, 0)
                                  : first_startup_message;
        std::fprintf(stderr, "hcci-cycle: cannot start the window: %s\n", qPrintable(cause));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (starting) {
        if (first_startup_message.isEmpty()) first_startup_message = message;
        return;
    }
    if (default_handler != nullptr) default_handler(type, context, message);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!display_named()) {
        std::fprintf(stderr,
                     "hcci-cycle: no display to open (DISPLAY and WAYLAND_DISPLAY are unset)\n");
        return 1;
    }
    default_handler = qInstallMessageHandler(handle_message);
    QApplication app(argc, argv);
    starting = false;
    QApplication::setApplicationName(QStringLiteral("hcci-cycle"));
    hcci::Form1 form;
    form.show();
    return QApplication::exec();
}
