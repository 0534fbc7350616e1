// bxscene: renders the stereo sample scene, or a pair of fractal noise, and
// writes its two eye pictures; --frame renders frame N of an animation of
// COUNT frames in which the camera sways sideways and back.
//
//   bxscene [--noise | --frame N/COUNT] LEFT RIGHT [WIDTH HEIGHT]
#include "bxconvert/writers.h"
#include "scenegen/stereonoise.h"
#include "scenegen/stereoscene.h"

#include "imaging/pxerror.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Frame n of count sways the camera sideways and back, so that the frames
// loop without a jump.
double CameraShiftOfFrame(const char* frame) {
    int n = 0, count = 0;
    if (std::sscanf(frame, "%d/%d", &n, &count) != 2 || count < 1 || n < 0 || n >= count)
        return std::nan("");
    return 0.6 * std::sin(2 * std::acos(-1.0) * n / count);
}

} // namespace

int main(int argc, char** argv) {
    const bool noise = argc > 1 && std::strcmp(argv[1], "--noise") == 0;
    const bool framed = argc > 2 && std::strcmp(argv[1], "--frame") == 0;
    const double shift = framed ? CameraShiftOfFrame(argv[2]) : 0.0;
    char** arguments = argv + (noise ? 2 : framed ? 3 : 1);
    const int count = argc - static_cast<int>(arguments - argv);
    if ((count != 2 && count != 4) || std::isnan(shift)) {
        std::fputs("usage: bxscene [--noise | --frame N/COUNT] LEFT RIGHT [WIDTH HEIGHT]\n",
                   stderr);
        return 2;
    }
    const int width = count == 4 ? std::atoi(arguments[2]) : 800;
    const int height = count == 4 ? std::atoi(arguments[3]) : 600;
    try {
        pxImage left, right;
        if (noise)
            RenderStereoNoise(width, height, left, right);
        else
            RenderStereoScene(width, height, left, right, shift);
        WritePicture(arguments[0], left, nullptr);
        WritePicture(arguments[1], right, nullptr);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
