// SPDX-License-Identifier: MIT
// A --vary NAME=FROM:TO:STEP, whatever its bytes: its values counted and told apart, and the
// plot's axis over them, all of which must end.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "core/report/axis_ticks.h"
#include "core/report/study_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto range = hcci::parse_study_range(text);
    const auto* studied = std::get_if<hcci::StudyRange>(&range);
    if (studied == nullptr) return 0;
    const auto values = hcci::study_values(*studied);
    if (!values || values->size() < 2 || !(values->back() > values->front())) return 0;
    const hcci::AxisTicks axis = hcci::study_axis(values->front(), values->back());
    // The ticks a chart would step through: a handful, however narrow the range.
    int ticks = 0;
    for (double tick = axis.low; tick <= axis.high && ticks < 100; tick += axis.interval) ++ticks;
    if (ticks >= 100) __builtin_trap();
    return 0;
}
