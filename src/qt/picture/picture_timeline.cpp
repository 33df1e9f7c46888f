// SPDX-License-Identifier: MIT
#include "qt/picture/picture_timeline.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/draw/moving_parts.h"
#include "core/model/sweep.h"

namespace hcci {

int PictureTimeline::snapshot_interval(double scale) {
    constexpr int interval_at_scale_1 = 1000;
    return static_cast<int>(std::lround(interval_at_scale_1 * std::max(1.0, scale)));
}

PictureTimeline::PictureTimeline(SharedRecord record, double scale)
    : record_(std::move(record)),
      scale_(scale),
      interval_(snapshot_interval(scale)),
      builder_surface_(scale),
      builder_(builder_surface_, builder_run_, record_) {}

bool PictureTimeline::build(const std::function<bool()>& out_of_time) {
    while (!complete()) {
        if (!build_to(next_snapshot_step(), out_of_time)) return false;
    }
    return true;
}

bool PictureTimeline::complete() const {
    return builder_.step_index() == last_step;
}

int PictureTimeline::next_snapshot_step() const {
    return std::min(last_step, static_cast<int>(snapshots_.size()) * interval_);
}

bool PictureTimeline::build_to(int step, const std::function<bool()>& out_of_time) {
    if (!builder_.run_to(step, out_of_time)) return false;
    if (static_cast<std::size_t>(step) == snapshots_.size() * static_cast<std::size_t>(interval_)) {
        snapshots_.push_back({builder_surface_.image().copy(), builder_.snapshot()});
    }
    return true;
}

PictureTimeline::Moment PictureTimeline::at(int step) {
    if (step < 0 || step > last_step) throw std::out_of_range("no such step in a sweep");
    // A snapshot not made yet is not waited for.
    const auto wanted = static_cast<std::size_t>(step / interval_);
    if (snapshots_.size() <= wanted) return moment_at(record_, scale_, step);
    const Snapshot& from = snapshots_[wanted];
    Moment moment;
    moment.surface = std::make_unique<ImageSurface>(scale_, from.picture);
    RunControl run;
    CycleDriver replay(*moment.surface, run, record_);
    replay.restore(from.driver);
    replay.run_to(step);
    moment.driver = replay.snapshot();
    return moment;
}

PictureTimeline::Moment moment_at(const SharedRecord& record, double scale, int step) {
    if (step < 0 || step > last_step) throw std::out_of_range("no such step in a sweep");
    PictureTimeline::Moment moment;
    moment.surface = std::make_unique<ImageSurface>(scale);
    RunControl run;
    CycleDriver driver(*moment.surface, run, record);
    driver.leave_out_moving_parts(true);
    driver.run_to(step);
    draw_piston_history(*moment.surface, record->geometry,
                        std::span(record->piston_pos).first(static_cast<std::size_t>(step) + 1),
                        scale);
    moment.driver = driver.snapshot();
    return moment;
}

std::size_t PictureTimeline::snapshot_bytes() const {
    std::size_t bytes = 0;
    for (const Snapshot& s : snapshots_) bytes += static_cast<std::size_t>(s.picture.sizeInBytes());
    return bytes;
}

}  // namespace hcci
