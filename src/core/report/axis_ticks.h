// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

// Ticks for a plot's linear axis by a rule that always ends. The chart library steps from tick
// to tick until it passes the axis's end; a tick below the last place the values can hold never
// gets there (a study of gamma from 1.4 to 1.4000000000001 ran for ever), and one below the
// labels' last digit prints every tick alike. Labels show six significant digits ("%.6g").

namespace hcci {

// A step of 1, 2 or 5 times a power of ten, at least `rough` (above 0).
double round_step(double rough);

// The place of the sixth significant digit of numbers as large as `magnitude`: 1e-5 for 1.4,
// 0.001 for 300; 0 for 0.
double label_place(double magnitude);

// An axis of values less an origin, over a scale: a value v sits at (v - origin) / scale. Its
// ends and the interval between its ticks are in those units.
struct AxisTicks {
    double origin = 0;  // subtracted from every value: 0, or where the offsets count from
    double scale = 1;   // a power of ten the offsets are counted in
    double low = 0, high = 1;
    double interval = 1;
    bool offsets() const { return origin != 0 || scale != 1; }
    double place_of(double value) const { return (value - origin) / scale; }
    // What a tick's label adds after its number: the scale's power of ten ("e-14"), or nothing.
    std::string label_suffix() const;
};

// A study's x axis from FROM to TO (FROM < TO): its ends exactly those, about eight ticks at
// round values; where round values would be finer than the labels' last digit, the axis
// counts offsets from FROM (+0, +2e-14, +4e-14, ...) in units of a power of ten, so that the
// chart's own arithmetic, which takes ranges within a millionth of a millionth of 1 as none,
// never sees a span that small.
AxisTicks study_axis(double from, double to);

// A range widened around its middle where it is narrower than `ticks` of the labels' last
// digit, so that round ticks over it can be told apart: a trace as flat as the numbers allow
// is drawn flat, not as a staircase of rounding.
std::pair<double, double> readable_range(std::pair<double, double> range, int ticks);

}  // namespace hcci
