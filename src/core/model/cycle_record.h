// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/engine_geometry.h"
#include "core/model/engine_parameters.h"
#include "core/model/sweep.h"

// One cycle, computed once: what the chosen engine model says at every step of a sweep, and
// the cycle's events. Every output reads it (the picture's traces, the CSV, the analysis, the
// views, the values under the pointer, studies and the explorer), so none can disagree.

namespace hcci {

enum class ChargeName { united, main, aux };
inline constexpr ChargeName all_charges[] = {ChargeName::united, ChargeName::main, ChargeName::aux};
std::string_view charge_key(ChargeName charge);  // "united", "main", "aux"

// Each charge's state after every step. A charge not present at a step (the chambers while
// united, the united charge while divided) holds the state it would start from there: a
// chamber the united charge split by volume, the united charge the chambers merged.
struct ChargeRecord {
    std::vector<double> pressure;     // bar
    std::vector<double> temperature;  // K
    std::vector<double> volume;       // height units over the whole piston area
};

// A quantity the model records besides those, NaN where it is not defined.
struct RecordChannel {
    std::string_view name;  // "burned", "heat_released"
    std::string_view unit;
    std::optional<ChargeName> charge;  // nothing: the whole's
    std::vector<double> values;

    std::string column() const;  // "united_burned", "heat_released"
};

// The chambers divided, from the first step of a division to its last (where they merge).
struct Division {
    int first_step, last_step;
};

// A charge catching fire: where, when and with how much of its fuel unburnt.
struct Ignition {
    ChargeName charge;
    int step;
    double angle_atdc;
    double share_of_fuel;
};

// What a model with fuel knows of the whole cycle.
struct FuelTotals {
    double heat_released = 0;  // J per litre displaced, by the fuel's heating value
    double fuel_burned = 0;    // share of the fuel, by bottom dead centre
};

struct CycleRecord {
    EngineParameters parameters;
    EngineGeometry geometry;
    std::vector<std::uint8_t> phase;  // 1 to 5
    std::vector<double> piston_pos;   // the united charge's volume
    std::array<ChargeRecord, 3> charges;
    std::vector<RecordChannel> channels;  // the model's own, in the CSV's order
    std::vector<Division> divisions;
    std::vector<Ignition> ignitions;  // in their order
    std::optional<FuelTotals> fuel;   // a model with fuel
    // The first step after which a value of the model was not a finite number, or a pressure
    // was too small to keep its digits (below the smallest normal number), or -1.
    int first_non_finite_step = -1;

    static constexpr int steps() { return steps_per_sweep; }
    // The step's accumulated crank angle (90 at top dead centre).
    static double crank_angle(int step) { return sweep_angles()[static_cast<std::size_t>(step)]; }
    bool divided(int step) const { return is_divided_phase(phase[static_cast<std::size_t>(step)]); }
    bool present(ChargeName charge, int step) const {
        return divided(step) == (charge != ChargeName::united);
    }
    const ChargeRecord& charge(ChargeName which) const {
        return charges[static_cast<std::size_t>(which)];
    }
    // The model's channel of that name (of the charge, or of the whole), or nothing.
    const RecordChannel* channel(std::string_view name,
                                 std::optional<ChargeName> charge = std::nullopt) const;
};

// One sweep of the chosen model. The parameters must pass check_parameter_values; whether the
// sweep stayed within the range of numbers is first_non_finite_step.
CycleRecord run_cycle(const EngineParameters& parameters);
// The same into a record that may hold an earlier cycle: its rows are filled again, not
// allocated anew (a study runs thousands of sweeps; fresh rows cost more than the model).
void run_cycle(const EngineParameters& parameters, CycleRecord& record);

// How many cycles run_cycle has run in this process: a program that should run one per change
// can be held to it.
std::uint64_t cycles_run();

// A record shared by everything that reads it (a driver, its snapshots, the views).
using SharedRecord = std::shared_ptr<const CycleRecord>;
SharedRecord share_cycle(const EngineParameters& parameters);

// The cycle, or why those parameters cannot make one (beyond_numbers among the reasons).
struct CheckedCycle {
    std::optional<CycleRecord> record;
    std::optional<ParameterProblem> problem;
};
CheckedCycle run_checked_cycle(const EngineParameters& parameters);

}  // namespace hcci
