// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <vector>

#include "core/model/cycle_record.h"
#include "qt/plot/view_backdrop.h"
#include "qt/video/video_frames.h"

// The frames of a landscape video for a 16:9 slide: the sweep's picture at the left, as tall as
// the frame, and the pressure-angle view beside it with a cursor at the angle of the step shown.

namespace hcci {

inline constexpr QSize side_frame_size(1920, 1080);

// Where the picture and the view lie in a side frame.
QRect side_picture_rect();
QRect side_view_rect();

class SideFrames {
public:
    SideFrames(const SharedRecord& record, bool labels);

    // The frame after that step; steps must not go back.
    const QImage& advance_to(int step);
    const QImage& frame() const { return frame_; }
    // The frame changes all over (the picture is scaled afresh), every row whole.
    const std::vector<RowChange>& changes() const { return all_; }

private:
    VideoPictures pictures_;
    ViewBackdrop backdrop_;
    QImage frame_;
    std::vector<RowChange> all_;
};

}  // namespace hcci
