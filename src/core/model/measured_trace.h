// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_parameters.h"
#include "core/model/gas_properties.h"

// A measured pressure trace, analysed with the geometry and the charge of an engine the
// parameters describe: the figures the model's own analysis gives, read off one pressure.
//
// Each row's volume is the engine's at its angle; its temperature that of the ideal gas with the
// charge trapped at bottom dead centre, T = T_bdc p V / (p_bdc V_bdc). Between two rows the
// apparent heat release of a single zone is dQ = m (u(T2) - u(T1)) + (p1 + p2) / 2 (V2 - V1),
// u(T) of the engine's gas (gas_properties.h): with a constant gamma that is the familiar
// gamma / (gamma - 1) p dV + V dp / (gamma - 1). An angle given twice is a jump of the pressure
// at that angle (the partition opening): no segment crosses it, as none crosses a merge in the
// model's analysis. Units as the analysis's: bar, K, J per litre displaced, degrees ATDC.

namespace hcci {

struct MeasuredTrace {
    std::vector<double> angle_deg;     // after top dead centre, never decreasing
    std::vector<double> pressure_bar;  // > 0
};

struct MeasuredAnalysis {
    double from_deg = not_defined, to_deg = not_defined;  // the angles the trace covers
    std::size_t rows = 0;
    double work = 0;      // over the angles covered, J/L
    double imep_bar = 0;  // that work over the swept height
    double heat_release = 0;
    double ca10_deg = not_defined, ca50_deg = not_defined, ca90_deg = not_defined;
    double burn_duration_deg = not_defined;
    // The peaks, the largest rise (over a degree and in time) and the ringing; a peak's step
    // is its row, counted from 0.
    ChargeFigures figures;
    double engine_speed_rpm = 0;
    // Whether the trace covers the whole cycle, -180 to 180 degrees.
    bool whole_cycle = false;
};

// What each row gives the views: the engine's volume there (height units), the gas's
// temperature, the heat release rate of the segment ending there (J/L per degree; NaN at the
// first row and after a jump) and the running heat release over its sum.
struct MeasuredPoint {
    double volume = 0;
    double temperature = 0;
    double heat_release_rate = not_defined;
    double burned_fraction = not_defined;
};

// The parameters must pass check_parameters; the trace must have two rows or more, its angles
// never decreasing (an angle at most twice), its pressures finite and above 0.
MeasuredAnalysis analyse_measured(const MeasuredTrace& trace, const EngineParameters& engine,
                                  std::vector<MeasuredPoint>* points = nullptr);

// The model's own cycle as one transducer on the piston reads it: the united charge's pressure,
// and while the chambers are divided each chamber's over its share of the piston's area; where
// they merge, the chambers' and then the merged charge's at the merge's angle. Read as a
// measurement, it gives the model's work to the last digits; its single-zone heat release is the
// one a measurement of this engine can be held against.
MeasuredTrace piston_trace(const CycleRecord& record);

// The gas the engine's model computes with: gamma(T) where its model reads the `properties`
// choice and it says so, the constant gamma otherwise.
GasProperties engine_gas(const EngineParameters& engine);

}  // namespace hcci
