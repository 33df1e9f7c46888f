// SPDX-License-Identifier: MIT
// The explorer: showing a step from the slider (at 1x and 2x) and changing a parameter.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <random>

#include "apps/window/explore_window.h"
#include "qt/picture/picture_timeline.h"

namespace hcci {
namespace {

std::unique_ptr<PictureTimeline> built_timeline(double scale) {
    auto timeline = std::make_unique<PictureTimeline>(EngineParameters{}, scale);
    while (!timeline->build([] { return false; })) {
    }
    return timeline;
}

// Any step, once the timeline's snapshots are made: the nearest snapshot's picture and a
// replay of what lies after it. Arguments: the scale, and 0 for random steps or 1 for the step
// farthest from a snapshot.
void BM_ShowStep(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const std::unique_ptr<PictureTimeline> timeline = built_timeline(scale);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> any_step(0, 18000);
    const int farthest = PictureTimeline::snapshot_interval(scale) - 1;
    for (auto _ : state) {
        const int step = state.range(1) == 0 ? any_step(random) : farthest;
        PictureTimeline::Moment moment = timeline->at(step);
        benchmark::DoNotOptimize(moment.surface->image().constBits());
    }
    state.counters["snapshot_MB"] = static_cast<double>(timeline->snapshot_bytes()) / 1e6;
}
BENCHMARK(BM_ShowStep)
    ->ArgsProduct({{1, 2, 3}, {0, 1}})
    ->ArgNames({"scale", "farthest"})
    ->Unit(benchmark::kMillisecond);

// The worst step to show right after a change: the last, its picture and analysis afresh.
void BM_ParameterChange(benchmark::State& state) {
    ExploreWindow window{EngineParameters{}};
    window.show_step(18000);
    EngineParameters engine;
    bool other = false;
    for (auto _ : state) {
        other = !other;
        engine.gamma = other ? 1.35 : 1.4;
        window.set_parameters(engine);
        benchmark::DoNotOptimize(window.picture().surface().image().constBits());
    }
}
BENCHMARK(BM_ParameterChange)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hcci

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
