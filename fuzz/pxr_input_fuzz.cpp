// Arbitrary bytes as a presentation container, walked as the viewer walks a
// complete file: every block, wrapped files loaded in small pieces, texts
// whole, scripts by their length word. The first byte picks the input
// buffer's size. The same bytes are then walked again as a download that
// arrives a few bytes at a time, so that every resumption is fuzzed too.
#include "fuzzfile.h"
#include "imaging/pxerror.h"
#include "viewer/pxrinput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Hands out at most perRead bytes a read, and only the first `available`.
class TrickleSource : public pxrInput {
public:
    TrickleSource(const uint8_t* data, size_t size, int32_t perRead)
        : data(data), size(size), perRead(perRead) {}

    // More of the data, or false when all of it is there already.
    bool Grow() {
        if (available >= size)
            return false;
        available = std::min(size, available + size_t(perRead) * 3);
        return true;
    }

    int32_t Skip(int32_t count) override {
        if (count < 0 || uint32_t(count) > remaining)
            throw pxError("TrickleSource::Skip -- %d exceeds the block", count);
        return DropInput(count);
    }

protected:
    int32_t Read(void* into, int32_t count) override {
        const size_t n = std::min({size_t(count), size_t(perRead), available - position});
        std::memcpy(into, data + position, n);
        position += n;
        return int32_t(n);
    }

private:
    const uint8_t* data;
    size_t size;
    int32_t perRead;
    size_t available = 0;
    size_t position = 0;
};

// Walks the blocks; more() is called whenever a call gave nothing and says
// whether more data can come. Every loop ends on no progress.
template <typename More> void Walk(pxrInput& input, int32_t piece, size_t size, More more) {
    volatile uint8_t sink = 0;
    // Each block costs at least its 8-byte header, so a run of zero answers
    // (blocks of type 0) longer than this is a reader that has stopped.
    const size_t maxIdle = size / 8 + 2;
    size_t idle = 0;
    for (;;) {
        int32_t type;
        try {
            type = input.NextBlock();
        } catch (const pxError&) {
            return;
        }
        if (type == kPxrEndBlock)
            return;
        if (type == 0) {
            if (!more() && ++idle > maxIdle)
                return;
            continue;
        }
        idle = 0;
        try {
            if (type == PXR_BLOCK_WRAP) {
                pxrBlockWrap wrap;
                while (!wrap.Load(input, piece)) {
                    if (wrap.GetDataSize() > 0)
                        sink = sink + uint8_t(wrap.GetData()[wrap.GetDataSize() - 1]);
                    else if (!more())
                        return;
                }
            } else if (type == PXR_BLOCK_TEXT) {
                pxrBlockText text;
                while (!text.Load(input, 0)) {
                    if (!more())
                        return;
                }
                if (text.GetTextLength() > 0)
                    sink = sink + uint8_t(text.GetText()[text.GetTextLength() - 1]);
            } else if (type == PXR_BLOCK_SCRIPT) {
                uint32_t length = 0;
                while (input.ReadUInt32(&length) != 4) {
                    if (!more())
                        return;
                }
                std::vector<uint8_t> part(4096);
                for (uint32_t read = 0; read < length;) {
                    const int32_t want = int32_t(std::min<uint32_t>(length - read, 4096));
                    const int32_t got = input.ReadData(part.data(), want);
                    if (got > 0) {
                        sink = sink + part[size_t(got - 1)];
                        read += uint32_t(got);
                    } else if (!more()) {
                        return;
                    }
                }
            }
        } catch (const pxError&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader logs every oddity; a log file of every input is no use here.
    static const bool quiet = [] {
        pxSetLogName("/dev/null");
        return true;
    }();
    (void)quiet;
    static const FuzzFile fuzzFile("pxr");
    fuzzFile.Write(data, size);
    static constexpr int32_t kBufferSizes[] = {1, 2, 3, 7, 16, 100, 1024, 4096};
    const int32_t bufferSize = size > 0 ? kBufferSizes[data[0] % 8] : 1024;
    const int32_t piece = size > 1 ? 1 + data[1] % 128 : 64;
    try {
        pxrInputFile file(fuzzFile.name.c_str());
        file.SetSourceComplete(true);
        file.SetInputBufferSize(bufferSize);
        Walk(file, piece, size, [] { return false; });
    } catch (const pxError&) {
    }
    try {
        TrickleSource trickle(data, size, 1 + (size > 2 ? data[2] % 16 : 0));
        trickle.SetInputBufferSize(bufferSize);
        Walk(trickle, piece, size, [&] { return trickle.Grow(); });
    } catch (const pxError&) {
    }
    return 0;
}
