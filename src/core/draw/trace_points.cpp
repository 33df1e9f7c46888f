// SPDX-License-Identifier: MIT
#include "core/draw/trace_points.h"

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_segments.h"
#include "core/model/combustion_model.h"
#include "core/model/sweep.h"

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

std::vector<TracePoint> trace_points(const EngineParameters& parameters) {
    const EngineGeometry g = make_engine_geometry(parameters);
    CombustionModel m;
    reset_model(m, g);
    std::vector<TracePoint> points;
    points.reserve(2 * static_cast<std::size_t>(steps_per_sweep) + std::size_t{4} * 2500);
    int step = 0;
    for (double angle = sweep_start_angle; within_sweep(angle); angle = angle + angle_step) {
        const int phase = update_model(m, g, angle, crank_position(g, angle));
        const double x = crown_x(g, m.piston_pos);
        if (is_divided_phase(phase)) {
            points.push_back({Trace::aux_pressure, step, angle, x, m.aux_pressure});
            points.push_back({Trace::main_pressure, step, angle, x, m.main_pressure});
            points.push_back({Trace::aux_temperature, step, angle, x, m.aux_temperature});
            points.push_back({Trace::main_temperature, step, angle, x, m.main_temperature});
        } else {
            points.push_back({Trace::united_pressure, step, angle, x, m.united_pressure});
            points.push_back({Trace::united_temperature, step, angle, x, m.united_temperature});
        }
        hand_over(m, g, phase);
        ++step;
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
