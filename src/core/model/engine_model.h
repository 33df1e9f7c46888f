// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/model/engine_parameters.h"

// The seam behind which the engine models sit. A model is one file: its state and physics, its
// parameters' metadata and an entry, registered by name in engine_models.cpp. run_cycle
// (cycle_record.h) runs the chosen one over a sweep and records what it says.

namespace hcci {

struct CycleRecord;
enum class ChargeName;

// One step as the sweep gives it to a model: the accumulated crank angle, the phase the
// chambers' timing selects and the piston's position (the united charge's volume).
struct ModelStep {
    int index;
    double crank_angle;
    int phase;
    double piston_pos;
};

class EngineModel {
public:
    virtual ~EngineModel() = default;

    // The step's update and its hand-over to the next.
    virtual void step(const ModelStep& step) = 0;
    // The state after the step into the record's row `index`: every charge's pressure,
    // temperature and volume (a charge not present holds the state it would start from: a
    // chamber, the united charge split; the united charge, the chambers merged) and the model's
    // own channels.
    virtual void record(CycleRecord& record, int index) const = 0;
    // Whether every quantity of the model is a finite number.
    virtual bool finite() const = 0;
    // After the last step: what the model knows of the whole cycle (its ignitions, its fuel).
    virtual void finish(CycleRecord& /*record*/) const {}
};

// A quantity a model records besides each charge's pressure, temperature and volume.
struct ChannelInfo {
    std::string_view name;  // "burned"; a charge's is written "main_burned"
    std::string_view unit;  // "" for a share
    bool per_charge;        // one for each charge, or one for the whole
    std::string_view meaning;
};

// A shared parameter's default where a model has its own.
struct ParameterDefault {
    double EngineParameters::*member;
    double value;
};

// The order two of a model's parameters must keep.
struct ParameterOrder {
    double EngineParameters::*lower;
    double EngineParameters::*higher;
    bool equal_allowed;
};

struct EngineModelEntry {
    std::string_view name;                      // "scheduled", as parameter files and --set name it
    std::string_view summary;                   // one line, for help and menus
    std::span<const ParameterInfo> parameters;  // those only this model reads
    std::span<const ChoiceInfo> choices;        // its named choices
    std::span<const ParameterOrder> orders;
    std::span<const ParameterDefault> defaults;
    std::span<const ChannelInfo> channels;  // in the order of the CSV's columns
    bool books_fuel = false;                // its records carry FuelTotals
    // The model at the start of a sweep of that engine (whose values passed their checks).
    std::unique_ptr<EngineModel> (*make)(const EngineParameters& parameters);
};

// Every model, the default (the original engine's) first.
std::span<const EngineModelEntry* const> engine_models();
const EngineModelEntry* find_engine_model(std::string_view name);
// The model that owns a parameter only it reads, or nothing for a parameter every model reads.
const EngineModelEntry* owner_of(const ParameterInfo& parameter);
const EngineModelEntry* owner_of(const ChoiceInfo& choice);
// The names joined for a sentence: "scheduled and predictive", or with another conjunction and
// each in quotes: "\"scheduled\" or \"predictive\"".
std::string model_names_text(std::string_view conjunction = "and", std::string_view quote = "");

}  // namespace hcci
