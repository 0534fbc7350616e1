// Arbitrary bytes as an AVI file through the video service: open, the first
// video stream, its information, the decompressor probe, and the first
// frames in order and out of order.
#include "fuzzfile.h"
#include "platform/vfw/vfw.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace win;
    static const FuzzFile input("avi");
    input.Write(data, size);
    AVIFileInit();
    PAVIFILE file = nullptr;
    if (AVIFileOpen(&file, input.name.c_str(), OF_READ | OF_SHARE_DENY_NONE, nullptr) == S_OK) {
        PAVISTREAM stream = nullptr;
        if (AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == S_OK) {
            AVISTREAMINFO info;
            AVIStreamInfo(stream, &info, sizeof info);
            ICClose(ICOpen(ICTYPE_VIDEO, info.fccHandler, ICMODE_DECOMPRESS));
            if (PGETFRAME reader = AVIStreamGetFrameOpen(stream, nullptr)) {
                volatile uint8_t sum = 0;
                for (const LONG i : {0, 1, 2, 1, 0, 3}) {
                    if (const auto* header =
                            static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(reader, i))) {
                        const auto* bytes = reinterpret_cast<const uint8_t*>(header);
                        sum = sum + bytes[header->biSize + header->biSizeImage - 1];
                    }
                }
                AVIStreamGetFrameClose(reader);
            }
            AVIStreamRelease(stream);
        }
        AVIFileRelease(file);
    }
    AVIFileExit();
    return 0;
}
