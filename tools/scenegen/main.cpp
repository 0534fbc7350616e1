// bxscene: renders the stereo sample scene and writes its two eye pictures.
//
//   bxscene LEFT RIGHT [WIDTH HEIGHT]
#include "bxconvert/writers.h"
#include "scenegen/stereoscene.h"

#include "imaging/pxerror.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fputs("usage: bxscene LEFT RIGHT [WIDTH HEIGHT]\n", stderr);
        return 2;
    }
    const int width = argc == 5 ? std::atoi(argv[3]) : 800;
    const int height = argc == 5 ? std::atoi(argv[4]) : 600;
    try {
        pxImage left, right;
        RenderStereoScene(width, height, left, right);
        WritePicture(argv[1], left, nullptr);
        WritePicture(argv[2], right, nullptr);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
