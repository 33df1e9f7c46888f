// SPDX-License-Identifier: MIT
#include "core/report/csv_export.h"

#include <cmath>

#include "core/model/readout.h"
#include "core/report/number_text.h"

namespace hcci {

std::string sweep_csv(const CycleRecord& record) {
    std::string out;
    out.reserve(static_cast<std::size_t>(steps_per_sweep) * 256);
    out += csv_header;
    for (const RecordChannel& channel : record.channels) out += "," + channel.column();
    out += '\n';
    const ChargeRecord& united = record.charge(ChargeName::united);
    const ChargeRecord& main = record.charge(ChargeName::main);
    const ChargeRecord& aux = record.charge(ChargeName::aux);
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        const auto i = static_cast<std::size_t>(step);
        const double crank_angle = CycleRecord::crank_angle(step);
        out += std::to_string(step);
        out += ',';
        append_shortest(out, angle_atdc(crank_angle));
        out += ',';
        out += std::to_string(record.phase[i]);
        out += ',';
        out += readout_text(readout_value(crank_angle));
        for (const double value :
             {record.piston_pos[i], crown_x(record.geometry, record.piston_pos[i]),
              united.pressure[i], united.temperature[i]}) {
            out += ',';
            append_shortest(out, value);
        }
        const bool divided = record.divided(step);
        for (const double value : {main.pressure[i], main.temperature[i], aux.pressure[i],
                                   aux.temperature[i], main.volume[i], aux.volume[i]}) {
            out += ',';
            if (divided) append_shortest(out, value);
        }
        for (const RecordChannel& channel : record.channels) {
            out += ',';
            if (!std::isnan(channel.values[i])) append_shortest(out, channel.values[i]);
        }
        out += '\n';
    }
    return out;
}

}  // namespace hcci
