#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "form1.h"

namespace {

bool display_available() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!display_available()) {
        std::fprintf(stderr, "hcci-cycle: no display found (set DISPLAY or WAYLAND_DISPLAY)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hcci-cycle"));
    hcci::Form1 form;
    form.show();
    return QApplication::exec();
}
