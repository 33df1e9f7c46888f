// SPDX-License-Identifier: MIT
#include "qt/picture/qt_startup.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace hcci {
namespace {

QtMessageHandler default_handler = nullptr;
bool starting = false;
const char* program_name = "";
const char* failure_text = "";
QString first_startup_message;

void handle_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QString cause = first_startup_message.isEmpty()
                                  ? message.section(QLatin1Char('\n'), 0, 0)
                                  : first_startup_message;
        // Where even standard error fails, nothing is left to tell.
        (void)std::fprintf(stderr, "%s: %s: %s\n", program_name, failure_text, qPrintable(cause));
        (void)std::fflush(stderr);
        std::_Exit(1);
    }
    if (starting) {
        if (first_startup_message.isEmpty()) first_startup_message = message;
        return;
    }
    if (default_handler != nullptr) default_handler(type, context, message);
}

}  // namespace

void hold_qt_startup_messages(const char* program, const char* what) {
    program_name = program;
    failure_text = what;
    starting = true;
    default_handler = qInstallMessageHandler(handle_message);
}

void qt_started() {
    starting = false;
}

}  // namespace hcci
