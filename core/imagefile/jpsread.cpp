#include "imagefile/jpsread.h"

#include "imagefile/file.h"
#include "imagefile/jpegsource.h"
#include "imagefile/jpsdescriptor.h"
#include "imagefile/mpofile.h"
#include "imagefile/picturesize.h"
#include "imagefile/readimage.h"
#include "imagefile/readrows.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <jerror.h>

namespace {

// More scans than any encoder writes; a file with more would only make the
// decoder spin.
constexpr int kMaxScans = 500;

// Rows handed over at a time when reading into a row sink: a band small
// enough to stay in the processor's cache while it is converted.
constexpr int32_t kBandRows = 16;

// What libjpeg may take for itself: as much as the largest picture. A
// sequential file needs only a few rows of buffers, but a progressive or
// multi-scan one keeps every coefficient of the picture, 2 bytes per sample,
// so a small file can otherwise make the decoder take gigabytes; such files
// are limited to about half the pixels of the largest picture.
constexpr long kMaxDecoderBytes = kMaxImageBytes;

constexpr const char* kNeedsTooMuchMemory =
    "Image of %ld x %ld pixels in file '%s' needs too much memory to decode";

// libjpeg's error manager with what a fatal error needs to leave the decoder.
struct JpegErrors {
    // First, so that the decoder's error pointer leads back here.
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char text[JMSG_LENGTH_MAX] = {};
};

JpegErrors& ErrorsOf(j_common_ptr decoder) {
    return *reinterpret_cast<JpegErrors*>(decoder->err);
}

void LogLibjpegMessage(j_common_ptr decoder) {
    char text[JMSG_LENGTH_MAX];
    (*decoder->err->format_message)(decoder, text);
    pxLog("JPEGLIB: %s", text);
}

// libjpeg's errors must not return; jump back out of libjpeg (a C++
// exception cannot cross its C frames) and throw from there.
[[noreturn]] void LeaveOnError(j_common_ptr decoder) {
    (*decoder->err->output_message)(decoder);
    JpegErrors& errors = ErrorsOf(decoder);
    (*decoder->err->format_message)(decoder, errors.text);
    std::longjmp(errors.jump, 1);
}

void LimitScans(j_common_ptr decoder) {
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(decoder);
    if (decompressor->input_scan_number <= kMaxScans)
        return;
    JpegErrors& errors = ErrorsOf(decoder);
    std::snprintf(errors.text, sizeof errors.text, "JPEG file has more than %d scans", kMaxScans);
    std::longjmp(errors.jump, 1);
}

// One read in progress: the decompressor and the progress of its steps.
class JpegDecoder final : public ImageDecoder {
public:
    JpegDecoder(const char* fileName, std::FILE* stream)
        : name(fileName), file(stream), source(stream) {
        decompressor.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = LeaveOnError;
        errors.manager.output_message = LogLibjpegMessage;
        progress.progress_monitor = LimitScans;
    }
    ~JpegDecoder() override {
        if (created)
            jpeg_destroy_decompress(&decompressor);
    }

    // Runs one libjpeg call; false when libjpeg ended it with a fatal error,
    // whose text is then in errors.text. Only libjpeg's frames and this one
    // lie between the setjmp and the longjmp, so no destructor is skipped.
    template <typename Call> bool CallLibjpeg(const Call& call) {
        if (setjmp(errors.jump))
            return false;
        call();
        return true;
    }

    std::string name;
    std::FILE* file;
    // The size of a file known to be finished; a file still arriving has none.
    std::optional<uint64_t> finishedSize;
    jpeg_decompress_struct decompressor{};
    JpegErrors errors;
    jpeg_progress_mgr progress{};
    SuspendingJpegSource source;
    bool created = false;
    JSAMPARRAY sampleRow = nullptr;
    size_t rowLength = 0;
    // Reading into a sink: the image is a band of rows, handed over when full.
    ImageRowSink* sink = nullptr;
    int32_t rowsInBand = 0;
    int headerResult = 0;
    int startResult = 0;
    int finishResult = 0;

    // A stereo MPO: both views go into one side-by-side frame, the first
    // image's rows into the left half, then the second image's into the
    // other half (the halves trade places when the views' numbers say the
    // second is the left view). Only rows that both views reached count as
    // done.
    struct MpoRead {
        uint64_t secondOffset = 0; // in the file
        std::optional<uint32_t> firstNumber;
        int32_t viewWidth = 0;
        int32_t viewHeight = 0;
        bool second = false;         // decoding the second image
        size_t secondHalfOffset = 0; // bytes into a frame row
        int32_t rowsPassed = 0;      // frame rows handed to the sink
    };
    std::optional<MpoRead> mpo;
    bool InFirstView() const { return mpo && !mpo->second; }
};

enum class Step { Done, Suspended };

// The error that ends a read: the file is closed and the decoder freed.
[[noreturn]] void EndRead(_ImageInfo& info, const pxError& error) {
    info = _ImageInfo{};
    throw error;
}

[[noreturn]] void EndReadOnLibjpegError(_ImageInfo& info, JpegDecoder& decoder) {
    const std::string text = decoder.errors.text;
    const jpeg_decompress_struct& decompressor = decoder.decompressor;
    // libjpeg asks for backing store when its buffers would pass
    // max_memory_to_use.
    const bool overMemoryBound = decoder.errors.manager.msg_code == JERR_NO_BACKING_STORE;
    const long width = decompressor.image_width, height = decompressor.image_height;
    jpeg_destroy_decompress(&decoder.decompressor);
    decoder.created = false;
    pxLog("JPEGLIB ERROR: %s", text.c_str());
    if (overMemoryBound)
        EndRead(info, pxError(kNeedsTooMuchMemory, width, height, decoder.name.c_str()));
    EndRead(info, pxError("%s", text.c_str()));
}

JpegDecoder& StartRead(const char* fileName, pxImage* image, _ImageInfo& info) {
    const char* name = fileName ? fileName : "";
    std::FILE* file = BeginStepwiseRead(info, name, image, "couldn't open %s");
    auto owned = std::make_unique<JpegDecoder>(name, file);
    JpegDecoder& decoder = *owned;
    info.decoderState = std::move(owned);
    info.image = image;
    const bool made = decoder.CallLibjpeg([&] {
        jpeg_create_decompress(&decoder.decompressor);
        decoder.created = true;
        // A lower bound set by the user (JPEGMEM) stays.
        long& memoryBound = decoder.decompressor.mem->max_memory_to_use;
        memoryBound = memoryBound > 0 ? std::min(memoryBound, kMaxDecoderBytes) : kMaxDecoderBytes;
        decoder.decompressor.progress = &decoder.progress;
        // The whole segment is kept, so a descriptor is never cut.
        jpeg_save_markers(&decoder.decompressor, JPEG_APP0 + 3, 0xFFFF);
        // MPF segments: the index, and each view's number.
        jpeg_save_markers(&decoder.decompressor, JPEG_APP0 + 2, 0xFFFF);
        decoder.source.Attach(decoder.decompressor);
    });
    if (!made)
        EndReadOnLibjpegError(info, decoder);
    info.started = 1;
    return decoder;
}

// The stereo descriptor of the file, when one of its APP3 segments is one;
// the last such segment wins.
void TakeDescriptor(const jpeg_decompress_struct& decompressor, _ImageInfo& info) {
    for (jpeg_saved_marker_ptr marker = decompressor.marker_list; marker; marker = marker->next) {
        uint32_t layout = 0;
        if (marker->marker == JPEG_APP0 + 3 &&
            ParseJpsDescriptor(marker->data, marker->data_length, &layout, nullptr, nullptr,
                               nullptr, nullptr) == JPS_DESCRIPTOR_READ) {
            info.hasDescriptor = 1;
            info.layout = layout;
        }
    }
}

// Only greyscale and colour pictures have a conversion to 3 bytes per pixel.
void CheckOutput(JpegDecoder& decoder, _ImageInfo& info) {
    if (!decoder.CallLibjpeg([&] { jpeg_calc_output_dimensions(&decoder.decompressor); }))
        EndReadOnLibjpegError(info, decoder);
    const jpeg_decompress_struct& decompressor = decoder.decompressor;
    const int components = decompressor.out_color_components;
    try {
        if (components != 1 && components != 3)
            throw pxError("JPEG file '%s' has %d colour components; only greyscale and colour "
                          "pictures can be read",
                          decoder.name.c_str(), components);
        CheckPictureSize(decoder.name.c_str(), decompressor.output_width,
                         decompressor.output_height, 3);
    } catch (const pxError& error) {
        EndRead(info, error);
    }
}

// A sink learns the picture's size and layout before its first rows.
void BeginRows(const JpegDecoder& decoder, const _ImageInfo& info) {
    ImageHeader header;
    header.size = {static_cast<int32_t>(decoder.decompressor.output_width) * (decoder.mpo ? 2 : 1),
                   static_cast<int32_t>(decoder.decompressor.output_height)};
    header.bytesPerPixel = 3;
    header.fileType = FILETYPE_JPEG;
    header.hasDescriptor = info.hasDescriptor;
    header.layout = info.hasDescriptor ? info.layout : kJpegDefaultLayout;
    decoder.sink->Begin(header);
}

// The row libjpeg decodes greyscale samples into; freed with each image.
void AllocateSampleRow(JpegDecoder& decoder, _ImageInfo& info) {
    decoder.rowLength =
        size_t{decoder.decompressor.output_width} * decoder.decompressor.output_components;
    JSAMPARRAY row = nullptr;
    if (!decoder.CallLibjpeg([&] {
            row = (*decoder.decompressor.mem->alloc_sarray)(
                reinterpret_cast<j_common_ptr>(&decoder.decompressor), JPOOL_IMAGE,
                static_cast<JDIMENSION>(decoder.rowLength), 1);
        }))
        EndReadOnLibjpegError(info, decoder);
    decoder.sampleRow = row;
}

void AllocateImage(JpegDecoder& decoder, _ImageInfo& info, const pxColor* background) {
    const jpeg_decompress_struct& decompressor = decoder.decompressor;
    pxImage& image = *info.image;
    const auto width = static_cast<int32_t>(decompressor.output_width);
    const auto height = static_cast<int32_t>(decompressor.output_height);
    // An MPO's frame is held whole: its rows are done only once the second
    // view reaches them.
    const bool band = decoder.sink && !decoder.mpo;
    try {
        image.Create({decoder.mpo ? 2 * width : width, band ? std::min(height, kBandRows) : height},
                     3, 4, 0);
        if (background)
            pxFillImage(image, *background);
    } catch (const pxError& error) {
        EndRead(info, error);
    }
    AllocateSampleRow(decoder, info);
    info.rowsDone = 0;
    info.nextRow = image.Row(0);
    if (decoder.sink)
        BeginRows(decoder, info);
}

// The first image's header: a stereo MPO is read as one side-by-side frame,
// left view first.
void DetectMpo(JpegDecoder& decoder, _ImageInfo& info) {
    std::optional<MpoPair> pair;
    try {
        pair = FindMpoPair(decoder.file, decoder.finishedSize);
    } catch (const pxError& error) {
        EndRead(info, pxError("Cannot read the MPO file '%s': %s", decoder.name.c_str(),
                              error.GetMessage()));
    }
    if (!pair)
        return;
    const jpeg_decompress_struct& decompressor = decoder.decompressor;
    JpegDecoder::MpoRead mpo;
    mpo.secondOffset = pair->views.secondOffset;
    mpo.firstNumber = pair->index.firstIndividualNumber;
    mpo.viewWidth = static_cast<int32_t>(decompressor.output_width);
    mpo.viewHeight = static_cast<int32_t>(decompressor.output_height);
    try {
        CheckPictureSize(decoder.name.c_str(), int64_t{mpo.viewWidth} * 2, mpo.viewHeight, 3);
    } catch (const pxError& error) {
        EndRead(info, error);
    }
    decoder.mpo = mpo;
    info.hasDescriptor = 1;
    info.layout = kMpoLayout;
}

// The view number in an image's own MPF segment.
std::optional<uint32_t> IndividualNumber(const jpeg_decompress_struct& decompressor) {
    for (jpeg_saved_marker_ptr marker = decompressor.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 2 && IsMpfSegment(marker->data, marker->data_length))
            return MpfIndividualNumber(marker->data, marker->data_length);
    return std::nullopt;
}

// The second image's header: it must match the first view, and it says
// which half of the frame it goes into.
void BeginSecondView(JpegDecoder& decoder, _ImageInfo& info) {
    JpegDecoder::MpoRead& mpo = *decoder.mpo;
    const auto width = static_cast<int32_t>(decoder.decompressor.output_width);
    const auto height = static_cast<int32_t>(decoder.decompressor.output_height);
    if (width != mpo.viewWidth || height != mpo.viewHeight)
        EndRead(info, pxError("The views of the MPO file '%s' differ in size (%dx%d and %dx%d)",
                              decoder.name.c_str(), mpo.viewWidth, mpo.viewHeight, width, height));
    const std::optional<uint32_t> secondNumber = IndividualNumber(decoder.decompressor);
    const bool secondIsLeft = mpo.firstNumber && secondNumber && *secondNumber < *mpo.firstNumber;
    const size_t halfBytes = static_cast<size_t>(width) * 3;
    pxImage& frame = *info.image;
    if (secondIsLeft)
        for (int32_t y = 0; y < frame.GetHeight(); ++y)
            std::memcpy(frame.Row(y) + halfBytes, frame.Row(y), halfBytes);
    mpo.secondHalfOffset = secondIsLeft ? 0 : halfBytes;
}

// The first view is decoded: the decoder goes on with the second image.
void StartSecondView(JpegDecoder& decoder, _ImageInfo& info) {
    try {
        decoder.source.RestartAt(static_cast<int64_t>(decoder.mpo->secondOffset));
    } catch (const pxError& error) {
        EndRead(info, error);
    }
    decoder.mpo->second = true;
    decoder.headerResult = decoder.startResult = decoder.finishResult = 0;
}

// Hands the frame rows both views reached since the last call to the sink,
// a band at a time.
void PassFrameRows(JpegDecoder& decoder, const _ImageInfo& info) {
    JpegDecoder::MpoRead& mpo = *decoder.mpo;
    const int32_t ready = info.rowsDone - mpo.rowsPassed;
    if (ready <= 0 || (ready < kBandRows && info.rowsDone < mpo.viewHeight))
        return;
    const pxImage& frame = *info.image;
    decoder.sink->Rows(pxImage(frame, px2Rect{0, mpo.rowsPassed, frame.GetWidth(), ready}));
    mpo.rowsPassed = info.rowsDone;
}

// Hands a full band, or the last rows, to the sink and starts the next band.
void PassBand(JpegDecoder& decoder, _ImageInfo& info) {
    pxImage& band = *info.image;
    ++decoder.rowsInBand;
    const bool last = decoder.decompressor.output_scanline == decoder.decompressor.output_height;
    if (decoder.rowsInBand < band.GetHeight() && !last)
        return;
    decoder.sink->Rows(pxImage(band, px2Rect{0, 0, band.GetWidth(), decoder.rowsInBand}));
    decoder.rowsInBand = 0;
    info.nextRow = band.Row(0);
}

// Greyscale samples become three equal bytes per pixel.
void ExpandGreyRow(const JSAMPLE* samples, size_t width, uint8_t* pixels) {
    for (size_t x = 0; x < width; ++x, pixels += 3)
        pixels[0] = pixels[1] = pixels[2] = samples[x];
}

// Runs every step that has not succeeded yet, as far as the data goes.
Step RunSteps(JpegDecoder& decoder, _ImageInfo& info, const pxColor* background) {
    jpeg_decompress_struct& decompressor = decoder.decompressor;
    if (!decoder.headerResult) {
        int result = 0;
        if (!decoder.CallLibjpeg([&] { result = jpeg_read_header(&decompressor, TRUE); }))
            EndReadOnLibjpegError(info, decoder);
        decoder.headerResult = result;
        if (!result)
            return Step::Suspended;
        info.headerRead = 1;
        // Pictures store blue, green, red: libjpeg-turbo writes that order
        // itself, so colour rows are decoded straight into the picture.
        if (decompressor.out_color_space == JCS_RGB)
            decompressor.out_color_space = JCS_EXT_BGR;
        if (decoder.mpo) {
            CheckOutput(decoder, info);
            BeginSecondView(decoder, info);
        } else {
            TakeDescriptor(decompressor, info);
            CheckOutput(decoder, info);
            DetectMpo(decoder, info);
        }
    }
    if (!decoder.startResult) {
        int result = 0;
        if (!decoder.CallLibjpeg([&] { result = jpeg_start_decompress(&decompressor); }))
            EndReadOnLibjpegError(info, decoder);
        decoder.startResult = result;
        if (!result)
            return Step::Suspended;
        if (decoder.mpo && decoder.mpo->second) {
            AllocateSampleRow(decoder, info);
            info.nextRow = info.image->Row(0) + decoder.mpo->secondHalfOffset;
        } else {
            AllocateImage(decoder, info, background);
        }
    }
    while (decompressor.output_scanline < decompressor.output_height) {
        const bool grey = decompressor.output_components == 1;
        JSAMPROW target = grey ? decoder.sampleRow[0] : info.nextRow;
        JDIMENSION rows = 0;
        if (!decoder.CallLibjpeg([&] { rows = jpeg_read_scanlines(&decompressor, &target, 1); }))
            EndReadOnLibjpegError(info, decoder);
        if (rows != 1)
            return Step::Suspended;
        if (grey)
            ExpandGreyRow(decoder.sampleRow[0], decompressor.output_width, info.nextRow);
        info.nextRow += info.image->GetStride();
        if (decoder.InFirstView())
            continue;
        ++info.rowsDone;
        if (decoder.sink && decoder.mpo)
            PassFrameRows(decoder, info);
        else if (decoder.sink)
            PassBand(decoder, info);
    }
    if (!decoder.finishResult) {
        int result = 0;
        if (!decoder.CallLibjpeg([&] { result = jpeg_finish_decompress(&decompressor); }))
            EndReadOnLibjpegError(info, decoder);
        decoder.finishResult = result;
        if (!result)
            return Step::Suspended;
        if (decoder.InFirstView()) {
            StartSecondView(decoder, info);
            return RunSteps(decoder, info, background);
        }
        info.complete = 1;
    }
    return Step::Done;
}

void FinishRead(JpegDecoder& decoder, _ImageInfo& info) {
    const long warnings = decoder.errors.manager.num_warnings;
    info.bytesRead = decoder.source.BytesRead();
    info.decoderState.reset();
    info.stream.reset();
    if (warnings)
        pxLog("LIBJPEG: we got warnings... %d", static_cast<int>(warnings));
}

// The rows the first scan had reached when the data ended; later scans only
// refine rows it reached.
int RowsReached(const jpeg_decompress_struct& decompressor) {
    if (decompressor.input_scan_number > 1)
        return static_cast<int>(decompressor.output_height);
    const int64_t rows = int64_t{decompressor.input_iMCU_row} * decompressor.max_v_samp_factor *
                         decompressor.min_DCT_scaled_size;
    return static_cast<int>(std::min<int64_t>(rows, decompressor.output_height));
}

} // namespace

int EndJpegImageAtFileEnd(_ImageInfo* info) {
    int rows = info->rowsDone;
    auto* decoder = static_cast<JpegDecoder*>(info->decoderState.get());
    // An MPO without its second view has no frame row that is done.
    if (decoder && decoder->InFirstView()) {
        *info = _ImageInfo{};
        return 0;
    }
    if (decoder && decoder->headerResult && !decoder->startResult) {
        jpeg_decompress_struct& decompressor = decoder->decompressor;
        rows = RowsReached(decompressor);
        // A marker whose segment did not arrive whole (tables or the next
        // scan's header) would be read on into the end of image: the image
        // ends at that marker instead.
        if (decompressor.unread_marker != 0)
            decompressor.unread_marker = JPEG_EOI;
        decoder->source.EndData();
        // Nothing suspends now: the data ends in an end of image.
        if (RunSteps(*decoder, *info, nullptr) == Step::Done)
            FinishRead(*decoder, *info);
    }
    *info = _ImageInfo{};
    return rows;
}

int ReadJpegImage(const char* fileName, pxImage* image, pxPalette*, _ImageInfo* info,
                  const pxColor* background) {
    if (!info)
        throw pxError("No progress record given to read '%s'", fileName ? fileName : "");
    if (info->complete && !info->decoderState)
        return 1;
    if (!info->started || !info->decoderState)
        StartRead(fileName, image, *info);
    auto& decoder = static_cast<JpegDecoder&>(*info->decoderState);
    for (;;) {
        if (RunSteps(decoder, *info, background) == Step::Done) {
            FinishRead(decoder, *info);
            return 1;
        }
        bool gained = false;
        try {
            gained = decoder.source.TakeMore();
        } catch (const pxError& error) {
            EndRead(*info, error);
        }
        info->bytesRead = decoder.source.BytesRead();
        if (!gained)
            return 0;
    }
}

void ReadJpegRows(const char* fileName, ImageRowSink& sink) {
    _ImageInfo info;
    pxImage band;
    JpegDecoder& decoder = StartRead(fileName, &band, info);
    decoder.sink = &sink;
    decoder.finishedSize = StreamSize(decoder.file);
    while (RunSteps(decoder, info, nullptr) != Step::Done) {
        // The file is finished: a decoder waiting for more will not get it.
        bool gained = false;
        try {
            gained = decoder.source.TakeMore();
        } catch (const pxError& error) {
            EndRead(info, error);
        }
        if (gained)
            continue;
        const int32_t height = static_cast<int32_t>(decoder.decompressor.output_height);
        const bool begun = info.headerRead != 0;
        const int rowsDone = info.rowsDone;
        // The rows decoded so far go out first.
        if (decoder.mpo && info.rowsDone > decoder.mpo->rowsPassed)
            sink.Rows(pxImage(band, px2Rect{0, decoder.mpo->rowsPassed, band.GetWidth(),
                                            info.rowsDone - decoder.mpo->rowsPassed}));
        else if (!decoder.mpo && decoder.rowsInBand > 0)
            sink.Rows(pxImage(band, px2Rect{0, 0, band.GetWidth(), decoder.rowsInBand}));
        info = _ImageInfo{};
        if (!begun)
            throw pxError("The file '%s' ends before its image begins.", fileName);
        throw pxError("The file '%s' ends before its image is complete (%d of %d rows)", fileName,
                      rowsDone, height);
    }
    FinishRead(decoder, info);
}
