// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/animate/run_control.h"
#include "core/animate/step_pacer.h"
#include "core/draw/pixel_surface.h"
#include "core/model/cycle_record.h"

// The page's picture: the window's animation (its driver, its pacer and the keys) drawn by the
// core's pixel surface, and the canvas's copy of those pixels as bytes R, G, B, A. The page
// calls tick() when the pacer asks to be called and copies the rectangle take_dirty() names.

namespace hcci {

class PagePicture {
public:
    // clock() returns a monotonic time in nanoseconds (the page's performance.now()).
    PagePicture(SharedRecord record, int scale, std::function<double()> clock);

    // Draws the picture afresh at another whole-number scale, at the same moment.
    void set_scale(int scale);
    // Another engine at the same step, in the same state (held, running or waiting).
    void set_record(SharedRecord record);
    // Holds the picture after that step of a fresh sweep (0 to 18000), as png --step draws it.
    void hold_at(int step);
    // Goes on from the step shown at the pace of the moment; after a complete sweep, a new one.
    void play();
    // Escape or a double click: the animation stops where it is; Enter starts a new cycle.
    void stop() { stopped_ = true; }

    // Runs the steps that are due. Returns when the page is to call again (on the clock's
    // scale), or nothing while the driver is held.
    std::optional<double> tick();
    // A key typed at that time (on the clock's scale). Returns whether the page is to tick
    // again at once (the key released a hold).
    bool key(std::uint16_t key_ascii, double arrival_ns);

    int width() const { return surface_->width(); }
    int height() const { return surface_->height(); }
    int scale() const { return scale_; }
    // The picture's pixels as bytes R, G, B, A, row after row, up to date within the last
    // take_dirty() rectangle.
    const std::uint8_t* rgba() const { return reinterpret_cast<const std::uint8_t*>(rgba_.data()); }
    // The pixels changed since the last call, now copied into rgba(); empty when none.
    PixelRect take_dirty();

    const CycleDriver& driver() const { return *driver_; }
    bool stopped() const { return stopped_; }
    bool held() const { return run_.stopp == 1 || driver_->state() == DriverState::waiting; }

private:
    void start_driver(SharedRecord record);
    // Draws the fresh driver's cycle up to the step at once.
    void draw_moment(int step);

    int scale_;
    std::function<double()> clock_;
    RunControl run_;
    std::unique_ptr<PixelSurface> surface_;
    std::optional<CycleDriver> driver_;
    std::optional<StepPacer> pacer_;
    std::vector<std::uint32_t> rgba_;
    bool stopped_ = false;
};

// A fresh sweep's picture after the step at 1x, as png --no-labels --step draws it: its
// pixels as bytes R, G, B, row after row.
std::vector<std::uint8_t> picture_rgb(const SharedRecord& record, int step);

}  // namespace hcci
