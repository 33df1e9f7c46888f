// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "qt/picture/image_surface.h"

// Any step of one sweep of one engine, at one scale, shown at once: a snapshot every so many
// steps (the surface's picture and the driver's state), made while the sweep is drawn once in
// the background, and a replay of the steps after the nearest. A step asked for before its
// snapshot is made has the build go on to it first.

namespace hcci {

class PictureTimeline {
public:
    // Steps between snapshots: 1000 at the client area's own size (19 pictures, 35 MB), and
    // in proportion to the scale above it, so that the memory grows with the scale, not with
    // its square, while a replay stays within a frame or two (73 MB and 10 snapshots at 2x).
    static int snapshot_interval(double scale);

    PictureTimeline(SharedRecord record, double scale);
    PictureTimeline(const PictureTimeline&) = delete;
    PictureTimeline& operator=(const PictureTimeline&) = delete;

    // Draws more of the sweep, taking its snapshots, until out_of_time() (asked every few steps)
    // or the end; whether the whole sweep is in.
    bool build(const std::function<bool()>& out_of_time);
    bool complete() const;

    struct Moment {
        std::unique_ptr<ImageSurface> surface;  // showing the picture after the step
        DriverSnapshot driver;                  // the driver after it, at its freeze point
    };
    // From the nearest snapshot; before the build has made it, drawn at once (moment_at).
    Moment at(int step);

    const SharedRecord& record() const { return record_; }
    double scale() const { return scale_; }
    // The memory the snapshots take.
    std::size_t snapshot_bytes() const;

private:
    // The step of the next snapshot to make (the last step once they are all made).
    int next_snapshot_step() const;
    // Draws on to the step, and takes its snapshot when one is due there.
    bool build_to(
        int step, const std::function<bool()>& out_of_time = [] { return false; });

    struct Snapshot {
        QImage picture;
        DriverSnapshot driver;
    };

    SharedRecord record_;
    double scale_;
    int interval_;
    std::vector<Snapshot> snapshots_;  // at steps 0, interval_, 2 interval_, ...
    ImageSurface builder_surface_;
    RunControl builder_run_;
    CycleDriver builder_;
};

// The picture after any step of a fresh sweep and the driver there, without a timeline: the
// background and the traces as the sweep draws them, the crown's history at once
// (draw_piston_history). The same pixels as the sweep drawn step by step, in a few
// milliseconds at any step.
PictureTimeline::Moment moment_at(const SharedRecord& record, double scale, int step);

}  // namespace hcci
