// The progress record of a stepwise image read. The caller owns it; a new
// read starts from a default-made record, and after a read that threw the
// caller resets it (`info = _ImageInfo{}`), which also closes the file and
// frees the decoder.
#pragma once

#include "imagefile/file.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>
#include <cstdio>
#include <memory>

// What a reader keeps between calls (libjpeg or libpng objects and buffers).
class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
};

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file)
            std::fclose(file);
    }
};

struct _ImageInfo {
    // The open file while a read is under way; closed when the read ends.
    std::unique_ptr<std::FILE, FileCloser> stream;
    int hasDescriptor = 0;      // the file carried a stereo descriptor
    uint32_t layout = 0;        // its layout word, valid when hasDescriptor is set
    int started = 0;            // the file is open and the decoder set up
    int headerRead = 0;         // the header is read (the image is allocated once decoding starts)
    int complete = 0;           // the whole image is decoded
    int rowsDone = 0;           // rows of the image decoded so far
    uint8_t* nextRow = nullptr; // JPEG: where the next decoded row goes
    pxImage* image = nullptr;   // PNG: the target image
    pxPalette* palette = nullptr; // PNG: the palette argument
    std::unique_ptr<ImageDecoder> decoderState;
    int64_t bytesRead = 0; // bytes of the file taken by the decoder so far
};

// Starts a new stepwise read in info: everything is cleared but the caller's
// layout word (a file without descriptor leaves it as it was), and the file
// is opened into stream. openFailure formats the error for a file that
// cannot be opened (with its name); what is not a regular file is refused
// (see OpenImageFile).
inline std::FILE* BeginStepwiseRead(_ImageInfo& info, const char* name, pxImage* image,
                                    const char* openFailure) {
    const uint32_t layout = info.layout;
    info = _ImageInfo{};
    info.layout = layout;
    if (!image)
        throw pxError("No image given to read '%s' into", name);
    std::FILE* file = OpenImageFile(name);
    if (!file)
        throw pxError(openFailure, name);
    info.stream.reset(file);
    return file;
}
