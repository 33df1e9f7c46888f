// SPDX-License-Identifier: MIT
#pragma once

#include <limits>
#include <vector>

#include "core/model/combustion_model.h"
#include "core/model/engine_geometry.h"

// What an engine engineer reads off the pressure trace of one sweep: work, mean effective
// pressure, apparent heat release and its phasing, efficiency, peaks and rise rates. Computed
// from the segments the traces draw (steps 1 to 18000, each from the previous point to the
// current one: the united charge in phases 1, 3 and 5, the main and auxiliary chambers in 2
// and 4), so that the numbers and the picture cannot disagree.
//
// Pressures are in bar, volumes heights in drawing units (the swept height is 100), so work and
// heat are bar times drawing units; angles are after top dead centre (crank angle - 90).

namespace hcci {

inline constexpr double not_defined = std::numeric_limits<double>::quiet_NaN();

// The largest value of a quantity, with where it was.
struct Peak {
    double value = -std::numeric_limits<double>::infinity();
    int step = -1;
    double angle_deg = not_defined;
};

struct CycleAnalysis {
    double work = 0;          // gross indicated work: sum of mean pressure times volume change
    double imep_bar = 0;      // work over the swept height
    double heat_release = 0;  // apparent heat release, single zone, summed over the segments
    // The angles at which the running heat release first reaches 10, 50 and 90 % of its sum,
    // interpolated within the step; not defined when no heat is released (beyond rounding).
    double ca10_deg = not_defined;
    double ca50_deg = not_defined;
    double ca90_deg = not_defined;
    double burn_duration_deg = not_defined;     // CA90 - CA10
    double indicated_efficiency = not_defined;  // work over heat release
    // 1 - r^(1 - gamma) at the united, main and auxiliary compression ratios.
    double otto_efficiency = 0;
    double main_otto_efficiency = 0;
    double aux_otto_efficiency = 0;
    double compression_ratio = 0;  // bdc_height / total_clearance
    // Over the steps of the united phases, and of the divided ones for the chambers.
    Peak peak_united_pressure, peak_united_temperature;
    Peak peak_main_pressure, peak_main_temperature;
    Peak peak_aux_pressure, peak_aux_temperature;
    // The largest rise of pressure per crank degree over a trace's segments, in bar per degree.
    Peak max_united_pressure_rise, max_main_pressure_rise, max_aux_pressure_rise;
    // The first step at which a value of the model was not a finite number, or -1.
    int first_non_finite_step = -1;
};

// Gathers the analysis step by step, at the point of the step where its trace segments are
// drawn: after update_model, before hand_over.
class CycleAnalyser {
public:
    explicit CycleAnalyser(const EngineGeometry& geometry);

    void add_step(const CombustionModel& model, double crank_angle, int phase);
    // The analysis of the steps added so far.
    CycleAnalysis result() const;

private:
    struct Segment;
    void add_segment(const Segment& segment, double& heat, Peak& rise, double crank_angle);

    const EngineGeometry& geometry_;
    CycleAnalysis analysis_;
    int step_ = -1;
    int previous_phase_ = 0;
    double previous_angle_ = 0;
    double previous_main_volume_ = 0;
    double previous_aux_volume_ = 0;
    double work_scale_ = 0;  // the sum of the work's terms without their signs
    // The running heat release at each step, for the phasing angles.
    struct HeatPoint {
        double angle_before, angle_after, heat;
    };
    std::vector<HeatPoint> heat_points_;
};

// One sweep of the engine, analysed. The parameters must pass check_parameters.
CycleAnalysis analyse_cycle(const EngineParameters& parameters);

}  // namespace hcci
