// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/combustion_model.h"
#include "core/model/cycle_analysis.h"
#include "core/model/engine_geometry.h"
#include "core/model/stepper.h"

// The model alone, without drawing: a whole sweep has a budget of 2 ms.

namespace hcci {
namespace {

void BM_ModelSweep(benchmark::State& state) {
    for (auto _ : state) {
        Stepper stepper;
        int steps = 0;
        while (stepper.step()) ++steps;
        benchmark::DoNotOptimize(stepper.state());
        benchmark::DoNotOptimize(steps);
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_ModelSweep)->Unit(benchmark::kMicrosecond);

// The predictive model's sweep: its budget is 3 ms.
void BM_PredictiveSweep(benchmark::State& state) {
    EngineParameters predictive;
    predictive.model = EngineModelKind::predictive;
    for (auto _ : state) {
        Stepper stepper(predictive);
        int steps = 0;
        while (stepper.step()) ++steps;
        benchmark::DoNotOptimize(stepper.state());
        benchmark::DoNotOptimize(steps);
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_PredictiveSweep)->Unit(benchmark::kMicrosecond);

// The same sweep with the analysis gathered at every step: its own cost is the difference.
void BM_AnalysedSweep(benchmark::State& state) {
    for (auto _ : state) {
        const CycleAnalysis analysis = analyse_cycle(EngineParameters{});
        benchmark::DoNotOptimize(analysis);
    }
    state.SetItemsProcessed(state.iterations() * steps_per_sweep);
}
BENCHMARK(BM_AnalysedSweep)->Unit(benchmark::kMicrosecond);

// One step at a crank angle of the given phase, from the state the sweep has reached there.
// Repeating a step at the same angle is harmless: it reads only what earlier phases handed over.
void BM_ModelStep(benchmark::State& state) {
    constexpr double angle_of_phase[] = {0, 0, 76.5, 88.5, 110, 180};
    const double target = angle_of_phase[state.range(0)];
    Stepper stepper;
    while (stepper.crank_angle() < target && stepper.step()) {
    }
    const EngineGeometry& geometry = stepper.geometry();
    CombustionModel model = stepper.state();
    const double angle = stepper.crank_angle();
    for (auto _ : state) {
        benchmark::DoNotOptimize(angle);
        const int phase = step_model(model, geometry, angle, crank_position(geometry, angle));
        benchmark::DoNotOptimize(phase);
        benchmark::ClobberMemory();
    }
    state.SetLabel("phase " + std::to_string(phase_of(geometry, angle)));
}
BENCHMARK(BM_ModelStep)->DenseRange(1, 5);

}  // namespace
}  // namespace hcci

BENCHMARK_MAIN();
