// Decoding and blitting an animation as fast as it goes, unpaced: an 800 x 600
// row-interleaved stereo AVI of the rendered scene (Motion JPEG, the sample's
// codec; 24-bit frames) into a 1024 x 768 x 32 view, frame after frame in
// order, as the player does. The split shows where the time goes.
#include "benchsupport.h"

#include "bxconvert/writers.h"
#include "scenegen/stereoscene.h"
#include "view/bxview.h"
#include "viewer/animation.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kFrames = 30;

// Written once per run with FFmpeg's tool from frames of the scene.
const std::string& Animation() {
    static const std::string path = [] {
        const std::string frames = ScratchFile("frame");
        for (int i = 0; i < kFrames; ++i) {
            pxImage left, right;
            RenderStereoScene(800, 300, left, right, 0.02 * i);
            // Row-interleaved, left line first.
            pxImage pair({800, 600}, 3, 4);
            for (int32_t y = 0; y < 300; ++y) {
                std::memcpy(pair.Row(2 * y), left.Row(y), 800 * 3);
                std::memcpy(pair.Row(2 * y + 1), right.Row(y), 800 * 3);
            }
            WritePicture((frames + std::to_string(i) + ".ppm").c_str(), pair, nullptr);
        }
        const std::string avi = ScratchFile("animation.avi");
        const std::string command = "ffmpeg -v error -y -framerate 15 -i '" + frames +
                                    "%d.ppm' -c:v mjpeg -pix_fmt yuvj422p -q:v 3 '" + avi + "'";
        if (std::system(command.c_str()) != 0)
            return std::string();
        for (int i = 0; i < kFrames; ++i)
            std::remove((frames + std::to_string(i) + ".ppm").c_str());
        std::atexit([] { std::remove(ScratchFile("animation.avi").c_str()); });
        return avi;
    }();
    return path;
}

// blit false: decoding alone.
void PlayUnpaced(benchmark::State& state, bool blit) {
    HeadlessAdapter();
    if (Animation().empty()) {
        state.SkipWithError("ffmpeg could not write the animation");
        return;
    }
    auto view = std::make_unique<BxView>();
    view->Create(DisplayGDI, DDSurfSingle, ModeType{ModeFixed, 1024, 768, 32, 0}, 0);
    AVIFile animation;
    animation.Open(Animation().c_str(), nullptr);
    pxImage frame;
    win::BITMAPINFOHEADER header{};
    const px2Pnt centre{112, 84};
    int32_t i = 0;
    for (auto _ : state) {
        const win::BITMAPINFOHEADER* decoded = animation.GetFrameImage(frame, i);
        if (!decoded) {
            state.SkipWithError("a frame could not be decoded");
            break;
        }
        if (blit) {
            header = *decoded;
            view->BltImage(frame, reinterpret_cast<const win::BITMAPINFO*>(&header), &centre);
        }
        benchmark::ClobberMemory();
        i = (i + 1) % kFrames;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    view->Destroy(1);
}

void BM_AnimationDecodeAndBlit(benchmark::State& state) {
    PlayUnpaced(state, true);
}
void BM_AnimationDecodeOnly(benchmark::State& state) {
    PlayUnpaced(state, false);
}

} // namespace

BENCHMARK(BM_AnimationDecodeAndBlit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AnimationDecodeOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
