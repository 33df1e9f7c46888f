// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/combustion_model.h"
#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_geometry.h"
#include "core/model/sweep.h"

// The model alone, without drawing, into the cycle's record: a whole sweep has a budget of 2 ms.

namespace hcci {
namespace {

void BM_ModelSweep(benchmark::State& state) {
    CycleRecord record;
    for (auto _ : state) {
        run_cycle({}, record);
        benchmark::DoNotOptimize(record.piston_pos.data());
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_ModelSweep)->Unit(benchmark::kMicrosecond);

// The same into a new record each time, as a change in the explorer runs it: the rows' fresh
// memory costs more than the model.
void BM_ModelSweepFreshRecord(benchmark::State& state) {
    for (auto _ : state) {
        const CycleRecord record = run_cycle({});
        benchmark::DoNotOptimize(record.piston_pos.data());
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_ModelSweepFreshRecord)->Unit(benchmark::kMicrosecond);

// The predictive model's sweep with all its physics, at its own defaults: its budget is 5 ms.
void BM_PredictiveSweep(benchmark::State& state) {
    const EngineParameters predictive = *model_defaults("predictive");
    CycleRecord record;
    for (auto _ : state) {
        run_cycle(predictive, record);
        benchmark::DoNotOptimize(record.piston_pos.data());
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_PredictiveSweep)->Unit(benchmark::kMicrosecond);

// The same with every assumption at its simpler choice: the model as it first was.
void BM_PredictiveSweepSimple(benchmark::State& state) {
    EngineParameters predictive = *model_defaults("predictive");
    predictive.properties = "constant";
    predictive.heat_transfer = "none";
    predictive.ignition_zones = 1;
    predictive.burn = "crank";
    predictive.merge_mixing_ms = 0;
    predictive.start_temperature = 323;
    CycleRecord record;
    for (auto _ : state) {
        run_cycle(predictive, record);
        benchmark::DoNotOptimize(record.piston_pos.data());
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_PredictiveSweepSimple)->Unit(benchmark::kMicrosecond);

// The analysis of a recorded sweep: its budget is 0.5 ms.
void BM_Analysis(benchmark::State& state) {
    const CycleRecord record = run_cycle({});
    for (auto _ : state) {
        const CycleAnalysis analysis = analyse_cycle(record);
        benchmark::DoNotOptimize(analysis);
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_Analysis)->Unit(benchmark::kMicrosecond);

// One step at a crank angle of the given phase, from the state the sweep has reached there.
// Repeating a step at the same angle is harmless: it reads only what earlier phases handed over.
void BM_ModelStep(benchmark::State& state) {
    constexpr double angle_of_phase[] = {0, 0, 76.5, 88.5, 110, 180};
    const double target = angle_of_phase[state.range(0)];
    const EngineGeometry geometry = make_engine_geometry();
    CombustionModel model;
    reset_model(model, geometry);
    double angle = sweep_start_angle;
    for (const double a : sweep_angles()) {
        angle = a;
        step_model(model, geometry, phase_of(geometry, a), a,
                   piston_position(geometry, crank_position(geometry, a)));
        if (a >= target) break;
    }
    const int phase = phase_of(geometry, angle);
    for (auto _ : state) {
        benchmark::DoNotOptimize(angle);
        step_model(model, geometry, phase, angle,
                   piston_position(geometry, crank_position(geometry, angle)));
        benchmark::ClobberMemory();
    }
    state.SetLabel("phase " + std::to_string(phase));
}
BENCHMARK(BM_ModelStep)->DenseRange(1, 5);

}  // namespace
}  // namespace hcci

BENCHMARK_MAIN();
