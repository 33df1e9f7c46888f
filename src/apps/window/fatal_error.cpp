// SPDX-License-Identifier: MIT
#include "apps/window/fatal_error.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace hcci {

void report_fatal_error(const std::string& message) {
    (void)std::fprintf(stderr, "hcci-cycle: %s\n", message.c_str());
    (void)std::fflush(stderr);
    const QString platform = QGuiApplication::platformName();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        QMessageBox::critical(nullptr, QStringLiteral("hcci-cycle"),
                              QString::fromStdString(message));
    }
    std::exit(1);
}

}  // namespace hcci
