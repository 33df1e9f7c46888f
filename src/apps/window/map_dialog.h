// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <variant>

#include "apps/window/map_view.h"
#include "core/model/engine_parameters.h"
#include "core/model/operating_map.h"

// The explorer's operating map: two parameters and their ranges asked in a small dialog, the map
// run on every core with its progress and a way to call it off. Nothing when it was called off
// or refused (the refusal said).

namespace hcci {

std::optional<MapResult> map_in_dialog(QWidget* parent, const EngineParameters& engine);

// The map of that grid about the engine, its table and plot; or where it stopped. progress is
// told now and then and may throw to call the map off.
std::variant<MapResult, MapProblem> run_map_result(const EngineParameters& engine,
                                                   const MapGrid& grid,
                                                   const std::function<void(int, int)>& progress);

}  // namespace hcci
