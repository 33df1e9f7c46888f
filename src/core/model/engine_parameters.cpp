// SPDX-License-Identifier: MIT
#include "core/model/engine_parameters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

constexpr ParameterRange open_above_one(double highest) {
    return {1, false, highest, true};
}
// Every angle lies within the sweep, -180 to 180 degrees after top dead centre.
constexpr ParameterRange sweep_angle{-180, false, 180, false};

constexpr std::string_view geometry = "Geometry";
constexpr std::string_view operating_point = "Operating point";
constexpr std::string_view chamber_timing = "Chamber timing";

using P = EngineParameters;

const std::array<ParameterInfo, 12> shared{{
    {"main_compression_ratio", &P::main_compression_ratio, "",
     "compression ratio of the main chamber", open_above_one(100), geometry,
     "Main chamber compression ratio", 0.5},
    {"aux_compression_ratio", &P::aux_compression_ratio, "",
     "compression ratio of the auxiliary chamber", open_above_one(200), geometry,
     "Auxiliary chamber compression ratio", 0.5},
    {"main_share",
     &P::main_share,
     "",
     "share of the piston area over the main chamber",
     {0, false, 1, false},
     geometry,
     "Main chamber's share of the piston",
     0.01},
    {"rod_length",
     &P::rod_length,
     "drawing units",
     "connecting rod; the crank radius is 50, the stroke 100",
     {50, false, 1000, true},
     geometry,
     "Connecting rod length",
     5},
    {"gamma", &P::gamma, "", "ratio of specific heats of the charge", open_above_one(1.67),
     operating_point, "Ratio of specific heats (\u03b3)", 0.01},
    {"start_temperature",
     &P::start_temperature,
     "K",
     "temperature at bottom dead centre",
     {0, false, 1000, true},
     operating_point,
     "Temperature at bottom dead centre",
     5},
    {"bdc_pressure",
     &P::bdc_pressure,
     "bar",
     "pressure at bottom dead centre; every pressure scales with it",
     {0, false, 10, true},
     operating_point,
     "Pressure at bottom dead centre",
     0.05},
    {"engine_speed",
     &P::engine_speed,
     "rpm",
     "engine speed, which turns crank angle into time",
     {100, true, 20000, true},
     operating_point,
     "Engine speed",
     50},
    {"first_split_atdc", &P::first_split_atdc, "degrees ATDC", "the chambers divide at or after it",
     sweep_angle, chamber_timing, "Chambers divide", 0.5},
    {"first_merge_atdc", &P::first_merge_atdc, "degrees ATDC", "last angle of the first division",
     sweep_angle, chamber_timing, "Chambers unite", 0.5},
    {"second_split_atdc", &P::second_split_atdc, "degrees ATDC",
     "last angle of the united combustion", sweep_angle, chamber_timing, "Chambers divide again",
     0.5},
    {"second_merge_atdc", &P::second_merge_atdc, "degrees ATDC",
     "last angle of the second division", sweep_angle, chamber_timing, "Chambers unite again", 0.5},
}};

// The order of the chambers' timing.
const std::array<ParameterOrder, 3> timing_orders{{
    {&P::first_split_atdc, &P::first_merge_atdc, true},
    {&P::first_merge_atdc, &P::second_split_atdc, false},
    {&P::second_split_atdc, &P::second_merge_atdc, true},
}};

struct Tables {
    std::vector<ParameterInfo> parameters;
    std::vector<const EngineModelEntry*> owner;  // of each parameter; nullptr: shared
    std::vector<OrderRule> rules;
    std::vector<ChoiceInfo> choices;
    std::vector<const EngineModelEntry*> choice_owner;
};

const ParameterInfo* by_member(const std::vector<ParameterInfo>& all,
                               double EngineParameters::*member) {
    for (const ParameterInfo& info : all) {
        if (info.member == member) return &info;
    }
    throw std::logic_error("an order rule names a parameter no table has");
}

// Built at first use from the shared table and the registry; never changed after.
const Tables& tables() {
    static const Tables built = [] {
        Tables t;
        for (const ParameterInfo& info : shared) {
            t.parameters.push_back(info);
            t.owner.push_back(nullptr);
        }
        for (const EngineModelEntry* model : engine_models()) {
            for (const ParameterInfo& info : model->parameters) {
                t.parameters.push_back(info);
                t.owner.push_back(model);
            }
        }
        // Every model's orders are kept whatever the model, as its ranges are.
        const auto add_rules = [&t](std::span<const ParameterOrder> orders) {
            for (const ParameterOrder& order : orders) {
                t.rules.push_back({by_member(t.parameters, order.lower),
                                   by_member(t.parameters, order.higher), order.equal_allowed});
            }
        };
        add_rules(timing_orders);
        for (const EngineModelEntry* model : engine_models()) add_rules(model->orders);
        for (const EngineModelEntry* model : engine_models()) {
            for (const ChoiceInfo& info : model->choices) {
                t.choices.push_back(info);
                t.choice_owner.push_back(model);
            }
        }
        return t;
    }();
    return built;
}

}  // namespace

bool ParameterRange::contains(double value) const {
    const bool above = lowest_included ? value >= lowest : value > lowest;
    const bool below = highest_included ? value <= highest : value < highest;
    return above && below;
}

std::span<const ParameterInfo> shared_parameters() {
    return shared;
}

std::span<const ParameterInfo> parameter_table() {
    return tables().parameters;
}

const ParameterInfo* find_parameter(std::string_view name) {
    for (const ParameterInfo& entry : parameter_table()) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::size_t parameter_index(const ParameterInfo& parameter) {
    return static_cast<std::size_t>(&parameter - parameter_table().data());
}

const EngineModelEntry* owner_of(const ParameterInfo& parameter) {
    return tables().owner.at(parameter_index(parameter));
}

bool shapes(const ParameterInfo& parameter, std::string_view model) {
    const EngineModelEntry* owner = owner_of(parameter);
    return owner == nullptr || owner->name == model;
}

const ChoiceOption* ChoiceInfo::find(std::string_view option) const {
    for (const ChoiceOption& o : options) {
        if (o.name == option) return &o;
    }
    return nullptr;
}

std::string ChoiceInfo::options_text(std::string_view conjunction, std::string_view quote) const {
    std::string text;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) text += i + 1 == options.size() ? " " + std::string(conjunction) + " " : ", ";
        text += std::string(quote) + std::string(options[i].name) + std::string(quote);
    }
    return text;
}

std::span<const ChoiceInfo> choice_table() {
    return tables().choices;
}

const ChoiceInfo* find_choice(std::string_view name) {
    for (const ChoiceInfo& entry : choice_table()) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

const EngineModelEntry* owner_of(const ChoiceInfo& choice) {
    const auto index = static_cast<std::size_t>(&choice - choice_table().data());
    return tables().choice_owner.at(index);
}

bool shapes(const ChoiceInfo& choice, std::string_view model) {
    const EngineModelEntry* owner = owner_of(choice);
    return owner == nullptr || owner->name == model;
}

std::optional<EngineParameters> model_defaults(std::string_view model) {
    const EngineModelEntry* entry = find_engine_model(model);
    if (entry == nullptr) return std::nullopt;
    EngineParameters p;
    p.model = entry->name;
    for (const ParameterDefault& d : entry->defaults) p.*d.member = d.value;
    return p;
}

double default_value(const ParameterInfo& parameter, std::string_view model) {
    const std::optional<EngineParameters> defaults = model_defaults(model);
    return (defaults ? *defaults : EngineParameters{}).*parameter.member;
}

std::span<const OrderRule> order_rules() {
    return tables().rules;
}

std::optional<ParameterProblem> check_parameters(const EngineParameters& p) {
    return run_checked_cycle(p).problem;
}

std::optional<ParameterProblem> check_parameter_values(const EngineParameters& p) {
    if (find_engine_model(p.model) == nullptr) {
        return ParameterProblem{.kind = ProblemKind::unknown_model, .parameters = p};
    }
    for (const ChoiceInfo& choice : choice_table()) {
        if (choice.find(p.*choice.member) == nullptr) {
            return ParameterProblem{
                .kind = ProblemKind::unknown_choice, .choice = &choice, .parameters = p};
        }
    }
    for (const ParameterInfo& entry : parameter_table()) {
        const double value = p.*entry.member;
        if (!std::isfinite(value) || !entry.range.contains(value)) {
            return ParameterProblem{
                .kind = std::isfinite(value) ? ProblemKind::out_of_range : ProblemKind::not_finite,
                .parameter = &entry,
                .parameters = p};
        }
        if (entry.whole && value != std::floor(value)) {
            return ParameterProblem{
                .kind = ProblemKind::not_whole, .parameter = &entry, .parameters = p};
        }
    }
    for (const OrderRule& rule : order_rules()) {
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
                                .parameter = by_member(tables().parameters, s.from),
                                .other = by_member(tables().parameters, s.to),
                                .stretch = s.what,
                                .parameters = p};
    }
    return std::nullopt;
}

}  // namespace hcci
