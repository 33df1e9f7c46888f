// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "apps/window/form_label.h"
#include "core/animate/cycle_driver.h"
#include "core/animate/cycle_replay.h"
#include "core/animate/run_control.h"
#include "core/animate/step_pacer.h"
#include "qt/picture/image_surface.h"

namespace hcci {

// The program's one window: paints the drawing surface, hosts the labels, turns key presses
// and double clicks into commands and runs the cycle driver on its event loop.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // A monotonic time in nanoseconds.
    using Clock = std::function<double()>;
    // The steady clock of the machine.
    static Clock steady_clock();

    // Animates the recorded cycle, paced by the clock.
    explicit Form1(SharedRecord cycle, QWidget* parent = nullptr, Clock clock = steady_clock());
    // The same of the engine the parameters describe (they must pass check_parameters).
    explicit Form1(const EngineParameters& parameters = {}, QWidget* parent = nullptr,
                   Clock clock = steady_clock());
    ~Form1() override;

    CycleDriver& driver() { return driver_; }
    const RunControl& run_control() const { return run_; }
    ImageSurface& surface() { return *surface_; }
    QLabel* label(std::size_t index) const { return labels_.at(index); }
    // Shows the last step's readout in Label8.
    void update_readout();
    // Resizes the window and draws the picture afresh at the new size at once, as the window
    // does once a drag has settled.
    void resize_now(QSize size);
    // How much the picture is enlarged (1 at the client size 616 x 741) and where it starts.
    double picture_scale() const { return fit_scale_; }
    QRect picture_rect() const;
    // Whether the picture is being drawn afresh at a new size.
    bool rasterising() const { return pending_ != nullptr; }
    // The scale the picture is drawn at for the window's size and device pixel ratio.
    double wanted_scale() const;
    // A point of the widget as a pixel of the client area at its own size.
    QPointF client_point(QPoint widget_point) const;

    // Shows a moment of a sweep (its surface at wanted_scale(), its driver's state) and holds
    // the animation there.
    void show_moment(std::unique_ptr<ImageSurface> surface, const DriverSnapshot& driver);
    // Holds or releases the animation at the current pace (Space would also drop the pace).
    void set_frozen(bool frozen);
    // Asked before Escape, a double click or closing the window ends the program: false keeps
    // it running. The window alone has none and ends at once.
    void set_end_guard(std::function<bool()> may_end) { may_end_ = std::move(may_end); }
    // The pace of the sweep's steps: RunControl's stepe (0 runs them unpaced).
    void set_pace(double stepe);
    bool frozen() const { return run_.stopp == 1; }

signals:
    // Escape, a double click on the window or closing it: the program is to end.
    void ended();
    // The picture shows another step: the animation ran (once a frame at most), or a moment
    // was shown. The driver's state at that step.
    void shown(const hcci::DriverSnapshot& driver);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct PendingPicture;

    void Form_Activate();
    void Form_KeyPress(std::uint16_t key_ascii, double arrival_ns);
    // When a key was typed, on the clock's scale.
    double key_arrival_ns(const QKeyEvent& event);
    void Form_DblClick();
    // Ends the program, unless the end guard, not asked yet, keeps it running.
    void End(bool asked = false);
    void tick();
    // The batch timer follows the pacer: armed at its next tick, or stopped while it is held.
    void arm_timer();
    // A tick once the events already queued are handled.
    void check_after_events();
    void show_steps();
    void lay_out(QSize size);
    // A rectangle of the surface image in widget coordinates.
    QRect to_widget(QRect image_rect) const;
    // Draws the picture afresh at wanted_scale(), a slice per event until it has caught up with
    // the driver, then swaps it in.
    void start_rasterise();
    void rasterise_slice();
    void finish_rasterise();

    std::unique_ptr<ImageSurface> surface_;
    RunControl run_;
    CycleDriver driver_;
    Clock clock_;
    StepPacer pacer_;
    QTimer timer_;
    QTimer settle_timer_;
    std::unique_ptr<PendingPicture> pending_;
    std::array<FormLabel*, 8> labels_{};
    long shown_readout_;
    bool started_ = false;
    bool tick_posted_ = false;
    bool slice_posted_ = false;
    bool key_clock_known_ = false;
    double key_clock_offset_ns_ = 0;
    double fit_scale_ = 1;
    std::function<bool()> may_end_;
    QPoint picture_origin_;
};

}  // namespace hcci
