// SPDX-License-Identifier: MIT
#include "core/draw/trace_points.h"

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_segments.h"
#include "core/model/stepper.h"

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
    std::vector<TracePoint> points;
    points.reserve(2 * static_cast<std::size_t>(steps_per_sweep) + std::size_t{4} * 2500);
    Stepper stepper(parameters);
    const auto add = [&points](const Stepper& s) {
        const CombustionModel& m = s.state();
        const int step = s.step_index();
        const double angle = s.crank_angle();
        const double x = crown_x(s.geometry(), m.piston_pos);
        if (is_divided_phase(s.phase())) {
            points.push_back({Trace::aux_pressure, step, angle, x, m.aux_pressure});
            points.push_back({Trace::main_pressure, step, angle, x, m.main_pressure});
            points.push_back({Trace::aux_temperature, step, angle, x, m.aux_temperature});
            points.push_back({Trace::main_temperature, step, angle, x, m.main_temperature});
        } else {
            points.push_back({Trace::united_pressure, step, angle, x, m.united_pressure});
            points.push_back({Trace::united_temperature, step, angle, x, m.united_temperature});
        }
    };
    run_sweep(stepper, add, no_look);
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
