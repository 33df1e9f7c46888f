// SPDX-License-Identifier: MIT
// A parameter file's text, whatever its bytes: read, or refused with a message; never a crash,
// a hang or a sanitizer's report.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/report/parameter_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hcci::EngineParameters parameters;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)hcci::apply_parameter_text(parameters, text, "fuzz.toml");
    return 0;
}
