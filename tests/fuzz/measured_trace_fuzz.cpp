// SPDX-License-Identifier: MIT
// A measured trace's file, whatever its bytes: refused in one line naming a line within the
// file, or read into rows that the analysis takes, every row with its point.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/measured_trace.h"
#include "core/report/measured_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = hcci::read_measured_trace(text);
    if (const auto* problem = std::get_if<hcci::MeasuredProblem>(&read)) {
        const std::string message = hcci::measured_problem_text(*problem);
        if (message.find('\n') != std::string::npos || problem->line > size + 1) __builtin_trap();
        return 0;
    }
    const hcci::MeasuredTrace& trace = std::get<hcci::MeasuredTrace>(read);
    std::vector<hcci::MeasuredPoint> points;
    const hcci::MeasuredAnalysis analysis = hcci::analyse_measured(trace, {}, &points);
    if (analysis.rows != trace.angle_deg.size() || points.size() != analysis.rows) __builtin_trap();
    return 0;
}
