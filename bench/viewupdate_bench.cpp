// The full-screen view redrawing a 4000 x 1500 side-by-side JPS (the rendered
// scene, through the JPEG writer and reader) in colour anaglyph at the fit
// zoom into a 1920 x 1080 mode: at 32 bits per pixel, and at 8 bits per pixel,
// where the mixed picture is reduced to a palette through the octree.
// Headless: the offscreen Qt platform and a virtual adapter of those modes.
#include "benchsupport.h"
#include "bxconvert/writers.h"
#include "imagefile/readimage.h"
#include "imaging/pixelops.h"
#include "scenegen/stereoscene.h"
#include "stereo/cpair.h"
#include "view/bxview.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

constexpr px2Size kEye{2000, 1500};
constexpr int32_t kColourAnaglyph = 6;

struct Jps {
    pxImage picture;
    uint32_t layout = 0;
};

const Jps& Picture() {
    static const Jps jps = [] {
        pxImage left, right;
        RenderStereoScene(kEye.width, kEye.height, left, right);
        pxImage sideBySide({kEye.width * 2, kEye.height}, 3, 4);
        CopyImage(sideBySide, {0, 0}, left, left.GetRect());
        CopyImage(sideBySide, {kEye.width, 0}, right, right.GetRect());
        const std::string path = ScratchFile("scene.jps");
        WritePicture(path.c_str(), sideBySide, nullptr);
        Jps read;
        pxPalette palette;
        ReadImageData data;
        data.fileName = path.c_str();
        data.image = &read.picture;
        data.palette = &palette;
        while (ReadImage(&data) == 0) {
        }
        read.layout = data.layout;
        std::remove(path.c_str());
        return read;
    }();
    return jps;
}

void UpdateAnaglyph(benchmark::State& state, int bpp) {
    HeadlessAdapter();
    const Jps& jps = Picture();
    auto view = std::make_unique<BxView>();
    view->SetFullScreen(true);
    view->SetStatusBar(true);
    view->SetProgressMessages(false);
    view->Create(DisplayGDI, DDSurfSingle, ModeType{ModeFixed, 1920, 1080, bpp, 0}, 0);
    if (!view->ShowImage(jps.picture, nullptr, jps.layout, kColourAnaglyph)) {
        state.SkipWithError("the view could not show the picture");
        return;
    }
    const double zoom = view->GetConversionSettings().zoom;
    for (auto _ : state) {
        view->Update(true);
        benchmark::ClobberMemory();
    }
    if (view->GetConversionSettings().zoom != zoom)
        state.SkipWithError("the zoom changed between updates");
    state.counters["zoom"] = zoom;
    state.SetItemsProcessed(state.iterations() * int64_t{jps.picture.GetWidth()} *
                            jps.picture.GetHeight());
    view->Destroy(1);
}

void BM_ViewUpdateColourAnaglyph32(benchmark::State& state) {
    UpdateAnaglyph(state, 32);
}
void BM_ViewUpdateColourAnaglyph8(benchmark::State& state) {
    UpdateAnaglyph(state, 8);
}

} // namespace

BENCHMARK(BM_ViewUpdateColourAnaglyph32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ViewUpdateColourAnaglyph8)->Unit(benchmark::kMillisecond)->UseRealTime();
