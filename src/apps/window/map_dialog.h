// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

#include "core/model/engine_parameters.h"

// The explorer's operating map: two parameters and their ranges asked in a small dialog, the map
// run on every core with its progress and a way to call it off, then its plot shown; a click on
// a cell loads that engine, and the table and plot are offered to save.

namespace hcci {

void map_in_dialog(QWidget* parent, const EngineParameters& engine,
                   const std::function<void(const EngineParameters&)>& load);

}  // namespace hcci
