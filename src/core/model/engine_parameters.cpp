// SPDX-License-Identifier: MIT
#include "core/model/engine_parameters.h"

#include <algorithm>
#include <cmath>

#include "core/model/stepper.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

constexpr ParameterRange open_above_one(double highest) {
    return {1, false, highest, true};
}
// Every angle lies within the sweep, -180 to 180 degrees after top dead centre.
constexpr ParameterRange sweep_angle{-180, false, 180, false};
constexpr ParameterRange ignition_angle{-180, true, 180, true};

using P = EngineParameters;

const std::array<ParameterInfo, parameter_count> table{{
    {"main_compression_ratio", &P::main_compression_ratio, "",
     "compression ratio of the main chamber", open_above_one(100)},
    {"aux_compression_ratio", &P::aux_compression_ratio, "",
     "compression ratio of the auxiliary chamber", open_above_one(200)},
    {"main_share",
     &P::main_share,
     "",
     "share of the piston area over the main chamber",
     {0, false, 1, false}},
    {"rod_length",
     &P::rod_length,
     "drawing units",
     "connecting rod; the crank radius is 50, the stroke 100",
     {50, false, 1000, true}},
    {"gamma", &P::gamma, "", "ratio of specific heats of the charge", open_above_one(1.67)},
    {"start_temperature",
     &P::start_temperature,
     "K",
     "temperature at bottom dead centre",
     {0, false, 1000, true}},
    {"bdc_pressure",
     &P::bdc_pressure,
     "bar",
     "pressure at bottom dead centre; every pressure scales with it",
     {0, false, 10, true}},
    {"engine_speed",
     &P::engine_speed,
     "rpm",
     "engine speed, which turns crank angle into time",
     {100, true, 20000, true}},
    {"first_split_atdc", &P::first_split_atdc, "degrees ATDC", "the chambers divide at or after it",
     sweep_angle},
    {"first_merge_atdc", &P::first_merge_atdc, "degrees ATDC", "last angle of the first division",
     sweep_angle},
    {"second_split_atdc", &P::second_split_atdc, "degrees ATDC",
     "last angle of the united combustion", sweep_angle},
    {"second_merge_atdc", &P::second_merge_atdc, "degrees ATDC",
     "last angle of the second division", sweep_angle},
    {"aux_ignition_start_atdc", &P::aux_ignition_start_atdc, "degrees ATDC",
     "the auxiliary ignition ramp starts here (included)", ignition_angle, ParameterUse::scheduled},
    {"aux_ignition_end_atdc", &P::aux_ignition_end_atdc, "degrees ATDC",
     "the auxiliary ignition ramp ends here (included)", ignition_angle, ParameterUse::scheduled},
    {"aux_ignition_factor",
     &P::aux_ignition_factor,
     "",
     "full factor of the auxiliary pressure and temperature",
     {1, true, 10, true}, ParameterUse::scheduled},
    {"main_ignition_start_atdc", &P::main_ignition_start_atdc, "degrees ATDC",
     "the main ignition ramp starts above it", ignition_angle, ParameterUse::scheduled},
    {"main_ignition_end_atdc", &P::main_ignition_end_atdc, "degrees ATDC",
     "the main ignition ramp ends here (included)", ignition_angle, ParameterUse::scheduled},
    {"main_ignition_rise",
     &P::main_ignition_rise,
     "",
     "rise of the main charge; times main_share, the rise of the united charge",
     {0, true, 10, true}, ParameterUse::scheduled},
    {"equivalence_ratio", &P::equivalence_ratio, "", "fuel to air over the stoichiometric ratio",
     {0.05, true, 1, true}, ParameterUse::predictive},
    {"oxygen_percent", &P::oxygen_percent, "%", "oxygen in the charge, by volume", {1, true, 21, true},
     ParameterUse::predictive},
    {"fuel_heating_value", &P::fuel_heating_value, "MJ/kg", "the fuel's lower heating value",
     {0, false, 100, true}, ParameterUse::predictive},
    {"stoichiometric_air_fuel_ratio", &P::stoichiometric_air_fuel_ratio, "",
     "air to fuel by mass at stoichiometry", {1, false, 100, true}, ParameterUse::predictive},
    {"ignition_delay_prefactor", &P::ignition_delay_prefactor, "ms",
     "A of the ignition delay A (p/1 atm)^-np phi^-nphi chi^-nO2 exp(E/(R T))",
     {0, false, 10, true}, ParameterUse::predictive},
    {"ignition_delay_pressure_exponent", &P::ignition_delay_pressure_exponent, "",
     "np of the ignition delay", {0, true, 5, true}, ParameterUse::predictive},
    {"ignition_delay_phi_exponent", &P::ignition_delay_phi_exponent, "",
     "nphi of the ignition delay", {0, true, 5, true}, ParameterUse::predictive},
    {"ignition_delay_oxygen_exponent", &P::ignition_delay_oxygen_exponent, "",
     "nO2 of the ignition delay", {0, true, 5, true}, ParameterUse::predictive},
    {"ignition_activation_energy", &P::ignition_activation_energy, "cal/mol",
     "E of the ignition delay", {0, true, 100000, true}, ParameterUse::predictive},
    {"aux_burn_duration", &P::aux_burn_duration, "degrees",
     "the auxiliary charge's burn from its ignition (Wiebe)", {0, false, 180, true},
     ParameterUse::predictive},
    {"main_burn_duration", &P::main_burn_duration, "degrees",
     "the burn of a charge ignited outside the auxiliary chamber (Wiebe)", {0, false, 180, true},
     ParameterUse::predictive},
}};

const ParameterInfo* info(double EngineParameters::*member) {
    for (const ParameterInfo& entry : table) {
        if (entry.member == member) return &entry;
    }
    return nullptr;
}

// The order of the schedule; each pair names two parameters of the table.
const std::array<OrderRule, 5> rules{{
    {info(&P::first_split_atdc), info(&P::first_merge_atdc), true},
    {info(&P::first_merge_atdc), info(&P::second_split_atdc), false},
    {info(&P::second_split_atdc), info(&P::second_merge_atdc), true},
    {info(&P::aux_ignition_start_atdc), info(&P::aux_ignition_end_atdc), false},
    {info(&P::main_ignition_start_atdc), info(&P::main_ignition_end_atdc), false},
}};

}  // namespace

std::string_view model_name(EngineModelKind model) {
    return model == EngineModelKind::predictive ? "predictive" : "scheduled";
}

std::optional<EngineModelKind> model_named(std::string_view name) {
    if (name == "scheduled") return EngineModelKind::scheduled;
    if (name == "predictive") return EngineModelKind::predictive;
    return std::nullopt;
}

bool shapes(const ParameterInfo& parameter, EngineModelKind model) {
    switch (parameter.use) {
        case ParameterUse::both:
            return true;
        case ParameterUse::scheduled:
            return model == EngineModelKind::scheduled;
        case ParameterUse::predictive:
            return model == EngineModelKind::predictive;
    }
    return true;
}

bool ParameterRange::contains(double value) const {
    const bool above = lowest_included ? value >= lowest : value > lowest;
    const bool below = highest_included ? value <= highest : value < highest;
    return above && below;
}

const std::array<ParameterInfo, parameter_count>& parameter_table() {
    return table;
}

const ParameterInfo* find_parameter(std::string_view name) {
    for (const ParameterInfo& entry : table) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::span<const OrderRule> order_rules() {
    return rules;
}

std::optional<ParameterProblem> check_parameters(const EngineParameters& p) {
    if (auto problem = check_parameter_values(p)) return problem;
    // Values within their ranges can still be extreme enough together (a start temperature of
    // 1e-320 K, say) to carry the model beyond the range of numbers; such a set is refused too.
    if (const int step = first_non_finite_step(p); step >= 0) {
        return ParameterProblem{.kind = ProblemKind::beyond_numbers, .step = step, .parameters = p};
    }
    return std::nullopt;
}

std::optional<ParameterProblem> check_parameter_values(const EngineParameters& p) {
    for (const ParameterInfo& entry : table) {
        const double value = p.*entry.member;
        if (!std::isfinite(value) || !entry.range.contains(value)) {
            return ParameterProblem{
                .kind = std::isfinite(value) ? ProblemKind::out_of_range : ProblemKind::not_finite,
                .parameter = &entry,
                .parameters = p};
        }
    }
    for (const OrderRule& rule : rules) {
        const double lower = p.*rule.lower->member;
        const double higher = p.*rule.higher->member;
        if (rule.equal_allowed ? lower <= higher : lower < higher) continue;
        return ParameterProblem{.kind = ProblemKind::broken_order,
                                .parameter = rule.lower,
                                .other = rule.higher,
                                .equal_allowed = rule.equal_allowed,
                                .parameters = p};
    }
    return phase_without_step(p);
}

std::optional<ParameterProblem> phase_without_step(const EngineParameters& p) {
    // Between two angles that enclose no step of the sweep, a division or the united charge
    // between the divisions would never run, and the state it hands on would never be made.
    // The phases as phase_of tells them: the first division from its split angle (included),
    // each later stretch from above the angle before; each up to its own angle (included).
    struct Stretch {
        double EngineParameters::*from;
        bool from_included;
        double EngineParameters::*to;
        std::string_view what;
    };
    constexpr Stretch stretches[] = {
        {&P::first_split_atdc, true, &P::first_merge_atdc, "the first division"},
        {&P::first_merge_atdc, false, &P::second_split_atdc,
         "the united charge between the divisions"},
        {&P::second_split_atdc, false, &P::second_merge_atdc, "the second division"},
    };
    const std::span<const double> angles = sweep_angles();
    for (const Stretch& s : stretches) {
        const double from = crank_angle_at(p.*s.from);
        const auto first = s.from_included ? std::lower_bound(angles.begin(), angles.end(), from)
                                           : std::upper_bound(angles.begin(), angles.end(), from);
        if (first != angles.end() && *first <= crank_angle_at(p.*s.to)) continue;
        return ParameterProblem{.kind = ProblemKind::phase_without_step,
                                .parameter = info(s.from),
                                .other = info(s.to),
                                .stretch = s.what,
                                .parameters = p};
    }
    return std::nullopt;
}

int first_non_finite_step(const EngineParameters& parameters) {
    Stepper stepper(parameters);
    while (stepper.step()) {
        if (!stepper.finite()) return stepper.step_index();
    }
    return -1;
}

}  // namespace hcci
