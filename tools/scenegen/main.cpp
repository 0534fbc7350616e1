// bxscene: renders the stereo sample scene, or a pair of fractal noise, and
// writes its two eye pictures.
//
//   bxscene [--noise] LEFT RIGHT [WIDTH HEIGHT]
#include "bxconvert/writers.h"
#include "scenegen/stereonoise.h"
#include "scenegen/stereoscene.h"

#include "imaging/pxerror.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const bool noise = argc > 1 && std::strcmp(argv[1], "--noise") == 0;
    char** arguments = argv + (noise ? 2 : 1);
    const int count = argc - (noise ? 2 : 1);
    if (count != 2 && count != 4) {
        std::fputs("usage: bxscene [--noise] LEFT RIGHT [WIDTH HEIGHT]\n", stderr);
        return 2;
    }
    const int width = count == 4 ? std::atoi(arguments[2]) : 800;
    const int height = count == 4 ? std::atoi(arguments[3]) : 600;
    try {
        pxImage left, right;
        if (noise)
            RenderStereoNoise(width, height, left, right);
        else
            RenderStereoScene(width, height, left, right);
        WritePicture(arguments[0], left, nullptr);
        WritePicture(arguments[1], right, nullptr);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
