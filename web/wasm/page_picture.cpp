// SPDX-License-Identifier: MIT
#include "web/wasm/page_picture.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "core/draw/moving_parts.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

// Steps a held picture runs on rather than drawing the moment afresh.
constexpr int steps_run_on = 200;

// The page ticks at its frames, a tenth of a second apart or more (js/picture.js): the steps due
// since the frame before are all run, up to half a second of them.
constexpr double page_max_lag_ns = 500e6;

// 0xffRRGGBB, in memory B, G, R, A, as the canvas's R, G, B, A.
constexpr std::uint32_t canvas_pixel(Pixel pixel) {
    return (pixel & 0xFF00FF00u) | (pixel >> 16 & 0xFFu) | (pixel & 0xFFu) << 16;
}

}  // namespace

PagePicture::PagePicture(SharedRecord record, int scale, std::function<double()> clock)
    : scale_(scale), clock_(std::move(clock)), surface_(std::make_unique<PixelSurface>(scale)) {
    start_driver(std::move(record));
}

void PagePicture::start_driver(SharedRecord record) {
    pacer_.reset();
    driver_.emplace(*surface_, run_, std::move(record));
    pacer_.emplace(*driver_, run_, clock_, page_max_lag_ns);
    // The copy stays what the canvas shows: a new cycle's pixels are compared with it.
    const auto pixels =
        static_cast<std::size_t>(surface_->width()) * static_cast<std::size_t>(surface_->height());
    if (rgba_.size() != pixels) rgba_.assign(pixels, canvas_pixel(white_pixel));
}

void PagePicture::draw_moment(int step) {
    if (step < 0 || step > last_step) {
        throw std::out_of_range("no step " + std::to_string(step) + " in a sweep");
    }
    // The traces step by step, then the crown's whole history at once: the same pixels as the
    // sweep drawn step by step, in a fraction of the time.
    driver_->leave_out_moving_parts(true);
    driver_->run_to(step);
    driver_->leave_out_moving_parts(false);
    const CycleRecord& record = driver_->record();
    draw_piston_history(*surface_, record.geometry,
                        std::span(record.piston_pos).first(static_cast<std::size_t>(step) + 1),
                        scale_);
}

void PagePicture::set_scale(int scale) {
    if (scale == scale_) return;
    const DriverSnapshot now = driver_->snapshot();
    const RunControl run = run_;
    scale_ = scale;
    surface_ = std::make_unique<PixelSurface>(scale);
    run_ = RunControl{};
    start_driver(now.record);
    if (now.step >= 0) draw_moment(now.step);
    driver_->restore(now);
    run_ = run;
}

void PagePicture::set_record(SharedRecord record) {
    const DriverSnapshot now = driver_->snapshot();
    const RunControl run = run_;
    run_ = RunControl{};  // no freeze or restart on the way back to the step
    surface_->Cls();
    start_driver(std::move(record));
    if (now.step >= 0) draw_moment(now.step);
    // The moment's state and pace go on; the cycle is the new one.
    DriverSnapshot moved = driver_->snapshot();
    if (now.state != DriverState::drawing_background) moved.state = now.state;
    moved.cycles = now.cycles;
    driver_->restore(moved);
    run_ = run;
}

void PagePicture::hold_at(int step) {
    if (step < 0 || step > last_step) {
        throw std::out_of_range("no step " + std::to_string(step) + " in a sweep");
    }
    const double stepe = run_.stepe;
    const DriverState state = driver_->state();
    const bool begun = state != DriverState::drawing_background;
    const bool near_ahead = state != DriverState::waiting && state != DriverState::ended &&
                            step >= driver_->step_index() &&
                            step - driver_->step_index() <= steps_run_on;
    run_.stopp = 0;
    run_.loopy = 0;
    if (near_ahead) {
        driver_->run_to(step);
    } else {
        surface_->Cls();
        start_driver(driver_->shared_record());
        draw_moment(step);
    }
    if (begun) run_.stepe = stepe;  // the pace chosen stays; a first cycle starts at the default
    run_.stopp = 1;
    pacer_.emplace(*driver_, run_, clock_, page_max_lag_ns);
    stopped_ = false;
}

void PagePicture::play() {
    stopped_ = false;
    if (driver_->state() == DriverState::waiting) {
        run_.loopy = 1;  // the next cycle, as Enter starts it
    }
    run_.stopp = 0;
}

std::optional<double> PagePicture::tick() {
    if (stopped_) return std::nullopt;
    const TickResult result = pacer_->tick();
    if (!result.armed) return std::nullopt;
    return result.next_tick_ns;
}

bool PagePicture::key(std::uint16_t key_ascii, double arrival_ns) {
    if (stopped_) {
        if (key_ascii != key_enter) return false;
        surface_->Cls();
        start_driver(driver_->shared_record());
        run_ = RunControl{};
        stopped_ = false;
        return true;  // a new cycle, at once
    }
    const KeyResult result = pacer_->key_typed(key_ascii, arrival_ns);
    if (result.end_program) {
        stop();
        return false;
    }
    return !pacer_->armed();
}

PixelRect PagePicture::take_dirty() {
    // The surface names the pixels it drew on; of those, only the ones that differ from the
    // canvas's copy count (the crown erased and drawn again on the same pixels does not).
    const PixelRect drawn = surface_->take_dirty_rect();
    const PixelBuffer& pixels = surface_->pixels();
    PixelRect changed;
    for (int y = drawn.top; y <= drawn.bottom; ++y) {
        const Pixel* from = pixels.row(y);
        std::uint32_t* to = rgba_.data() + static_cast<std::ptrdiff_t>(y) * pixels.width;
        int first = drawn.right + 1, last = drawn.left - 1;
        for (int x = drawn.left; x <= drawn.right; ++x) {
            const std::uint32_t pixel = canvas_pixel(from[x]);
            if (to[x] == pixel) continue;
            to[x] = pixel;
            first = std::min(first, x);
            last = x;
        }
        if (first <= last) changed = united(changed, {first, y, last, y});
    }
    return changed;
}

std::vector<std::uint8_t> picture_rgb(const SharedRecord& record, int step) {
    PagePicture picture(record, 1, [] { return 0.0; });
    picture.hold_at(step);
    picture.take_dirty();
    const std::uint8_t* rgba = picture.rgba();
    const auto pixels = static_cast<std::size_t>(picture.width() * picture.height());
    std::vector<std::uint8_t> rgb(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) std::copy_n(rgba + i * 4, 3, rgb.data() + i * 3);
    return rgb;
}

}  // namespace hcci
