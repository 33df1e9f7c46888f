// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <algorithm>

#include "apps/window/explore_parts.h"
#include "core/draw/off_picture.h"
#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/sweep.h"
#include "core/report/analysis_report.h"
#include "core/report/view_text.h"
#include "qt/text/qt_text.h"

// What the explorer reads out: the values at the step shown, the analysis (with the
// baseline's beside it), the note on traces that leave the picture, and the pointer's reading
// of the nearest trace.

namespace hcci {

using explore::number;

namespace {

// How near a trace the pointer must come to read it, in pixels of the client area.
constexpr double hover_reach = 6;

const char* const phase_names[] = {"",
                                   "united compression",
                                   "first division, auxiliary ignition",
                                   "united again, main combustion",
                                   "second division",
                                   "united expansion"};

}  // namespace

QString ExploreWindow::off_picture_note() const {
    if (!series_) return {};
    const std::string text = off_picture_text(traces_off_picture(series_->analysis));
    if (text.empty()) return {};
    QString note = QString::fromStdString(text);
    note[0] = note[0].toUpper();
    return note + QStringLiteral(".");
}

QString ExploreWindow::values_text() const {
    if (shown_.step < 0 || !shown_.record) return QStringLiteral("(not started)");
    const CycleRecord& r = *shown_.record;
    const auto i = static_cast<std::size_t>(shown_.step);
    const int phase = std::clamp(static_cast<int>(r.phase[i]), 1, 5);
    const auto charge = [&r, i](ChargeName name, const char* what) {
        const ChargeRecord& c = r.charge(name);
        return QStringLiteral("%1 %2 bar  %3 K\n")
            .arg(QString::fromLatin1(what), -7)
            .arg(number(c.pressure[i], 2), 8)
            .arg(number(c.temperature[i], 1), 7);
    };
    QString text =
        QStringLiteral("phase   %1, %2\n").arg(phase).arg(QString::fromLatin1(phase_names[phase]));
    text += QStringLiteral("angle   %1 deg after TDC\n")
                .arg(number(angle_atdc(CycleRecord::crank_angle(shown_.step)), 2));
    text += QStringLiteral("travel  %1\n").arg(number(crown_x(r.geometry, r.piston_pos[i]), 4));
    text += charge(ChargeName::united, "united");
    if (is_divided_phase(phase)) {
        text += charge(ChargeName::main, "main");
        text += charge(ChargeName::aux, "aux");
    } else {
        text += QStringLiteral("main    (united)\naux     (united)\n");
    }
    return text.trimmed();
}

// The summary, word for word as the command line gives it; with a baseline, the two engines'
// figures in columns first.
void ExploreWindow::update_analysis() {
    std::string text = summary_text(series_->analysis, parameters());
    if (baseline_series_) {
        text = comparison_text(series_->analysis, parameters(), baseline_series_->analysis,
                               *baseline_) +
               "\n" + text;
    }
    analysis_->setPlainText(QString::fromStdString(text));
}

QString ExploreWindow::analysis_text() const {
    return analysis_->toPlainText();
}

QString ExploreWindow::hover_text(QPoint widget_point) const {
    const int step = shown_.step;
    if (step < 1) return {};
    const QPointF at = form_->client_point(widget_point);
    if (trace_points_.empty()) trace_points_ = trace_points(*cycle_);
    const auto point = nearest_trace_point(trace_points_, step, at.x(), at.y(), hover_reach);
    if (!point) return {};
    const bool pressure = is_pressure(point->trace);
    const std::string_view name = trace_name(point->trace);
    return QStringLiteral("%1: %2 %3\nstep %4, %5\u00b0 after top dead centre\ntravel %6")
        .arg(text_of(name))
        .arg(number(point->value, pressure ? 2 : 1))
        .arg(pressure ? QStringLiteral("bar") : QStringLiteral("K"))
        .arg(point->step)
        .arg(number(angle_atdc(point->crank_angle), 2))
        .arg(number(point->crown_x, 3));
}

}  // namespace hcci
