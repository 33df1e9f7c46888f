// SPDX-License-Identifier: MIT
// A --set NAME=VALUE, whatever its bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/report/parameter_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hcci::EngineParameters parameters;
    const std::string_view setting(reinterpret_cast<const char*>(data), size);
    (void)hcci::apply_setting(parameters, setting);
    return 0;
}
