// SPDX-License-Identifier: MIT
#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QtGlobal>

// The main of a benchmark that draws with Qt: the offscreen platform, an application of the
// kind given (QGuiApplication for pictures, QApplication for widgets), then the benchmarks.
template <class Application>
int run_qt_benchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    Application app(qt_argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
