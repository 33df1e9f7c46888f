// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The numbers that shape the cycle, by name, with the engine of the original program as the
// default: every value of that engine, and every pixel drawn from it, is bit for bit the same.
// Angles are crank angles in degrees (90 is top dead centre).

namespace hcci {

struct EngineParameters {
    double main_compression_ratio = 12;
    double aux_compression_ratio = 50;
    double main_share = 0.75;  // of the piston area
    double rod_length = 200;
    double gamma = 1.4;
    double start_temperature = 323;  // K at bottom dead centre
    // Phase 2 runs from the first split (included) to the first merge (included), phase 3 to the
    // second split (included), phase 4 to the second merge (included).
    double first_split_angle = 57;
    double first_merge_angle = 79;
    double second_split_angle = 101;
    double second_merge_angle = 123;
    // The auxiliary charge: a ramp from the start to the end (both included), the full factor
    // above.
    double aux_ignition_start = 75;
    double aux_ignition_end = 78;
    double aux_ignition_factor = 1.8;
    // The united charge: a ramp above the start up to the end (included), the full rise above.
    double main_ignition_start = 83;
    double main_ignition_end = 88;
    double main_ignition_rise = 0.8;

    bool operator==(const EngineParameters&) const = default;
};

// A range of allowed values; an end that is not included is open.
struct ParameterRange {
    double lowest;
    bool lowest_included;
    double highest;
    bool highest_included;

    bool contains(double value) const;
    std::string text() const;  // "(1, 100]"
};

struct ParameterInfo {
    std::string_view name;
    double EngineParameters::*member;
    std::string_view unit;  // empty for a plain number
    std::string_view meaning;
    ParameterRange range;
    std::string_view rule;  // a further rule, or empty
};

inline constexpr std::size_t parameter_count = 16;

// Every parameter, in the order of the record.
const std::array<ParameterInfo, parameter_count>& parameter_table();

// The parameter of that name, or nothing.
const ParameterInfo* find_parameter(std::string_view name);

// The names, comma separated, for a message.
std::string parameter_names();

// Why the values cannot make a cycle: the first range or order they break, as one sentence
// naming the parameter, its value and what is allowed, or a sweep that would leave the range of
// numbers. Nothing when they can.
std::optional<std::string> check_parameters(const EngineParameters& parameters);

// The ranges, the order and a step for every phase, for a caller that runs the sweep itself and
// watches it.
std::optional<std::string> check_parameter_values(const EngineParameters& parameters);

// Why a division, or the united charge between them, would get no step of the sweep: split and
// merge angles that enclose none. Nothing when every phase has a step.
std::optional<std::string> phase_without_step(const EngineParameters& parameters);

// The parameters that differ from the defaults, "name = value, ...", for a message.
std::string changed_parameters(const EngineParameters& parameters);

// A number in the shortest form that reads back to the same double.
std::string shortest_text(double value);

}  // namespace hcci
