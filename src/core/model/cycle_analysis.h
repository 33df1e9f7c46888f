// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <limits>
#include <span>
#include <vector>

#include "core/model/cycle_record.h"

// What an engine engineer reads off the pressure trace of one sweep: work, mean effective
// pressure, the energy the charge gains and the efficiency from the first law, apparent heat
// release and its phasing, peaks, rise rates in angle and in time, ringing. Computed from the
// segments the traces draw (steps 1 to 18000, each from the previous step's point of the record
// to the current one: the united charge in phases 1, 3 and 5, the main and auxiliary chambers in
// 2 and 4), so that the numbers and the picture cannot disagree.
//
// Units. Pressures are in bar, temperatures in K, volumes heights in drawing units over the
// whole piston area, whose stroke is 100. Work and energies, bar times height units, are thus
// in J per litre displaced: a bar over the displacement is 100 J/L, and the displacement is 100
// height units. Angles are degrees after top dead centre.

namespace hcci {

inline constexpr double not_defined = std::numeric_limits<double>::quiet_NaN();

// The ringing intensity above which a cycle is commonly taken to knock.
inline constexpr double ringing_limit_mw_per_m2 = 5;

// The largest value of a quantity, with where it was.
struct Peak {
    double value = -std::numeric_limits<double>::infinity();
    int step = -1;
    double angle_deg = not_defined;
};

// A merge of the chambers, at the last step of a division: the pressures before and after it,
// and the internal energy it adds (it creates or destroys some: the original model mixes the
// temperatures by area, not by mass).
struct Merge {
    int step = -1;
    double angle_deg = not_defined;
    double main_pressure = not_defined;  // bar, before
    double aux_pressure = not_defined;   // bar, before
    double merged_pressure = not_defined;
    double energy_j_per_l = not_defined;
    // The partition's opening: each chamber's pressure change (signed: merged less its own) and
    // that change over the step's time.
    double main_pressure_change = not_defined;  // bar
    double aux_pressure_change = not_defined;
    double main_pressure_rate_bar_per_ms = not_defined;
    double aux_pressure_rate_bar_per_ms = not_defined;
};

// One charge's peaks and pressure rise: in angle, in time at the engine's speed, and the
// ringing intensity of Eng (SAE 2002-01-2859) that follows from it.
struct ChargeFigures {
    Peak peak_pressure, peak_temperature;
    Peak max_pressure_rise;  // bar per crank degree, over the charge's segments
    double max_pressure_rise_bar_per_ms = not_defined;
    double ringing_mw_per_m2 = not_defined;
    bool over_ringing_limit = false;
};

// A cycle whose combustion efficiency is below the first is a misfire; below the second, a
// partial burn.
inline constexpr double misfire_combustion_efficiency = 0.1;
inline constexpr double full_burn_combustion_efficiency = 0.9;

// A model with fuel (the predictive one): its own books of the fuel's energy, what burned, and
// where each charge ignited. Energies J/L.
// The charge's largest rise in time at that speed and its ringing intensity, (beta (dp/dt)max)^2
// / (2 gamma pmax) sqrt(gamma R Tmax), beta 0.05 ms, R 287 J/(kg K), in SI units, as MW/m^2;
// nothing where its peaks or its rise are not defined.
void take_ringing(ChargeFigures& charge, double gamma, double degrees_per_ms);

struct FuelFigures {
    bool present = false;
    double heat_released = not_defined;               // from the fuel's heating value
    double fuel_burned = not_defined;                 // share of the fuel, by bottom dead centre
    double fuel_energy = not_defined;                 // supplied: all the fuel's energy
    double heat_lost = not_defined;                   // to the walls
    std::array<ChargeEnergy, 3> charges{};            // united, main, aux
    double combustion_efficiency = not_defined;       // released over supplied
    double fuel_conversion_efficiency = not_defined;  // booked work over supplied
    double thermal_efficiency = not_defined;          // booked work over released
    double booked_work = not_defined;                 // the model's compressions' work
    double work_difference = not_defined;             // the trace's work less the booked
    // released - lost - booked work - dU: the first law on the model's own books
    double first_law_residual = not_defined;
    double displacement_l = not_defined;
    bool misfire = false;
    bool partial_burn = false;
    std::vector<Ignition> ignitions;  // in their order
    // The first ignition of that charge, or nothing.
    const Ignition* first(ChargeName charge) const;
};

struct CycleAnalysis {
    double work = 0;      // gross indicated work, J/L: the sum of mean pressure times volume change
    double imep_bar = 0;  // work over the swept height
    // The internal energy sum(p V) / (gamma - 1) of the charges present, at the first step and
    // the last; the energy added over the cycle is the work plus its change.
    double energy_start = 0, energy_end = 0;
    double energy_added = 0;
    double heat_release = 0;      // apparent heat release, single zone, summed over the segments
    std::array<Merge, 2> merges;  // the first and the second; step -1 when the sweep had none
    // The angles at which the running heat release first reaches 10, 50 and 90 % of its sum,
    // interpolated within the step; not defined when no heat is released (beyond rounding).
    double ca10_deg = not_defined;
    double ca50_deg = not_defined;
    double ca90_deg = not_defined;
    double burn_duration_deg = not_defined;     // CA90 - CA10
    double indicated_efficiency = not_defined;  // work over the energy added, where that is > 0
    // The united ratio, bdc_height / total_clearance, and the ratios each chamber's gas sees:
    // its share of the volume at bottom dead centre, as the split leaves it, over its volume at
    // top dead centre. 1 - r^(1 - gamma) of each.
    double compression_ratio = 0;
    double main_compression_ratio = 0;
    double aux_compression_ratio = 0;
    double otto_efficiency = 0;
    double main_otto_efficiency = 0;
    double aux_otto_efficiency = 0;
    // Over the steps of the united phases, and of the divided ones for the chambers.
    ChargeFigures united, main, aux;
    double engine_speed_rpm = 0;
    FuelFigures fuel;
    // Whether the chambers' peaks are those of the first division only (the model says so).
    bool chamber_peaks_in_first_division = false;
    // The first step at which a value of the model was not a finite number, or -1.
    int first_non_finite_step = -1;
};

// The apparent heat that each charge's segment ending at a step released, J/L (0 at the first
// step, and for a charge not present).
struct StepHeat {
    double united = 0, main = 0, aux = 0;
};

// One segment of a running heat release: the angles at its ends and the heat it released.
struct HeatSegment {
    double angle_before, angle_after, heat;
};

// The angles at which the running heat release of the segments first reaches 10, 50 and 90 % of
// the total, interpolated within the segment, in the segments' own angles; NaN where it never does.
std::array<double, 3> phasing_angles(std::span<const HeatSegment> segments, double total);

// The analysis of a recorded cycle; with `heats`, the heat of every step's segments too.
CycleAnalysis analyse_cycle(const CycleRecord& record, std::vector<StepHeat>* heats = nullptr);

// One sweep of the engine, analysed. The parameters must pass check_parameters.
CycleAnalysis analyse_cycle(const EngineParameters& parameters);

}  // namespace hcci
