// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "core/model/cycle_record.h"

// One sweep's values as comma-separated text: a header line, then a row per crank step. No toolkit
// here.

namespace hcci {

// The columns every model has. The model's own channels follow, each charge's named after it
// (united_burned, main_burned, aux_burned, heat_released for the predictive model).
inline constexpr std::string_view csv_header =
    "step,angle_atdc,phase,readout,piston_pos,crown_x,united_pressure,united_temperature,"
    "main_pressure,main_temperature,aux_pressure,aux_temperature,main_volume,aux_volume";

// The header and the 18001 rows of a recorded cycle, each line ending in "\n": the united
// columns hold the values after each step (while divided, the chambers merged), the chambers'
// only while divided; a channel's cell is empty where the model does not define it.
std::string sweep_csv(const CycleRecord& record);

}  // namespace hcci
