// Unpacking a 50 MB wrapped file from a presentation container, as the
// viewer does: through pxrBlockWrap in 10240-byte pieces with a 10240-byte
// input buffer, against zlib inflating the same stream straight from the
// file in 10240-byte reads. The reader's goal: within 1.2 times the bare
// inflate.
#include "benchsupport.h"

#include "bxpack/pxrwriter.h"
#include "viewer/pxrinput.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr size_t kPayloadSize = 50 * 1000 * 1000;
constexpr int32_t kChunk = 10240;

// Text-like bytes that deflate to about 2.5: words of a 1000-word vocabulary
// with numbers between them, in pseudo-random order.
PxrBytes Payload() {
    uint32_t state = 1;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    std::vector<std::string> words(1000);
    for (std::string& word : words)
        for (uint32_t length = 3 + next() % 8; length > 0; --length)
            word += char('a' + next() % 26);
    PxrBytes out;
    out.reserve(kPayloadSize + 16);
    for (uint32_t i = 0; out.size() < kPayloadSize; ++i) {
        const std::string word =
            i % 4 ? words[next() % words.size()] : std::to_string(next() % 100000);
        out.insert(out.end(), word.begin(), word.end());
        out.push_back(' ');
    }
    out.resize(kPayloadSize);
    return out;
}

struct Packed {
    std::string path;
    off_t streamStart = 0;
    size_t streamSize = 0;
};

// Written once per run: the file header, the block, the end block.
const Packed& Container() {
    static const Packed packed = [] {
        Packed p;
        p.path = ScratchFile("show.pxr");
        PxrOutBlock block;
        block.type = PXR_BLOCK_WRAP;
        block.compressed = true;
        block.body = PxrWrapBody("payload.txt", Payload());
        const PxrBytes header = PxrFileHeader();
        const PxrBytes encoded = PxrEncodeBlock(block);
        const PxrBytes end = PxrEndBlock();
        p.streamStart = off_t(header.size() + 8);
        p.streamSize = encoded.size() - 8;
        if (std::FILE* file = std::fopen(p.path.c_str(), "wb")) {
            std::fwrite(header.data(), 1, header.size(), file);
            std::fwrite(encoded.data(), 1, encoded.size(), file);
            std::fwrite(end.data(), 1, end.size(), file);
            std::fclose(file);
        }
        std::atexit([] { std::remove(ScratchFile("show.pxr").c_str()); });
        return p;
    }();
    return packed;
}

void Report(benchmark::State& state, uint64_t delivered, uint64_t expected) {
    if (delivered != expected)
        state.SkipWithError("the wrong number of bytes came out");
    state.SetBytesProcessed(int64_t(delivered) * state.iterations());
    state.counters["ratio"] = double(kPayloadSize) / double(Container().streamSize);
}

void BM_PxrWrapRead(benchmark::State& state) {
    const Packed& packed = Container();
    uint64_t delivered = 0;
    for (auto _ : state) {
        pxrInputFile input(packed.path.c_str());
        input.SetSourceComplete(true);
        input.SetInputBufferSize(kChunk);
        if (input.NextBlock() != PXR_BLOCK_WRAP) {
            state.SkipWithError("no wrapped file");
            return;
        }
        pxrBlockWrap wrap;
        uint64_t total = 0;
        for (;;) {
            const int32_t done = wrap.Load(input, kChunk);
            total += uint64_t(wrap.GetDataSize());
            benchmark::DoNotOptimize(wrap.GetData());
            if (done || wrap.GetDataSize() == 0)
                break;
        }
        delivered = total;
    }
    Report(state, delivered, kPayloadSize);
}

void BM_PxrBareInflate(benchmark::State& state) {
    const Packed& packed = Container();
    std::vector<unsigned char> in(kChunk), out(kChunk);
    uint64_t delivered = 0;
    for (auto _ : state) {
        const int descriptor = ::open(packed.path.c_str(), O_RDONLY);
        ::lseek(descriptor, packed.streamStart, SEEK_SET);
        z_stream zlib{};
        inflateInit(&zlib);
        uint64_t total = 0;
        size_t left = packed.streamSize;
        int status = Z_OK;
        while (status == Z_OK && left > 0) {
            const ssize_t got = ::read(descriptor, in.data(), std::min<size_t>(kChunk, left));
            if (got <= 0)
                break;
            left -= size_t(got);
            zlib.next_in = in.data();
            zlib.avail_in = uInt(got);
            do {
                zlib.next_out = out.data();
                zlib.avail_out = kChunk;
                status = inflate(&zlib, Z_NO_FLUSH);
                total += kChunk - zlib.avail_out;
                benchmark::DoNotOptimize(out.data());
            } while (status == Z_OK && zlib.avail_out == 0);
            // No progress for want of input: the next read brings it.
            if (status == Z_BUF_ERROR)
                status = Z_OK;
        }
        inflateEnd(&zlib);
        ::close(descriptor);
        delivered = total;
    }
    // The whole body: name length, name, size, then the file.
    Report(state, delivered, 8 + 11 + kPayloadSize);
}

} // namespace

BENCHMARK(BM_PxrWrapRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PxrBareInflate)->Unit(benchmark::kMillisecond)->UseRealTime();
