// SPDX-License-Identifier: MIT
#include "core/draw/off_picture.h"

#include "core/draw/logical_mapping.h"
#include "core/draw/trace_segments.h"

namespace hcci {

std::vector<TraceOffPicture> traces_off_picture(const CycleAnalysis& analysis) {
    const EngineGeometry g = make_engine_geometry();  // the diagrams' mapping is every engine's
    // Zero lies at each diagram's base; the picture ends at its top and its bottom edge.
    const double highest_pressure = g.pressure_base_y - logical_top;
    const double highest_temperature =
        (logical_top + logical_height - g.temperature_base_y) * g.kelvin_per_unit;
    const struct {
        Trace trace;
        const Peak& peak;
        double top;
    } traces[] = {
        {Trace::united_pressure, analysis.united.peak_pressure, highest_pressure},
        {Trace::main_pressure, analysis.main.peak_pressure, highest_pressure},
        {Trace::aux_pressure, analysis.aux.peak_pressure, highest_pressure},
        {Trace::united_temperature, analysis.united.peak_temperature, highest_temperature},
        {Trace::main_temperature, analysis.main.peak_temperature, highest_temperature},
        {Trace::aux_temperature, analysis.aux.peak_temperature, highest_temperature},
    };
    std::vector<TraceOffPicture> off;
    for (const auto& t : traces) {
        if (t.peak.step >= 0 && t.peak.value > t.top) off.push_back({t.trace, t.peak.value, t.top});
    }
    return off;
}

}  // namespace hcci
