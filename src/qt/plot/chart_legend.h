// SPDX-License-Identifier: MIT
#pragma once

#include <QChart>
#include <QRectF>
#include <QString>
#include <vector>

// A chart's legend as a slide needs it: every entry with its whole text, never shortened, in
// rows across the chart's width beneath its plot, as many rows as the entries take. Qt Charts'
// own legend shortens its entries to "cha…" where a row is short and leaves them blank where a
// column is, so it is hidden and this one drawn from the chart's series in its place.

namespace hcci {

// An entry as drawn: its text and where it lies in the chart.
struct LegendEntryDrawn {
    QString text;
    QRectF box;         // the swatch and the text, in the chart's coordinates
    double text_width;  // the room the text is given
};

// Whether a series has an entry in the legend (it has, unless told otherwise).
void set_in_legend(QAbstractSeries& series, bool shown);
bool in_legend(const QAbstractSeries& series);

// Puts the wrapped legend on the chart (once) and lays it out again whenever the chart's size
// changes; call relay_legend after the chart's series or their names change.
void use_wrapped_legend(QChart& chart);
void relay_legend(QChart& chart);

// The entries as they are drawn now, in order.
std::vector<LegendEntryDrawn> drawn_legend(const QChart& chart);

}  // namespace hcci
