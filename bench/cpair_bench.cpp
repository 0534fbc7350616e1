// Pair conversion of a 2000 x 1500 eye pair (one 4000 x 1500 side-by-side
// picture, 3 bytes per pixel) into every output type, against a plain memcpy.
#include "stereo/cpair.h"

#include "imaging/pximage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr px2Size kPicture{4000, 1500};
constexpr uint32_t kLayout = LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST | 1;

const pxImage& Picture() {
    static const pxImage picture = [] {
        pxImage made(kPicture, 3);
        std::mt19937 random(7);
        for (int32_t y = 0; y < kPicture.height; ++y) {
            uint8_t* row = made.Row(y);
            for (int32_t i = 0; i < kPicture.width * 3; ++i)
                row[i] = static_cast<uint8_t>(random());
        }
        return made;
    }();
    return picture;
}

void Convert(benchmark::State& state, int32_t outputType, int32_t halveRows) {
    pxCPair pair(kLayout, Picture());
    pair.halveRows = halveRows;
    const px2Size need = pair.CalcConvertSize(outputType);
    pxImage destination(need, 3);
    for (auto _ : state) {
        pair.CopyConvert(destination, {0, 0}, outputType, 0);
        benchmark::DoNotOptimize(destination.GetPixels());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{need.width} * need.height);
}

// The same bytes as the side-by-side output (the whole picture), copied
// with one memcpy.
void BM_MemcpyBaseline(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(kPicture.width) * kPicture.height * 3;
    std::vector<uint8_t> source(Picture().GetPixels(), Picture().GetPixels() + bytes);
    std::vector<uint8_t> destination(bytes);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), bytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kPicture.width} * kPicture.height);
}

} // namespace

BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 1_interleaved, OUTPUT_INTERLEAVED, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 1_interleaved_halving, OUTPUT_INTERLEAVED, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 2_side_by_side, OUTPUT_SIDE_BY_SIDE, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 3_pure_red_blue, OUTPUT_PURE_RED_BLUE, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 4_pure_red_green, OUTPUT_PURE_RED_GREEN, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 5_grey_red_blue, OUTPUT_GREY_RED_BLUE, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 6_grey_red_green, OUTPUT_GREY_RED_GREEN, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 7_color, OUTPUT_COLOR, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 8_one_eye, OUTPUT_ONE_EYE, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 9_copy, OutputCopy, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 10_over_under, OUTPUT_OVER_UNDER, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, 11_dubois_red_cyan, OUTPUT_DUBOIS_RED_CYAN, 0)
    ->Unit(benchmark::kMillisecond);
