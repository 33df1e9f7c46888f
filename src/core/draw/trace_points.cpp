// SPDX-License-Identifier: MIT
#include "core/draw/trace_points.h"

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_segments.h"

namespace hcci {

std::string_view trace_name(Trace trace) {
    switch (trace) {
        case Trace::united_pressure:
            return "united pressure";
        case Trace::united_temperature:
            return "united temperature";
        case Trace::main_pressure:
            return "main chamber pressure";
        case Trace::main_temperature:
            return "main chamber temperature";
        case Trace::aux_pressure:
            return "auxiliary pressure";
        case Trace::aux_temperature:
            return "auxiliary temperature";
    }
    return "";
}

bool is_pressure(Trace trace) {
    return trace == Trace::united_pressure || trace == Trace::main_pressure ||
           trace == Trace::aux_pressure;
}

std::vector<TracePoint> trace_points(const CycleRecord& record) {
    std::vector<TracePoint> points;
    points.reserve(2 * static_cast<std::size_t>(steps_per_sweep) + std::size_t{4} * 2500);
    const auto add = [&](Trace trace, int step, ChargeName charge, bool pressure) {
        const ChargeRecord& c = record.charge(charge);
        const auto i = static_cast<std::size_t>(step);
        points.push_back({trace, step, CycleRecord::crank_angle(step),
                          crown_x(record.geometry, record.piston_pos[i]),
                          pressure ? c.pressure[i] : c.temperature[i]});
    };
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        if (record.divided(step)) {
            add(Trace::aux_pressure, step, ChargeName::aux, true);
            add(Trace::main_pressure, step, ChargeName::main, true);
            add(Trace::aux_temperature, step, ChargeName::aux, false);
            add(Trace::main_temperature, step, ChargeName::main, false);
        } else {
            add(Trace::united_pressure, step, ChargeName::united, true);
            add(Trace::united_temperature, step, ChargeName::united, false);
        }
    }
    return points;
}

std::optional<TracePoint> nearest_trace_point(const std::vector<TracePoint>& points, int up_to_step,
                                              double px, double py, double reach) {
    const EngineGeometry g = make_engine_geometry();  // the diagrams' mapping is every engine's
    std::optional<TracePoint> nearest;
    double best = reach * reach;
    for (const TracePoint& p : points) {
        if (p.step > up_to_step) break;
        const double y = is_pressure(p.trace) ? pressure_y(g, p.value) : temperature_y(g, p.value);
        const double dx = pixel_x(static_cast<float>(p.crown_x)) - px;
        const double dy = pixel_y(static_cast<float>(y)) - py;
        const double distance = dx * dx + dy * dy;
        if (distance <= best) {
            best = distance;
            nearest = p;
        }
    }
    return nearest;
}

}  // namespace hcci
