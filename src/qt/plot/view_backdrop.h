// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <vector>

#include "core/model/cycle_series.h"
#include "core/report/view_charts.h"

// A view drawn once as a picture, that a cursor at any crank angle is then drawn over: the
// frames of a video that shows the view beside the sweep cost a line each, not a chart.

namespace hcci {

// Where the crank angles fall on a chart of the picture: its plot area, and the angles at its
// left and right edges.
struct AngleSpan {
    QRectF plot_area;
    double left_angle = 0, right_angle = 0;
};

struct ViewBackdrop {
    QImage image;                  // the view of the sweep, its title above its charts, on white
    std::vector<AngleSpan> spans;  // the charts' whose x is the crank angle
};

// The view as render_view draws it at that size, as an image, with its charts' angle spans.
ViewBackdrop draw_view_backdrop(const CycleView& view, const CycleSeries& series, QSize size);

// The cursor at the angle, a line across every plot area that shows it.
void draw_angle_cursor(QImage& image, const ViewBackdrop& backdrop, double angle_deg);

}  // namespace hcci
