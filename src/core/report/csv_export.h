// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"
#include "core/model/predictive_model.h"

// One sweep's values as comma-separated text: a header line, then a row per crank step. No toolkit
// here.

namespace hcci {

inline constexpr std::string_view csv_header =
    "step,angle_atdc,phase,readout,piston_pos,crown_x,united_pressure,united_temperature,"
    "main_pressure,main_temperature,aux_pressure,aux_temperature,main_volume,aux_volume";

// The predictive model's columns after those: each charge's fuel burned (empty where the
// charge is not present) and the heat released so far, J per litre displaced.
inline constexpr std::string_view fuel_csv_header =
    ",united_burned,main_burned,aux_burned,heat_released";

// Appends the row of the step that just ran; the chamber cells stay empty while the chambers are
// united. The fuel's cells follow where the model has fuel.
void append_csv_row(std::string& out, int step, double crank_angle, int phase,
                    const EngineGeometry& geometry, const CombustionModel& model,
                    const FuelReadings* fuel = nullptr);

// The header and the 18001 rows of the first sweep of a fresh start of that engine, each line
// ending in "\n".
std::string sweep_csv(const EngineParameters& parameters = {});

}  // namespace hcci
