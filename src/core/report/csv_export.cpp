// SPDX-License-Identifier: MIT
#include "core/report/csv_export.h"

#include <charconv>

#include "core/animate/readout.h"
#include "core/model/sweep.h"

namespace hcci {

void append_number(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_csv_row(std::string& out, int step, double crank_angle, int phase,
                    const EngineGeometry& geometry, const CombustionModel& model) {
    out += std::to_string(step);
    out += ',';
    append_number(out, crank_angle);
    out += ',';
    out += std::to_string(phase);
    out += ',';
    out += readout_text(readout_value(crank_angle));
    for (const double value : {model.piston_pos, crown_x(geometry, model.piston_pos),
                               model.united_pressure, model.united_temperature}) {
        out += ',';
        append_number(out, value);
    }
    const bool divided = is_divided_phase(phase);
    for (const double value : {model.main_pressure, model.main_temperature, model.aux_pressure,
                               model.aux_temperature, model.main_volume, model.aux_volume}) {
        out += ',';
        if (divided) append_number(out, value);
    }
    out += '\n';
}

std::string sweep_csv(const EngineParameters& parameters) {
    std::string out;
    out.reserve(static_cast<std::size_t>(steps_per_sweep) * 256);
    out += csv_header;
    out += '\n';
    const EngineGeometry geometry = make_engine_geometry(parameters);
    CombustionModel model;
    reset_model(model, geometry);
    int step = 0;
    for (double angle = sweep_start_angle; within_sweep(angle); angle = angle + angle_step) {
        const int phase = step_model(model, geometry, angle, crank_position(geometry, angle));
        append_csv_row(out, step++, angle, phase, geometry, model);
    }
    return out;
}

}  // namespace hcci
