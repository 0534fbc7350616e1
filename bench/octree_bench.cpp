#include "imaging/octtree.h"
#include "imaging/pixelops.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

// Smooth gradients with noise on top: many colours, so the tree grows deep
// and reduces often, as with a photograph.
pxImage ManyColourPicture(px2Size size) {
    pxImage picture(size, 3, 4);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> noise(-12, 12);
    const auto channel = [&](int value) {
        return static_cast<uint8_t>(std::clamp(value + noise(random), 0, 255));
    };
    for (int32_t y = 0; y < size.height; ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int32_t x = 0; x < size.width; ++x, pixel += 3) {
            pixel[0] = channel(x * 255 / size.width);
            pixel[1] = channel(y * 255 / size.height);
            pixel[2] = channel((x + y) * 255 / (size.width + size.height));
        }
    }
    return picture;
}

void BM_OctreeQuantize(benchmark::State& state) {
    const px2Size size{2000, 1500};
    const pxImage picture = ManyColourPicture(size);
    pxImage indexed(size, 1, 4);
    pxPalette palette;
    for (auto _ : state) {
        octTree tree(pxPalette::kMaxColours);
        tree.insert_colors(picture);
        tree.gen_colormap(palette, 0);
        tree.map_image(picture, indexed);
        benchmark::DoNotOptimize(indexed.GetPixels());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{size.width} * size.height);
}

} // namespace

BENCHMARK(BM_OctreeQuantize)->Unit(benchmark::kMillisecond);
