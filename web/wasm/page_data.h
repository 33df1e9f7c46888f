// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_series.h"
#include "web/wasm/page_engine.h"

// What the page reads from the core, as JSON: the models and their parameters, the engine a
// set of settings made, and a view's charts.

namespace hcci {

// Every model (name, summary, the value of every parameter in its defaults) and every parameter
// (name, label, unit, meaning, group, range and its text, slider step, the models it shapes and
// its tooltip for each), and every view (name, title, tab).
std::string registry_json();

// The engine's model and every value, the settings that count, the same engine as its link
// gives it (settings_of), those refused with their reasons, and the notices.
std::string engine_json(const PageEngine& engine);

// A view's charts: titles, logarithmic axes, a fixed x range, the value's unit, and each line's
// name, colour, whether it is the baseline's, and its points as [first, count) of `points`
// (x, y pairs); the divisions and ignitions of the current engine to mark.
std::string view_json(std::string_view view_name, const CycleSeries& current,
                      const CycleSeries* baseline, std::vector<double>& points);

}  // namespace hcci
