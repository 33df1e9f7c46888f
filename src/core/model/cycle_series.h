// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"

// What the engineer's views plot, a value for every step of a sweep: each charge's pressure,
// temperature and volume where it is present, the rate of its apparent heat release, and the
// sweep's events (its divisions, with the analysis's phasing, peaks and ignitions). A value
// where a charge is not present is NaN: a view leaves a gap there.

namespace hcci {

struct ChargeSeries {
    std::vector<double> pressure;     // bar
    std::vector<double> temperature;  // K
    std::vector<double> volume;       // height units over the whole piston area
    // The apparent heat release of the segment that ends at the step, over its angle: J per
    // litre displaced per crank degree.
    std::vector<double> heat_release_rate;
    // The fuel burned, 1 - sum of u: the predictive model's only (empty otherwise).
    std::vector<double> fuel_burned;
};

// A division of the chambers, from its first step's angle to its last's.
struct DivisionAngles {
    double from_deg, to_deg;
};

struct CycleSeries {
    std::vector<double> angle_deg;  // after top dead centre
    ChargeSeries united, main, aux;
    // The running apparent heat release over its sum (of all charges): 0 to 1, as CA10, CA50
    // and CA90 read it.
    std::vector<double> burned_fraction;
    std::vector<DivisionAngles> divisions;
    CycleAnalysis analysis;
    EngineParameters parameters;
};

// A recorded cycle as the views plot it, with its analysis.
CycleSeries cycle_series(const CycleRecord& record);

}  // namespace hcci
