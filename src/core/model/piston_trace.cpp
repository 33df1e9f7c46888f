// SPDX-License-Identifier: MIT
#include "core/model/cycle_record.h"
#include "core/model/measured_trace.h"
#include "core/model/sweep.h"

namespace hcci {

MeasuredTrace piston_trace(const CycleRecord& record) {
    const double share = record.geometry.main_share;
    const std::vector<double>& united = record.charge(ChargeName::united).pressure;
    const std::vector<double>& main = record.charge(ChargeName::main).pressure;
    const std::vector<double>& aux = record.charge(ChargeName::aux).pressure;
    MeasuredTrace trace;
    const auto steps = static_cast<std::size_t>(CycleRecord::steps());
    trace.angle_deg.reserve(steps + 2);
    trace.pressure_bar.reserve(steps + 2);
    for (std::size_t i = 0; i < steps; ++i) {
        const int step = static_cast<int>(i);
        const double angle = angle_atdc(CycleRecord::crank_angle(step));
        const bool divided = record.divided(step);
        trace.angle_deg.push_back(angle);
        trace.pressure_bar.push_back(divided ? share * main[i] + (1 - share) * aux[i] : united[i]);
        // The partition opens: the merged charge's pressure at the same angle.
        if (divided && (i + 1 == steps || !record.divided(step + 1))) {
            trace.angle_deg.push_back(angle);
            trace.pressure_bar.push_back(united[i]);
        }
    }
    return trace;
}

}  // namespace hcci
