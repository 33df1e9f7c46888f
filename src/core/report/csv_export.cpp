// SPDX-License-Identifier: MIT
#include "core/report/csv_export.h"

#include <cmath>

#include "core/model/readout.h"
#include "core/model/stepper.h"
#include "core/report/number_text.h"

namespace hcci {

void append_csv_row(std::string& out, int step, double crank_angle, int phase,
                    const EngineGeometry& geometry, const CombustionModel& model,
                    const FuelReadings* fuel) {
    out += std::to_string(step);
    out += ',';
    append_shortest(out, angle_atdc(crank_angle));
    out += ',';
    out += std::to_string(phase);
    out += ',';
    out += readout_text(readout_value(crank_angle));
    for (const double value : {model.piston_pos, crown_x(geometry, model.piston_pos),
                               model.united_pressure, model.united_temperature}) {
        out += ',';
        append_shortest(out, value);
    }
    const bool divided = is_divided_phase(phase);
    for (const double value : {model.main_pressure, model.main_temperature, model.aux_pressure,
                               model.aux_temperature, model.main_volume, model.aux_volume}) {
        out += ',';
        if (divided) append_shortest(out, value);
    }
    if (fuel != nullptr) {
        for (const double value : {fuel->united_burned, fuel->main_burned, fuel->aux_burned,
                                   fuel->heat_released}) {
            out += ',';
            if (!std::isnan(value)) append_shortest(out, value);
        }
    }
    out += '\n';
}

std::string sweep_csv(const EngineParameters& parameters) {
    std::string out;
    out.reserve(static_cast<std::size_t>(steps_per_sweep) * 256);
    Stepper stepper(parameters);
    out += csv_header;
    if (stepper.fuel() != nullptr) out += fuel_csv_header;
    out += '\n';
    run_sweep(stepper, no_look, [&out](const Stepper& s) {
        append_csv_row(out, s.step_index(), s.crank_angle(), s.phase(), s.geometry(), s.state(),
                       s.fuel());
    });
    return out;
}

}  // namespace hcci
