// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "apps/window/form1.h"
#include "apps/window/map_view.h"
#include "apps/window/parameter_form.h"
#include "core/draw/trace_points.h"
#include "core/model/cycle_series.h"
#include "core/model/engine_parameters.h"
#include "qt/picture/picture_timeline.h"
#include "qt/plot/view_widget.h"

class QAction;
class QComboBox;
class QMenu;
class QSplitter;

namespace hcci {

// The explorer: three columns side by side, split by handles that the pointer moves: the
// window's picture, keys and all; the view an engineer reads the cycle by, chosen by the tabs
// above it, a baseline engine drawn under the current one; and the panel to scrub through the
// sweep, change the engine, read the values at a step and its analysis, and export it.
class ExploreWindow final : public QWidget {
    Q_OBJECT

public:
    // The explorer of the recorded cycle, or of the engine the parameters describe (which must
    // pass check_parameters).
    explicit ExploreWindow(SharedRecord cycle, QWidget* parent = nullptr);
    explicit ExploreWindow(const EngineParameters& parameters, QWidget* parent = nullptr);
    ~ExploreWindow() override;

    Form1& picture() { return *form_; }
    QSlider& timeline() { return *slider_; }
    ParameterForm& parameter_form() { return *parameters_form_; }
    // The views' tabs.
    QTabWidget& tabs() { return *tabs_; }
    QWidget& panel() { return *panel_; }
    QSplitter& columns() { return *columns_; }
    // The columns' widths shared out afresh for the window's size, or as the user left them.
    void arrange_columns();
    void set_column_widths(int picture, int panel);
    QByteArray columns_state() const;
    void restore_columns(const QByteArray& state);
    // The view of that name ("pressure-angle").
    CycleViewWidget& view(std::string_view name);
    // A finished operating map as the last of the views' tabs (in place of the one before), shown.
    void show_map(MapResult map);
    MapView* map_view() const { return map_view_; }
    // The engine the views draw dashed beneath the current one, and the analysis compares with.
    void set_baseline(const std::optional<EngineParameters>& baseline);
    const std::optional<EngineParameters>& baseline() const { return baseline_; }
    // The note on traces that leave the picture, empty when none does.
    QString off_picture_note() const;
    // Whether the engine differs from the one last opened or saved (or given at the start), or
    // a box holds text that does not count.
    bool has_unsaved_changes() const;
    // What quitting with unsaved changes asks; a message box unless another question is given.
    enum class QuitAnswer { save, discard, cancel };
    void set_quit_question(std::function<QuitAnswer()> question) {
        quit_question_ = std::move(question);
    }
    // Asks, where there is something to lose, whether the program may end.
    bool may_end();
    // Makes the window no larger than its screen's available area, title bar and all.
    void fit_to_screen();
    // Makes the window as large as its screen's available area, up to what it has use for.
    void fill_screen();
    // Shows the picture after the step, held there.
    void show_step(int step);
    // Another engine (which must pass check_parameters), at the step now shown.
    void set_parameters(const EngineParameters& parameters);
    const EngineParameters& parameters() const { return cycle_->parameters; }
    // The cycle every part of the window reads: the picture, the views, the analysis.
    const SharedRecord& cycle() const { return cycle_; }
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
    int shown_step() const { return std::max(0, shown_.step); }
    // The cycle of those parameters: the one the form ran when it checked them, or a new one.
    SharedRecord cycle_for(const EngineParameters& parameters);
    void set_cycle(SharedRecord cycle);
    void step_by(int steps);
    void play_or_freeze();
    // The panel follows the picture: told each step it shows.
    void follow(const DriverSnapshot& shown);
    void update_analysis();
    void update_views();
    void show_tab(int index);
    void make_compare_actions();
    void compare_with_file();
    void show_baseline(std::shared_ptr<const CycleSeries> baseline);
    void build_slice();
    SharedRecord pick_parameter_file(const QString& title);
    void open_parameters();
    bool save_parameters();
    void show_play();
    void apply_speed();

    SharedRecord cycle_;
    SharedRecord offered_;  // the cycle the form ran for the values it offered last
    EngineParameters saved_parameters_;
    std::function<QuitAnswer()> quit_question_;
    bool end_agreed_ = false;
    QComboBox* speed_ = nullptr;
    std::vector<bool> views_stale_;  // a view's, until it draws the engine of now
    Form1* form_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* step_label_ = nullptr;
    QLabel* values_ = nullptr;
    QPlainTextEdit* analysis_ = nullptr;
    QLabel* off_picture_ = nullptr;
    QSplitter* columns_ = nullptr;
    QWidget* panel_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<CycleViewWidget*> views_;  // in the order of cycle_views()
    MapView* map_view_ = nullptr;          // after them, once a map was run
    std::shared_ptr<const CycleSeries> series_, baseline_series_;
    std::optional<EngineParameters> baseline_;
    QAction* pin_ = nullptr;
    QAction* clear_baseline_ = nullptr;
    QMenu* compare_menu_ = nullptr;
    QPushButton* play_ = nullptr;
    ParameterForm* parameters_form_ = nullptr;
    std::unique_ptr<PictureTimeline> timeline_;
    mutable std::vector<TracePoint> trace_points_;  // made when the pointer first reads them
    DriverSnapshot shown_;                          // the driver at the step the picture shows
    QTimer build_timer_;
};

}  // namespace hcci
