// SPDX-License-Identifier: MIT
// A whole sweep with every drawing call into the 616 x 741 surface, as the window runs it but
// without pacing.

#include <benchmark/benchmark.h>

#include "core/animate/cycle_driver.h"
#include "qt/picture/image_surface.h"

namespace hcci {
namespace {

void BM_HeadlessSweep(benchmark::State& state) {
    for (auto _ : state) {
        ImageSurface surface;
        RunControl run;
        CycleDriver driver(surface, run);
        int steps = 0;
        while (driver.advance() == Advance::stepped) ++steps;
        benchmark::DoNotOptimize(surface.image().constBits());
        if (steps != 18001) state.SkipWithError("the sweep did not run 18001 steps");
    }
}
BENCHMARK(BM_HeadlessSweep)->Unit(benchmark::kMillisecond);

// The background drawn at every cycle start: grid, outline and axes.
void BM_CycleStart(benchmark::State& state) {
    ImageSurface surface;
    RunControl run;
    for (auto _ : state) {
        CycleDriver driver(surface, run);
        driver.advance();
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}
BENCHMARK(BM_CycleStart)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace hcci

BENCHMARK_MAIN();
