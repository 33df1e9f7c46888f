// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

#include "core/model/engine_parameters.h"

// The outputs that must not change by accident are pinned by their 64-bit FNV-1a hash, taken
// from the files a release build wrote, for three engines: the original one and two others.

namespace hcci {

inline std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325u) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

struct PinnedEngine {
    const char* name;
    void (*change)(EngineParameters&);

    EngineParameters parameters() const {
        EngineParameters p;
        change(p);
        return p;
    }
};

inline const PinnedEngine pinned_engines[] = {
    {"original", [](EngineParameters&) {}},
    {"gamma_ratio_aux",
     [](EngineParameters& p) {
         p.gamma = 1.3;
         p.main_compression_ratio = 14;
         p.aux_ignition_start_atdc = -16;
     }},
    {"share_rod_schedule",
     [](EngineParameters& p) {
         p.main_share = 0.6;
         p.rod_length = 150;
         p.start_temperature = 350;
         p.first_split_atdc = -30;
         p.second_merge_atdc = 30;
         p.main_ignition_rise = 1.2;
     }},
};

}  // namespace hcci
