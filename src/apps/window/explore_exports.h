// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "core/model/cycle_series.h"
#include "core/model/engine_parameters.h"
#include "qt/plot/cycle_views.h"
#include "qt/video/video_export.h"

// What the explorer saves, each behind a save dialog: the file is written whole or not at
// all, and a failure is told in a message box. A long export (a video, a study) shows its
// progress and can be called off, leaving nothing behind.

class QDialog;
class QFormLayout;

namespace hcci {

// The file chosen in a save dialog, written with the content made for it (which may throw: the
// message is shown, and nothing is written). Whether it was written.
bool save_file(QWidget* parent, const QString& title, const QString& name, const QString& filter,
               const std::function<std::string()>& content);

// Runs the dialog of a form with Run and Cancel beneath it: whether Run was pressed.
bool asked_to_run(QDialog& ask, QFormLayout& form);

void save_sweep_csv(QWidget* parent, const CycleRecord& cycle);
void save_picture(QWidget* parent, const SharedRecord& cycle, int step, bool svg);
void save_summary(QWidget* parent, const CycleAnalysis& analysis, const EngineParameters& engine);
void save_view(QWidget* parent, const CycleView& view, const CycleSeries& current,
               const CycleSeries* baseline);
// The picture alone, or beside it the pressure-angle view (1920 x 1080, for a slide).
void save_video(QWidget* parent, const SharedRecord& cycle, VideoLayout layout);
// A parameter and its range asked in a small dialog; the study run, its plot shown, and its
// table and plot offered to save.
void study_in_dialog(QWidget* parent, const EngineParameters& engine);

}  // namespace hcci
