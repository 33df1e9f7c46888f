// SPDX-License-Identifier: MIT
#pragma once

#include <QChart>
#include <QRectF>
#include <QScatterSeries>
#include <QString>
#include <vector>

// Value labels of a chart's marked points (the peaks), drawn by the chart's side rather than by
// Qt Charts, whose labels sit fixed above their points and print over each other where two
// points are close: here each is moved apart from those before it (core/report/label_spread.h)
// whenever the plot is laid out.

namespace hcci {

// The points of `series` labelled with their y value to `decimals` places and the unit.
void label_points(QScatterSeries& series, int decimals, const QString& unit);

// Puts the labels on the chart (once); they follow its plot area. Call relay_point_labels after
// the labelled series change.
void use_point_labels(QChart& chart);
void relay_point_labels(QChart& chart);

struct PointLabelDrawn {
    QString text;
    QRectF box;  // in the chart's coordinates
};
std::vector<PointLabelDrawn> drawn_point_labels(const QChart& chart);

}  // namespace hcci
