// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "core/draw/off_picture.h"
#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"

// What the views add to the texts: a word on traces that leave the picture, and two engines'
// analyses side by side.

namespace hcci {

// "off the picture, which shows up to 155 bar: auxiliary pressure 246.78 bar; see the views",
// one line without its newline; empty when every trace stays in the picture.
std::string off_picture_text(const std::vector<TraceOffPicture>& off);

// Every quantity of the analysis in three columns: the current engine, the baseline and the
// difference (current less baseline). The two engines are named first.
std::string comparison_text(const CycleAnalysis& current, const EngineParameters& current_engine,
                            const CycleAnalysis& baseline, const EngineParameters& baseline_engine);

}  // namespace hcci
