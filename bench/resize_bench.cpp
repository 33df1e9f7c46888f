// SPDX-License-Identifier: MIT
// A drag of the window's corner, measured on the event loop: the longest single event, the
// longest time the loop is kept from a 1 ms probe timer (two events back to back count
// together), during the drag and while the picture is drawn afresh afterwards, and how long after
// the last resize event the picture is crisp.
//
// Usage: resize_bench [REPEATS]   (Qt's offscreen platform; no display needed)

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "apps/window/form1.h"

namespace {

constexpr int drag_events = 20;
constexpr int drag_interval_ms = 16;

struct Figures {
    double drag_event_ms = 0;
    double drag_stall_ms = 0;
    double settle_event_ms = 0;
    double settle_stall_ms = 0;
    double crisp_after_ms = 0;
};

// Times every event that the loop dispatches (not those sent from inside another).
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0) return QApplication::notify(receiver, event);
        ++depth_;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        longest_ms = std::max(longest_ms, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        --depth_;
        return result;
    }

    double longest_ms = 0;

private:
    int depth_ = 0;
};

TimedApplication* application = nullptr;

void pump_until(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void type(QWidget& form, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&form, &press);
}

Figures measure(double target_scale, bool sweep_finished) {
    hcci::Form1 form;
    form.show();
    if (sweep_finished) {
        type(form, Qt::Key_Space, " ");  // frozen and released at once: unpaced to the end
        type(form, Qt::Key_Space, " ");
        pump_until([&] { return form.driver().state() == hcci::DriverState::waiting; });
    } else {
        type(form, Qt::Key_Slash, "/");  // five times the default pace
        pump_until([&] { return form.driver().step_index() > 15000; });
    }

    QElapsedTimer clock;
    clock.start();
    double last_probe = 0;
    double longest_gap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        longest_gap = std::max(longest_gap, now - last_probe);
        last_probe = now;
    });
    last_probe = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    probe.start(1);

    Figures figures;
    application->longest_ms = 0;
    for (int i = 1; i <= drag_events; ++i) {
        const double scale = 1 + (target_scale - 1) * i / drag_events;
        form.resize(static_cast<int>(std::lround(616 * scale)),
                    static_cast<int>(std::lround(741 * scale)));
        const qint64 until = clock.elapsed() + drag_interval_ms;
        while (clock.elapsed() < until) QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    figures.drag_stall_ms = longest_gap;
    figures.drag_event_ms = application->longest_ms;
    longest_gap = 0;
    application->longest_ms = 0;
    const double last_resize = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    pump_until([&] { return std::abs(form.surface().scale() - target_scale) < 1e-9; });
    figures.crisp_after_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6 - last_resize;
    figures.settle_stall_ms = longest_gap;
    figures.settle_event_ms = application->longest_ms;
    return figures;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TimedApplication app(argc, argv);
    application = &app;
    std::printf("drag of %d resize events, %d ms apart; medians of %d runs, in ms\n", drag_events,
                drag_interval_ms, repeats);
    std::printf("%-20s %28s %28s %12s\n", "", "during the drag:", "drawing afresh:", "crisp after");
    std::printf("%-20s %14s %13s %14s %13s %12s\n", "", "longest event", "probe stall",
                "longest event", "probe stall", "last resize");
    for (const bool finished : {true, false}) {
        for (const double scale : {1.5, 2.0, 3.0}) {
            std::vector<double> drag_event, drag, settle_event, settle, crisp;
            for (int i = 0; i < repeats; ++i) {
                const Figures f = measure(scale, finished);
                drag_event.push_back(f.drag_event_ms);
                drag.push_back(f.drag_stall_ms);
                settle_event.push_back(f.settle_event_ms);
                settle.push_back(f.settle_stall_ms);
                crisp.push_back(f.crisp_after_ms);
            }
            char what[64];
            std::snprintf(what, sizeof what, "%s, to %.1fx", finished ? "sweep done" : "sweeping",
                          scale);
            std::printf("%-20s %14.1f %13.1f %14.1f %13.1f %12.0f\n", what, median(drag_event),
                        median(drag), median(settle_event), median(settle), median(crisp));
        }
    }
    return 0;
}
