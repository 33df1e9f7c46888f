// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "apps/window/form1.h"
#include "apps/window/parameter_form.h"
#include "core/draw/trace_points.h"
#include "core/model/engine_parameters.h"
#include "qt/picture/picture_timeline.h"

namespace hcci {

// The explorer: the window's picture, keys and all, with a panel beside it to scrub through the
// sweep, read the values at a step, change the engine, read its analysis and export it.
class ExploreWindow final : public QWidget {
    Q_OBJECT

public:
    explicit ExploreWindow(const EngineParameters& parameters, QWidget* parent = nullptr);
    ~ExploreWindow() override;

    Form1& picture() { return *form_; }
    QSlider& timeline() { return *slider_; }
    ParameterForm& parameter_form() { return *parameters_form_; }
    // Shows the picture after the step, held there.
    void show_step(int step);
    // Another engine, at the step now shown.
    void set_parameters(const EngineParameters& parameters);
    const EngineParameters& parameters() const { return parameters_; }
    // The text of the panel's reading of the step shown, and of the analysis.
    QString values_text() const;
    QString analysis_text() const;
    // What hovering at a point of the picture's widget tells, or nothing away from the traces.
    QString hover_text(QPoint widget_point) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The timeline's keys, as the picture leaves them to its parent: arrows a step, Page Up and
    // Down a degree, Home and End the ends of the sweep.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* make_panel();
    QWidget* make_timeline(QWidget* panel);
    QWidget* make_exports(QWidget* panel);
    QWidget* make_engine(QWidget* panel);
    PictureTimeline& timeline_for_now();
    int shown_step() const { return std::max(0, shown_.stepper.step_index()); }
    void step_by(int steps);
    void play_or_freeze();
    // The panel follows the picture: told each step it shows.
    void follow(const DriverSnapshot& shown);
    void update_analysis();
    void build_slice();
    void export_file(const QString& title, const QString& name, const QString& filter,
                     const std::function<std::string()>& content);
    void open_parameters();
    void save_parameters();

    EngineParameters parameters_;
    Form1* form_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* step_label_ = nullptr;
    QLabel* values_ = nullptr;
    QPlainTextEdit* analysis_ = nullptr;
    QPushButton* play_ = nullptr;
    ParameterForm* parameters_form_ = nullptr;
    std::unique_ptr<PictureTimeline> timeline_;
    std::vector<TracePoint> trace_points_;
    DriverSnapshot shown_;  // the driver at the step the picture shows
    QTimer build_timer_;
};

}  // namespace hcci
