// SPDX-License-Identifier: MIT
// The picture export: step 18000 of a fresh sweep, drawn with its labels and encoded as PNG.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "qt/picture/picture.h"
#include "qt_bench_main.h"

namespace hcci {
namespace {

void BM_PngOfLastStep(benchmark::State& state) {
    for (auto _ : state) {
        const std::string png = encode_png(render_picture(18000, true));
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_PngOfLastStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hcci

int main(int argc, char** argv) {
    return run_qt_benchmarks<QGuiApplication>(argc, argv);
}
