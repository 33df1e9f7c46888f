#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "cycle_driver.h"
#include "image_surface.h"
#include "run_control.h"
#include "step_pacer.h"

namespace hcci {

// The program's one window: paints the drawing surface, hosts the labels, turns key presses
// and double clicks into commands and runs the cycle driver on its event loop.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

    CycleDriver& driver() { return driver_; }
    ImageSurface& surface() { return *surface_; }
    QLabel* label(int index) const { return labels_[static_cast<std::size_t>(index)]; }
    // Shows the last step's readout in Label8.
    void update_readout();
    // Resizes the window and lays the picture out at once, as a resize by the user does.
    void resize_now(QSize size);
    // How much the picture is enlarged (1 at the client size 616 x 741) and where it starts.
    double picture_scale() const { return fit_scale_; }
    QRect picture_rect() const;

signals:
    // Escape, a double click on the window or closing it: the program is to end.
    void ended();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Activate();
    void Form_KeyPress(std::uint16_t key_ascii);
    void Form_DblClick();
    void End();
    void tick();
    void check_run_control();
    void arm(double next_tick_ns);
    void lay_out(QSize size);
    // A rectangle of the surface image in widget coordinates.
    QRect to_widget(QRect image_rect) const;
    // Draws the picture so far afresh at the window's scale and device pixel ratio.
    void rasterise_if_needed();

    std::unique_ptr<ImageSurface> surface_;
    RunControl run_;
    CycleDriver driver_;
    QElapsedTimer clock_;
    StepPacer pacer_;
    QTimer timer_;
    std::array<QLabel*, 8> labels_{};
    long shown_readout_;
    bool started_ = false;
    bool check_posted_ = false;
    double fit_scale_ = 1;
    QPoint picture_origin_;
};

}  // namespace hcci
