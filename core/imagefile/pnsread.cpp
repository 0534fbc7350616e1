#include "imagefile/pnsread.h"

#include "imagefile/picturesize.h"
#include "imagefile/pngchunkfeed.h"
#include "imagefile/pngstereo.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kBlockSize = 4096;
// libpng's default bound on the memory it takes for one chunk, set
// explicitly so that the ancillary chunks it would not keep and those passed
// over unseen are the same. A sTEr chunk's fields span at most 128 KiB.
constexpr uint32_t kLargestChunk = 8000000;
// The Adam7 pass that brings an interlaced image's last rows.
constexpr int kLastInterlacePass = 6;
// Gamma of files that do not state theirs, and of the screen.
constexpr double kDefaultFileGamma = 0.45;
constexpr double kScreenGamma = 2.2;

// One read in progress. libpng's callbacks reach it through their pointers;
// it stays where it is while the caller's progress record may not.
class PngDecoder final : public ImageDecoder {
public:
    explicit PngDecoder(const char* fileName)
        : name(fileName), block(kBlockSize), feed(kLargestChunk) {}
    ~PngDecoder() override {
        if (png)
            png_destroy_read_struct(&png, pngInfo ? &pngInfo : nullptr, nullptr);
    }

    std::string name;
    png_structp png = nullptr;
    png_infop pngInfo = nullptr;
    std::vector<uint8_t> block;
    PngChunkFeed feed;
    PngStereoDescriptor stereo;
    _ImageInfo* info = nullptr;        // the caller's record, set on every call
    std::optional<pxColor> background; // of the current call
    std::exception_ptr pending;        // thrown inside a callback, rethrown outside libpng
    bool sterCheckFailed = false;      // the sTEr chunk being read has a bad check value
    int lastPass = 0;                  // the pass that brings the last row
    bool lastRowRead = false;
    bool ended = false; // libpng has read the end chunk
    char errorText[256] = {};
};

PngDecoder& DecoderOf(png_structp png) {
    return *static_cast<PngDecoder*>(png_get_progressive_ptr(png));
}

// libpng's errors must not return; jump back out of libpng (a C++ exception
// cannot cross its C frames) and throw from there.
[[noreturn]] void LeaveOnPngError(png_structp png, png_const_charp message) {
    auto& decoder = *static_cast<PngDecoder*>(png_get_error_ptr(png));
    std::snprintf(decoder.errorText, sizeof decoder.errorText, "%s", message);
    png_longjmp(png, 1);
}

// libpng checks an unknown chunk's check value before it hands the chunk to
// the chunk callback, and hands it over even when the check failed, right
// after this warning. For sTEr the warning is held back: the chunk callback
// weighs it after its own checks, and drops the chunk.
constexpr char kSterCheckFailed[] = "sTEr: CRC error";

void LogLibpngWarning(const char* message) {
    pxLog("LIBPNG WARNING: %s", message);
}

void LogHeldBackCheckFailure(PngDecoder& decoder) {
    if (std::exchange(decoder.sterCheckFailed, false))
        LogLibpngWarning(kSterCheckFailed);
}

void LogPngWarning(png_structp png, png_const_charp message) {
    auto& decoder = *static_cast<PngDecoder*>(png_get_error_ptr(png));
    if (std::strcmp(message, kSterCheckFailed) == 0) {
        decoder.sterCheckFailed = true;
        return;
    }
    // A chunk libpng could not keep never reaches the chunk callback.
    LogHeldBackCheckFailure(decoder);
    LogLibpngWarning(message);
}

// Runs a callback's work; an exception it throws is kept and ends the read
// once libpng has been left.
template <typename Work> void Guarded(png_structp png, PngDecoder& decoder, const Work& work) {
    try {
        work();
    } catch (...) {
        decoder.pending = std::current_exception();
    }
    if (decoder.pending)
        png_longjmp(png, 1);
}

void SetTransformations(png_structp png, png_infop pngInfo, int colourType, int bitDepth) {
    png_set_strip_16(png);
    png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE || (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8))
        png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_color_16 black{};
    png_set_background(png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    double fileGamma = kDefaultFileGamma;
    if (!png_get_gAMA(png, pngInfo, &fileGamma))
        fileGamma = kDefaultFileGamma;
    png_set_gamma(png, kScreenGamma, fileGamma);
    png_set_bgr(png);
    png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, pngInfo);
}

void OnHeader(png_structp png, png_infop pngInfo) {
    PngDecoder& decoder = DecoderOf(png);
    _ImageInfo& info = *decoder.info;
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, pngInfo, &width, &height, &bitDepth, &colourType, &interlace, nullptr,
                 nullptr);
    uint32_t layout = 0;
    const char* comment = nullptr;
    const uint8_t* extra = nullptr;
    size_t extraCount = 0;
    info.hasDescriptor = static_cast<int>(
        GetStereoDescriptor(&decoder.stereo, &layout, &comment, &extra, &extraCount));
    if (info.hasDescriptor)
        info.layout = layout;
    Guarded(png, decoder, [&] {
        CheckPictureSize(decoder.name.c_str(), width, height, 3);
        info.image->Create({static_cast<int32_t>(width), static_cast<int32_t>(height)}, 3, 4, 0);
        if (decoder.background)
            pxFillImage(*info.image, *decoder.background);
    });
    decoder.lastPass = interlace == PNG_INTERLACE_NONE ? 0 : kLastInterlacePass;
    SetTransformations(png, pngInfo, colourType, bitDepth);
    // Every transformation above ends in 3 bytes per pixel; anything else
    // would overrun the picture's rows.
    if (png_get_rowbytes(png, pngInfo) != size_t{width} * 3)
        png_error(png, "Unexpected row format after transformations");
    info.headerRead = 1;
}

void OnRow(png_structp png, png_bytep newRow, png_uint_32 rowNumber, int pass) {
    PngDecoder& decoder = DecoderOf(png);
    _ImageInfo& info = *decoder.info;
    const auto height = static_cast<png_uint_32>(info.image->GetHeight());
    // With interlace handling libpng calls for every row in every pass, with
    // no new row where the pass has no pixels.
    if (pass == decoder.lastPass && rowNumber + 1 == height)
        decoder.lastRowRead = true;
    if (!newRow || rowNumber >= height)
        return;
    png_progressive_combine_row(png, info.image->Row(static_cast<int32_t>(rowNumber)), newRow);
    info.rowsDone = std::max(info.rowsDone, static_cast<int>(rowNumber) + 1);
}

// Image data that stops before the last row, followed by the end chunk, is a
// picture that ends early: it stays incomplete, like a file that stops
// short.
void OnEnd(png_structp png, png_infop) {
    PngDecoder& decoder = DecoderOf(png);
    decoder.ended = true;
    decoder.info->complete = decoder.lastRowRead ? 1 : 0;
}

bool IsAncillary(const png_byte name[5]) {
    return (name[0] & 0x20) != 0;
}

// libpng hands over every chunk it does not know. sTEr is the stereo
// descriptor; other ancillary chunks are dropped unsaved, and unknown critical
// chunks are left to libpng, which refuses them.
int OnUnknownChunk(png_structp png, png_unknown_chunkp chunk) {
    if (std::memcmp(chunk->name, "sTEr", 4) != 0)
        return IsAncillary(chunk->name) ? 1 : 0;
    PngDecoder& decoder = DecoderOf(png);
    // The check value counts only for a chunk that is otherwise taken.
    const bool checkFailed = std::exchange(decoder.sterCheckFailed, false);
    if (png_get_image_width(png, decoder.pngInfo) == 0)
        png_error(png, "Missing IHDR before sTEr");
    if (decoder.info->headerRead) {
        png_warning(png, "Invalid sTEr after IDAT");
        return 1;
    }
    if (decoder.stereo.valid) {
        png_warning(png, "Duplicate sTEr chunk");
        return 1;
    }
    if (checkFailed) {
        LogLibpngWarning(kSterCheckFailed);
        return 1;
    }
    bool parsed = false;
    Guarded(png, decoder,
            [&] { parsed = ParseStereoChunk(chunk->data, chunk->size, &decoder.stereo); });
    if (!parsed)
        png_warning(png, "Invalid sTEr chunk length");
    return 1;
}

// The error that ends a read: the file is closed and the decoder freed.
[[noreturn]] void EndRead(_ImageInfo& info, PngDecoder& decoder) {
    const std::exception_ptr pending = decoder.pending;
    const std::string text = decoder.errorText;
    info = _ImageInfo{};
    if (pending)
        std::rethrow_exception(pending);
    throw pxError("LIBPNG ERROR: %s", text.c_str());
}

void StartRead(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo& info) {
    const char* name = fileName ? fileName : "";
    BeginStepwiseRead(info, name, image, "Could not open file for reading: %s");
    auto decoder = std::make_unique<PngDecoder>(name);
    decoder->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, decoder.get(), LeaveOnPngError,
                                          LogPngWarning);
    if (!decoder->png) {
        info = _ImageInfo{};
        throw pxError("Could not create PNG read struct");
    }
    decoder->pngInfo = png_create_info_struct(decoder->png);
    if (!decoder->pngInfo) {
        info = _ImageInfo{};
        throw pxError("Could not create PNG info struct");
    }
    png_set_chunk_malloc_max(decoder->png, kLargestChunk);
    png_set_progressive_read_fn(decoder->png, decoder.get(), OnHeader, OnRow, OnEnd);
    png_set_read_user_chunk_fn(decoder->png, decoder.get(), OnUnknownChunk);
    info.image = image;
    info.palette = palette;
    info.started = 1;
    info.decoderState = std::move(decoder);
}

bool Feed(PngDecoder& decoder, uint8_t* data, size_t count) {
    if (setjmp(png_jmpbuf(decoder.png)))
        return false;
    png_process_data(decoder.png, decoder.pngInfo, data, count);
    return true;
}

} // namespace

int ReadPngImage(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo* info,
                 const pxColor* background) {
    if (!info)
        throw pxError("No progress record given to read '%s'", fileName ? fileName : "");
    if (info->complete && !info->decoderState)
        return 1;
    if (!info->started || !info->decoderState)
        StartRead(fileName, image, palette, *info);
    auto& decoder = static_cast<PngDecoder&>(*info->decoderState);
    decoder.info = info;
    decoder.background = background ? std::optional<pxColor>(*background) : std::nullopt;
    std::FILE* file = info->stream.get();
    // A file that reached its end may have grown since.
    std::clearerr(file);
    const PngChunkFeed::Sink toLibpng = [&decoder](uint8_t* data, size_t count) {
        return Feed(decoder, data, count);
    };
    while (!decoder.ended) {
        const size_t got = std::fread(decoder.block.data(), 1, decoder.block.size(), file);
        if (got == 0)
            break;
        info->bytesRead += static_cast<int64_t>(got);
        if (!decoder.feed.Take(decoder.block.data(), got, toLibpng))
            EndRead(*info, decoder);
    }
    if (info->complete) {
        info->decoderState.reset();
        info->stream.reset();
    }
    return info->complete;
}
