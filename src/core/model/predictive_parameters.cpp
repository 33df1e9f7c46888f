// SPDX-License-Identifier: MIT
#include "core/model/predictive_parameters.h"

#include <array>

namespace hcci {
namespace {

using P = EngineParameters;
constexpr std::string_view size_group = "Engine size";
constexpr std::string_view fuel_group = "Fuel and predictive ignition";
constexpr std::string_view physics_group = "Gas, walls, burn and mixing";

const std::array<ParameterInfo, 18> numbers{{
    {"bore_mm",
     &P::bore_mm,
     "mm",
     "the cylinder's bore: the piston's area and the walls' perimeter",
     {20, true, 1000, true},
     size_group,
     "Bore",
     1},
    {"stroke_mm",
     &P::stroke_mm,
     "mm",
     "the piston's stroke: a height unit is a hundredth of it; the mean piston speed",
     {20, true, 1000, true},
     size_group,
     "Stroke",
     1},
    {"equivalence_ratio",
     &P::equivalence_ratio,
     "",
     "fuel to air over the stoichiometric ratio",
     {0.05, true, 1, true},
     fuel_group,
     "Equivalence ratio (\u03c6)",
     0.01},
    {"oxygen_percent",
     &P::oxygen_percent,
     "%",
     "oxygen in the charge, by volume",
     {1, true, 21, true},
     fuel_group,
     "Oxygen in the charge",
     0.5},
    {"fuel_heating_value",
     &P::fuel_heating_value,
     "MJ/kg",
     "the fuel's lower heating value",
     {0, false, 100, true},
     fuel_group,
     "Fuel's lower heating value",
     0.5},
    {"stoichiometric_air_fuel_ratio",
     &P::stoichiometric_air_fuel_ratio,
     "",
     "air to fuel by mass at stoichiometry",
     {1, false, 100, true},
     fuel_group,
     "Stoichiometric air-fuel ratio",
     0.1},
    {"ignition_delay_prefactor",
     &P::ignition_delay_prefactor,
     "ms",
     "A of the ignition delay A (p/1 atm)^-np phi^-nphi chi^-nO2 exp(E/(R T))",
     {0, false, 10, true},
     fuel_group,
     "Ignition delay: prefactor A",
     0.001},
    {"ignition_delay_pressure_exponent",
     &P::ignition_delay_pressure_exponent,
     "",
     "np of the ignition delay",
     {0, true, 5, true},
     fuel_group,
     "Ignition delay: pressure exponent",
     0.01},
    {"ignition_delay_phi_exponent",
     &P::ignition_delay_phi_exponent,
     "",
     "nphi of the ignition delay",
     {0, true, 5, true},
     fuel_group,
     "Ignition delay: \u03c6 exponent",
     0.01},
    {"ignition_delay_oxygen_exponent",
     &P::ignition_delay_oxygen_exponent,
     "",
     "nO2 of the ignition delay",
     {0, true, 5, true},
     fuel_group,
     "Ignition delay: oxygen exponent",
     0.01},
    {"ignition_activation_energy",
     &P::ignition_activation_energy,
     "cal/mol",
     "E of the ignition delay",
     {0, true, 100000, true},
     fuel_group,
     "Ignition delay: activation energy",
     100},
    {"aux_burn_duration",
     &P::aux_burn_duration,
     "degrees",
     "the burn of fuel ignited in the auxiliary chamber (Wiebe, with burn = crank)",
     {0, false, 180, true},
     fuel_group,
     "Auxiliary charge's burn duration",
     0.5},
    {"main_burn_duration",
     &P::main_burn_duration,
     "degrees",
     "the burn of fuel ignited outside the auxiliary chamber (Wiebe, with burn = crank)",
     {0, false, 180, true},
     fuel_group,
     "Main charge's burn duration",
     0.5},
    {"wall_temperature",
     &P::wall_temperature,
     "K",
     "the walls' temperature, against which the charge loses heat",
     {250, true, 1500, true},
     physics_group,
     "Wall temperature",
     5},
    {"ignition_zones",
     &P::ignition_zones,
     "",
     "zones of equal fuel across the unburned gas's spread of temperature, each igniting on its "
     "own",
     {1, true, 50, true},
     physics_group,
     "Ignition zones",
     1,
     true},
    {"thermal_stratification",
     &P::thermal_stratification,
     "",
     "the zones' spread: zone k at T_u (1 + s z_k), z_k the standard normal quantiles",
     {0, true, 0.1, true},
     physics_group,
     "Thermal stratification",
     0.001},
    {"zone_burn_ms",
     &P::zone_burn_ms,
     "ms",
     "the burn of an ignited zone (Wiebe in time, with burn = time)",
     {0, false, 100, true},
     physics_group,
     "Burn time of a zone",
     0.05},
    {"merge_mixing_ms",
     &P::merge_mixing_ms,
     "ms",
     "the time the unburned gas takes to mix with the burned gas, after a merge and within a "
     "charge; 0 mixes at once",
     {0, true, 1000, true},
     physics_group,
     "Mixing time",
     0.1},
}};

const std::array<ChoiceOption, 2> property_options{{
    {"variable", "gamma(T) = 1.392 - 8.13e-5 T (Gatowski et al.)"},
    {"constant", "gamma, the parameter"},
}};
const std::array<ChoiceOption, 2> heat_transfer_options{{
    {"woschni", "the walls take heat by Woschni's correlation in Chang's form"},
    {"none", "no heat crosses the walls"},
}};
const std::array<ChoiceOption, 2> burn_options{{
    {"time", "ignited fuel burns on a Wiebe curve of zone_burn_ms"},
    {"crank", "ignited fuel burns on a Wiebe curve of aux_burn_duration or main_burn_duration"},
}};

const std::array<ChoiceInfo, 3> choices{{
    {"properties", &P::properties, property_options, "the gas's ratio of specific heats",
     physics_group, "Gas properties"},
    {"heat_transfer", &P::heat_transfer, heat_transfer_options, "heat lost to the walls",
     physics_group, "Heat transfer"},
    {"burn", &P::burn, burn_options, "how ignited fuel burns", physics_group, "Burn"},
}};

}  // namespace

std::span<const ParameterInfo> predictive_parameters() {
    return numbers;
}

std::span<const ChoiceInfo> predictive_choices() {
    return choices;
}

}  // namespace hcci
