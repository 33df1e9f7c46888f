// SPDX-License-Identifier: MIT
// The engineer's views: all four redrawn after a parameter change, as the explorer does it,
// and one view drawn as a PNG.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <array>
#include <memory>

#include "core/model/cycle_series.h"
#include "qt/plot/cycle_views.h"
#include "qt/plot/view_widget.h"
#include "qt_bench_main.h"

namespace hcci {
namespace {

// The sweep's series afresh and each view's charts changed to them, at the size of a view's
// tab; then none painted, the one on screen (the pressure's, the heaviest) or all four.
// Arguments: the tab's width in pixels, the views painted.
void BM_AllViewsAfterParameterChange(benchmark::State& state) {
    std::vector<std::unique_ptr<CycleViewWidget>> views;
    for (const CycleView* view : cycle_views()) {
        views.push_back(std::make_unique<CycleViewWidget>(*view));
        views.back()->resize(static_cast<int>(state.range(0)), 720);
        views.back()->show();
    }
    EngineParameters engine;
    bool other = false;
    for (auto _ : state) {
        other = !other;
        engine.gamma = other ? 1.35 : 1.4;
        const auto series = std::make_shared<const CycleSeries>(cycle_series(run_cycle(engine)));
        for (const auto& view : views) view->show_cycle(series, nullptr);
        for (std::size_t i = 0; i < static_cast<std::size_t>(state.range(1)); ++i) {
            const QPixmap drawn = views[i]->grab();
            benchmark::DoNotOptimize(drawn.cacheKey());
        }
    }
}
BENCHMARK(BM_AllViewsAfterParameterChange)
    ->ArgsProduct({{440, 820}, {0, 1, 4}})
    ->ArgNames({"width", "painted"})
    ->Unit(benchmark::kMillisecond);

// The series alone: every value the views plot, from a recorded sweep.
void BM_CycleSeries(benchmark::State& state) {
    const CycleRecord record = run_cycle({});
    for (auto _ : state) {
        const CycleSeries series = cycle_series(record);
        benchmark::DoNotOptimize(series.angle_deg.data());
    }
}
BENCHMARK(BM_CycleSeries)->Unit(benchmark::kMillisecond);

void BM_PressureAnglePng(benchmark::State& state) {
    const CycleSeries series = cycle_series(run_cycle({}));
    for (auto _ : state) {
        const std::string png = render_view(*view_named("pressure-angle"), series, nullptr,
                                            QSize(1600, 1000), PlotFormat::png);
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_PressureAnglePng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hcci

int main(int argc, char** argv) {
    return run_qt_benchmarks<QApplication>(argc, argv);
}
