#include "imaging/resize.h"

#include "imaging/pximage.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr px2Size kSource{2000, 1500};

void ResizeBy(benchmark::State& state, double zoom) {
    pxImage source(kSource, 3);
    for (int32_t y = 0; y < kSource.height; ++y)
        std::memset(source.Row(y), y & 0xFF, static_cast<size_t>(kSource.width) * 3);
    const px2Size scaled{static_cast<int32_t>(kSource.width * zoom),
                         static_cast<int32_t>(kSource.height * zoom)};
    pxImage destination(scaled, 3);
    for (auto _ : state) {
        ResizeDDA(destination, source, zoom, zoom, {0, 0});
        benchmark::DoNotOptimize(destination.GetPixels());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{scaled.width} * scaled.height);
}

void BM_ResizeDDA_Double(benchmark::State& state) {
    ResizeBy(state, 2.0);
}
void BM_ResizeDDA_Half(benchmark::State& state) {
    ResizeBy(state, 0.5);
}

} // namespace

BENCHMARK(BM_ResizeDDA_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeDDA_Half)->Unit(benchmark::kMillisecond);
