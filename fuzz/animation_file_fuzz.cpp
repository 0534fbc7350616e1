// Arbitrary bytes as an animation the player opens: AVIFile::Open, then the
// first frames into a picture, in order and out of order.
#include "imaging/pxerror.h"
#include "viewer/animation.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

const std::string& ScratchFile() {
    static const std::string name = [] {
        char path[] = "/tmp/animation_file_fuzz.XXXXXX";
        const int file = mkstemp(path);
        if (file >= 0)
            close(file);
        return std::string(path);
    }();
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (std::FILE* file = std::fopen(ScratchFile().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    try {
        AVIFile animation;
        animation.Open(ScratchFile().c_str(), nullptr);
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
