// SPDX-License-Identifier: MIT
// The explorer: showing a step from the slider (at 1x and 2x) and changing a parameter.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>
#include <random>

#include "apps/window/explore_window.h"
#include "core/draw/logical_mapping.h"
#include "qt/picture/picture_timeline.h"
#include "qt_bench_main.h"

namespace hcci {
namespace {

std::unique_ptr<PictureTimeline> built_timeline(double scale) {
    auto timeline = std::make_unique<PictureTimeline>(share_cycle({}), scale);
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

// The worst step to show right after a change: the last, its picture (at the picture's scale),
// its analysis and the view in sight afresh. Arguments: the scale, the view's tab shown (0:
// pressure-angle, 1: log p-log V; a view is always in sight beside the picture), 1 to change the
// main compression ratio, which moves the piston, rather than gamma, which does not; and 1 for
// the predictive model at its own defaults.
void BM_ParameterChange(benchmark::State& state) {
    const auto scale = static_cast<int>(state.range(0));
    ExploreWindow window{EngineParameters{}};
    window.resize(window.width() + client_width * (scale - 1), client_height * scale);
    window.set_column_widths(client_width * scale, window.panel().minimumWidth());
    window.show();
    QApplication::processEvents();
    if (std::abs(window.picture().wanted_scale() - scale) > 1e-9) {
        state.SkipWithError("the picture is not at the scale asked");
        return;
    }
    window.tabs().setCurrentIndex(static_cast<int>(state.range(1)));
    window.show_step(18000);
    EngineParameters engine =
        state.range(3) == 1 ? *model_defaults("predictive") : EngineParameters{};
    bool other = false;
    const std::uint64_t cycles_before = cycles_run();
    for (auto _ : state) {
        other = !other;
        if (state.range(2) == 1) {
            engine.main_compression_ratio = other ? 12.5 : 12;
        } else {
            engine.gamma = other ? 1.35 : 1.4;
        }
        window.set_parameters(engine);
        benchmark::DoNotOptimize(window.picture().surface().image().constBits());
        QApplication::processEvents();  // the panel and the view painted
    }
    state.counters["sweeps_per_change"] =
        static_cast<double>(cycles_run() - cycles_before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ParameterChange)
    ->ArgsProduct({{1, 2}, {0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"scale", "tab", "piston", "predictive"})
    ->Unit(benchmark::kMillisecond);

// The picture of a step drawn at once, as a change shows it (moment_at), at 1x and 2x.
void BM_MomentAt(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const SharedRecord original = share_cycle({});
    for (auto _ : state) {
        PictureTimeline::Moment moment = moment_at(original, scale, 18000);
        benchmark::DoNotOptimize(moment.surface->image().constBits());
    }
}
BENCHMARK(BM_MomentAt)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hcci

int main(int argc, char** argv) {
    return run_qt_benchmarks<QApplication>(argc, argv);
}
