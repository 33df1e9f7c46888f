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

// A charge catching fire: where, when and how much of its fuel (in zones of a stratified
// charge: the zones that ignite on that step).
struct Ignition {
    ChargeName charge;
    int step;
    double angle_atdc;
    double share_of_fuel;  // of the fuel a unit of the charge's mass held at bottom dead centre
    int zones = 1;
};

// A charge's energy over the cycle, J per litre displaced: the fuel's energy it was given (the
// united charge all of it, each chamber its share as the first division began), what its fuel
// released and what it lost to the walls while it was that charge.
struct ChargeEnergy {
    double supplied = 0;
    double released = 0;
    double lost = 0;
};

// What a model with fuel knows of the whole cycle: its own books, J per litre displaced.
struct FuelTotals {
    double heat_released = 0;               // by the fuel's heating value
    double fuel_burned = 0;                 // share of the fuel, by bottom dead centre
    double fuel_energy = 0;                 // all the fuel's energy, burned or not
    double heat_lost = 0;                   // to the walls
    std::array<ChargeEnergy, 3> charges{};  // united, main, aux
    // The work the model booked (its compressions', -m du) and the internal energy m u(T) of
    // the charges present at the start and the end: released - lost = work + (end - start).
    double work = 0;
    double internal_energy_start = 0, internal_energy_end = 0;
    double displacement_l = 0;  // the engine's size
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
    // Whether the chambers' own peaks are those of the first division only: a model whose
    // second division starts from the united charge in expansion, which is no chamber's peak.
    bool chamber_peaks_in_first_division = false;
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
