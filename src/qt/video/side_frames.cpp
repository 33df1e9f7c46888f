// SPDX-License-Identifier: MIT
#include "qt/video/side_frames.h"

#include <QPainter>
#include <cmath>
#include <stdexcept>

#include "core/draw/logical_mapping.h"
#include "core/model/cycle_series.h"
#include "core/model/sweep.h"
#include "core/report/view_charts.h"

namespace hcci {
namespace {

// The picture is drawn at twice the client area and scaled down to the frame's height, which
// keeps its one-pixel traces whole where drawing it at the fraction would thin them.
constexpr int drawn_scale = 2;

const CycleView& pressure_angle() {
    const CycleView* view = view_named("pressure-angle");
    if (view == nullptr) throw std::logic_error("no pressure-angle view");
    return *view;
}

}  // namespace

QRect side_picture_rect() {
    const int height = side_frame_size.height();
    const int width =
        static_cast<int>(std::lround(static_cast<double>(client_width) * height / client_height));
    return {0, 0, width, height};
}

QRect side_view_rect() {
    const QRect picture = side_picture_rect();
    return {picture.right() + 1, 0, side_frame_size.width() - picture.width(),
            side_frame_size.height()};
}

SideFrames::SideFrames(const SharedRecord& record, bool labels)
    : pictures_(record, drawn_scale, labels),
      backdrop_(
          draw_view_backdrop(pressure_angle(), cycle_series(*record), side_view_rect().size())),
      frame_(side_frame_size, QImage::Format_RGB32),
      all_(static_cast<std::size_t>(side_frame_size.height()),
           RowChange{0, side_frame_size.width() - 1}) {
    if (frame_.isNull()) throw std::bad_alloc();
    frame_.fill(Qt::white);
}

const QImage& SideFrames::advance_to(int step) {
    const QImage& picture = pictures_.advance_to(step);
    const QRect at = side_picture_rect();
    const QRect view = side_view_rect();
    QImage beside = backdrop_.image.copy();
    draw_angle_cursor(beside, backdrop_, angle_atdc(CycleRecord::crank_angle(step)));
    QPainter painter(&frame_);
    painter.drawImage(at.topLeft(),
                      picture.scaled(at.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawImage(view.topLeft(), beside);
    return frame_;
}

}  // namespace hcci
