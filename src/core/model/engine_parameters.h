// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The numbers that shape the cycle, by name, with the engine of the original program as the
// default: every value of that engine, and every pixel drawn from it, is bit for bit the same.
// Angles are degrees after top dead centre (ATDC): -180 at the sweep's start, 180 at its end.
//
// Every engine model owns the metadata of the parameters only it reads (engine_model.h); those
// every model reads are described here.

namespace hcci {

struct EngineParameters {
    // The engine model that runs the cycle, by its registered name (engine_model.h).
    std::string_view model = "scheduled";

    double main_compression_ratio = 12;
    double aux_compression_ratio = 50;
    double main_share = 0.75;  // of the piston area
    double rod_length = 200;
    double gamma = 1.4;
    double start_temperature = 323;  // K at bottom dead centre
    double bdc_pressure = 1;         // bar at bottom dead centre
    double engine_speed = 1200;      // rpm: crank angle into time
    // Phase 2 runs from the first split (included) to the first merge (included), phase 3 to the
    // second split (included), phase 4 to the second merge (included).
    double first_split_atdc = -33;
    double first_merge_atdc = -11;
    double second_split_atdc = 11;
    double second_merge_atdc = 33;
    // The scheduled model's ignitions. The auxiliary charge: a ramp from the start to the end
    // (both included), the full factor above.
    double aux_ignition_start_atdc = -15;
    double aux_ignition_end_atdc = -12;
    double aux_ignition_factor = 1.8;
    // The united charge: a ramp above the start up to the end (included), the full rise above.
    double main_ignition_start_atdc = -7;
    double main_ignition_end_atdc = -2;
    double main_ignition_rise = 0.8;
    // The predictive model: the fuel, its ignition delay (He et al., Combust. Flame 142, 2005,
    // for iso-octane) and its burn (Wiebe).
    double equivalence_ratio = 0.3;
    double oxygen_percent = 21;
    double fuel_heating_value = 44.3;  // MJ/kg
    double stoichiometric_air_fuel_ratio = 15.1;
    double ignition_delay_prefactor = 1.3e-4;  // ms
    double ignition_delay_pressure_exponent = 1.05;
    double ignition_delay_phi_exponent = 0.77;
    double ignition_delay_oxygen_exponent = 1.41;
    double ignition_activation_energy = 33700;  // cal/mol
    double aux_burn_duration = 3;               // degrees
    double main_burn_duration = 10;             // degrees
    // The predictive model's physics; each assumption can be switched back to the simpler one
    // ("constant", "none", 1 zone, "crank", no mixing time).
    double bore_mm = 102;
    double stroke_mm = 120;
    std::string_view properties = "variable";    // "variable": gamma(T); "constant": gamma
    std::string_view heat_transfer = "woschni";  // "woschni" or "none"
    double wall_temperature = 450;               // K
    double ignition_zones = 10;                  // a whole number
    double thermal_stratification = 0.015;       // the zones' spread, a share of T_u
    std::string_view burn = "time";              // "time": zone_burn_ms; "crank": the durations
    double zone_burn_ms = 0.3;
    double merge_mixing_ms = 1;

    bool operator==(const EngineParameters&) const = default;
};

// A range of allowed values; an end that is not included is open.
struct ParameterRange {
    double lowest;
    bool lowest_included;
    double highest;
    bool highest_included;

    bool contains(double value) const;
};

// A parameter as a person reads, types and slides it.
struct ParameterInfo {
    std::string_view name;  // as a parameter file and --set name it
    double EngineParameters::*member;
    std::string_view unit;  // empty for a plain number
    std::string_view meaning;
    ParameterRange range;
    std::string_view group;  // "Geometry"
    std::string_view label;  // "Main chamber compression ratio"
    double step;             // a slider's or an arrow's: 0.5 for a ratio, 0.5 degrees for an angle
    bool whole = false;      // only whole numbers (a count)
};

// A parameter that names one of a few choices ("variable" or "constant"), as a person picks it.
struct ChoiceOption {
    std::string_view name;     // as a parameter file and --set write it
    std::string_view meaning;  // "gamma(T) of Gatowski et al."
};

struct ChoiceInfo {
    std::string_view name;  // "properties"
    std::string_view EngineParameters::*member;
    std::span<const ChoiceOption> options;
    std::string_view meaning;
    std::string_view group;
    std::string_view label;
    // The option of that name, or nothing.
    const ChoiceOption* find(std::string_view option) const;
    // The names joined for a sentence: "\"variable\" or \"constant\"".
    std::string options_text(std::string_view conjunction = "or",
                             std::string_view quote = "\"") const;
};

// The parameters every engine model reads: geometry, operating point, the chambers' timing.
std::span<const ParameterInfo> shared_parameters();

// Every parameter: the shared ones, then each model's own in the order of the registry.
std::span<const ParameterInfo> parameter_table();
// The parameter of that name, or nothing.
const ParameterInfo* find_parameter(std::string_view name);
// Its place in parameter_table().
std::size_t parameter_index(const ParameterInfo& parameter);

// Whether the parameter shapes the cycle of that model (by name).
bool shapes(const ParameterInfo& parameter, std::string_view model);

// Every choice, each model's own in the order of the registry.
std::span<const ChoiceInfo> choice_table();
const ChoiceInfo* find_choice(std::string_view name);
bool shapes(const ChoiceInfo& choice, std::string_view model);

// The defaults of that model: the original engine's values, but where the model has its own.
// Nothing for a name no model has.
std::optional<EngineParameters> model_defaults(std::string_view model);
// The value of the parameter in the model's defaults.
double default_value(const ParameterInfo& parameter, std::string_view model);

// An order the values must keep: lower <= higher, or lower < higher.
struct OrderRule {
    const ParameterInfo* lower;
    const ParameterInfo* higher;
    bool equal_allowed;
};
// The chambers' timing, then each model's own.
std::span<const OrderRule> order_rules();

// What makes a set of parameters unfit for a cycle; the report layer tells it in words.
enum class ProblemKind {
    unknown_model,       // the model is no registered model's name
    unknown_choice,      // choice's value is none of its options
    not_finite,          // parameter's value is not a finite number
    out_of_range,        // parameter's value lies outside its range
    not_whole,           // parameter counts, and its value is not a whole number
    broken_order,        // parameter and other break their OrderRule
    phase_without_step,  // the angles parameter and other enclose no step for the stretch
    beyond_numbers,      // the sweep leaves the range of numbers at step
};

struct ParameterProblem {
    ProblemKind kind;
    const ParameterInfo* parameter = nullptr;
    const ParameterInfo* other = nullptr;
    const ChoiceInfo* choice = nullptr;  // unknown_choice
    bool equal_allowed = false;          // broken_order
    std::string_view stretch = {};       // phase_without_step: "the first division"
    int step = -1;                       // beyond_numbers
    EngineParameters parameters = {};
};

// The model, the ranges, the order and a step for every phase: all that can be said without
// running the cycle. Nothing when they pass. run_cycle (cycle_record.h) then tells whether the
// sweep stays within the range of numbers.
std::optional<ParameterProblem> check_parameter_values(const EngineParameters& parameters);

// Both: the values, then a sweep that must stay within the range of numbers. For a caller that
// wants an answer only; one that goes on to use the cycle runs it once (run_checked_cycle).
std::optional<ParameterProblem> check_parameters(const EngineParameters& parameters);

// A division, or the united charge between them, that would get no step of the sweep: split
// and merge angles that enclose none. Nothing when every phase has a step.
std::optional<ParameterProblem> phase_without_step(const EngineParameters& parameters);

}  // namespace hcci
