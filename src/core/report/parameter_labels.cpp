// SPDX-License-Identifier: MIT
#include "core/report/parameter_labels.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"

namespace hcci {
namespace {

using G = ParameterGroup;

constexpr std::array<ParameterLabel, parameter_count> labels{{
    {"main_compression_ratio", "Main chamber compression ratio", G::geometry, 0.5},
    {"aux_compression_ratio", "Auxiliary chamber compression ratio", G::geometry, 0.5},
    {"main_share", "Main chamber's share of the piston", G::geometry, 0.01},
    {"rod_length", "Connecting rod length", G::geometry, 5},
    {"gamma", "Ratio of specific heats (\u03b3)", G::operating_point, 0.01},
    {"start_temperature", "Temperature at bottom dead centre", G::operating_point, 5},
    {"bdc_pressure", "Pressure at bottom dead centre", G::operating_point, 0.05},
    {"engine_speed", "Engine speed", G::operating_point, 50},
    {"first_split_atdc", "Chambers divide", G::chamber_timing, 0.5},
    {"first_merge_atdc", "Chambers unite", G::chamber_timing, 0.5},
    {"second_split_atdc", "Chambers divide again", G::chamber_timing, 0.5},
    {"second_merge_atdc", "Chambers unite again", G::chamber_timing, 0.5},
    {"aux_ignition_start_atdc", "Auxiliary ignition begins", G::scheduled_ignition, 0.5},
    {"aux_ignition_end_atdc", "Auxiliary ignition ends", G::scheduled_ignition, 0.5},
    {"aux_ignition_factor", "Auxiliary ignition factor", G::scheduled_ignition, 0.05},
    {"main_ignition_start_atdc", "Main ignition begins", G::scheduled_ignition, 0.5},
    {"main_ignition_end_atdc", "Main ignition ends", G::scheduled_ignition, 0.5},
    {"main_ignition_rise", "Main ignition rise", G::scheduled_ignition, 0.05},
    {"equivalence_ratio", "Equivalence ratio (\u03c6)", G::fuel_and_predictive_ignition, 0.01},
    {"oxygen_percent", "Oxygen in the charge", G::fuel_and_predictive_ignition, 0.5},
    {"fuel_heating_value", "Fuel's lower heating value", G::fuel_and_predictive_ignition, 0.5},
    {"stoichiometric_air_fuel_ratio", "Stoichiometric air-fuel ratio",
     G::fuel_and_predictive_ignition, 0.1},
    {"ignition_delay_prefactor", "Ignition delay: prefactor A", G::fuel_and_predictive_ignition,
     0.001},
    {"ignition_delay_pressure_exponent", "Ignition delay: pressure exponent",
     G::fuel_and_predictive_ignition, 0.01},
    {"ignition_delay_phi_exponent", "Ignition delay: \u03c6 exponent",
     G::fuel_and_predictive_ignition, 0.01},
    {"ignition_delay_oxygen_exponent", "Ignition delay: oxygen exponent",
     G::fuel_and_predictive_ignition, 0.01},
    {"ignition_activation_energy", "Ignition delay: activation energy",
     G::fuel_and_predictive_ignition, 100},
    {"aux_burn_duration", "Auxiliary charge's burn duration", G::fuel_and_predictive_ignition, 0.5},
    {"main_burn_duration", "Main charge's burn duration", G::fuel_and_predictive_ignition, 0.5},
}};

}  // namespace

std::string_view group_title(ParameterGroup group) {
    switch (group) {
        case G::geometry:
            return "Geometry";
        case G::operating_point:
            return "Operating point";
        case G::chamber_timing:
            return "Chamber timing";
        case G::scheduled_ignition:
            return "Scheduled ignition";
        case G::fuel_and_predictive_ignition:
            return "Fuel and predictive ignition";
    }
    return "";
}

std::span<const ParameterLabel> parameter_labels() {
    return labels;
}

const ParameterLabel& label_of(const ParameterInfo& parameter) {
    const auto found = std::find_if(labels.begin(), labels.end(), [&](const ParameterLabel& l) {
        return l.name == parameter.name;
    });
    if (found == labels.end()) throw std::logic_error("a parameter without its label");
    return *found;
}

std::string parameter_tooltip(const ParameterInfo& parameter) {
    const ParameterLabel& label = label_of(parameter);
    std::string text = std::string(label.plain) + ": " + std::string(parameter.meaning) + ".\n";
    if (!parameter.unit.empty()) text += "Unit: " + std::string(parameter.unit) + ". ";
    text += "Allowed: " + range_text(parameter.range) +
            ". Default: " + shortest_text(EngineParameters{}.*parameter.member) + ".\n";
    switch (parameter.use) {
        case ParameterUse::scheduled:
            text += "Shapes the scheduled model only.\n";
            break;
        case ParameterUse::predictive:
            text += "Shapes the predictive model only.\n";
            break;
        case ParameterUse::both:
            break;
    }
    return text + "In a parameter file: " + std::string(parameter.name);
}

}  // namespace hcci
