// Arbitrary bytes as an animation the player opens: AVIFile::Open, then the
// first frames into a picture, in order and out of order.
#include "fuzzfile.h"
#include "imaging/pxerror.h"
#include "viewer/animation.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFile input("avi");
    input.Write(data, size);
    try {
        AVIFile animation;
        animation.Open(input.name.c_str(), nullptr);
        pxImage frame;
        volatile uint8_t sum = 0;
        for (const int32_t i : {0, 1, 2, 0}) {
            if (animation.GetFrameImage(frame, i) && frame.GetHeight() > 0)
                sum = sum + frame.Row(frame.GetHeight() - 1)[0];
        }
    } catch (const pxError&) {
    }
    return 0;
}
