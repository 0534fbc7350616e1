#include "imagefile/readimage.h"

#include "imagefile/file.h"
#include "imagefile/jpsread.h"
#include "imagefile/mpofile.h"
#include "imagefile/plainformats.h"
#include "imagefile/pnsread.h"
#include "imagefile/readrows.h"
#include "imaging/pxerror.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <strings.h>

namespace {

constexpr const char* kUnknownType =
    "Unknown or unsupported file type: %s\nThis file may not be an image or the file may be "
    "corrupt.";

constexpr const char* kNoDescriptor =
    "Could not find the Stereoscopic Descriptor!\n\nThis version of Binoxa requires that Stereo "
    "PNG files contain a\nStereoscopic Descriptor.  If you are creating your own PNS "
    "files,\nplease "
    "use the utilities provided on the Norvane web site.";

// Reads the first `count` bytes (fewer for a shorter file) into bytes; false
// when the file cannot be opened. Throws for what is not a regular file.
bool ReadFirstBytes(const char* fileName, uint8_t* bytes, size_t count, size_t& got) {
    std::FILE* file = OpenImageFile(fileName);
    if (!file)
        return false;
    got = std::fread(bytes, 1, count, file);
    std::fclose(file);
    return true;
}

bool StartsWith(const char* fileName, const uint8_t* magic, size_t magicLength, size_t probeLength,
                const char* logFormat, const char* errorFormat) {
    uint8_t bytes[16] = {};
    size_t got = 0;
    if (!ReadFirstBytes(fileName, bytes, probeLength, got)) {
        pxLog(logFormat, fileName);
        throw pxError(errorFormat, fileName);
    }
    return got >= magicLength && std::memcmp(bytes, magic, magicLength) == 0;
}

// Which reader a plain-type file goes to: files taken by their JPEG or PNG
// extension (such as camera JPEGs that begin with an Exif marker) go to the
// stepwise readers like any other JPEG or PNG.
int ReaderFor(const char* fileName, int fileType) {
    if (fileType != FILETYPE_PLAIN)
        return fileType;
    switch (GetImageFileFormat(fileName)) {
    case FORMAT_JPEG:
        return FILETYPE_JPEG;
    case FORMAT_PNG:
        return FILETYPE_PNG;
    default:
        return FILETYPE_PLAIN;
    }
}

void ReadPlainFile(const char* fileName, pxImage* image, pxPalette* palette) {
    ReadPlainImage(fileName, image, palette, 0, FORMAT_FROM_FILE);
}

// The rows a truncated file never delivered are shown black, not as
// whatever the memory held.
void BlankRowsNotDecoded(pxImage* image, int rowsDone) {
    if (!image || !image->HasBuffer())
        return;
    const size_t rowBytes = static_cast<size_t>(image->GetWidth()) * image->GetBytesPerPixel();
    for (int32_t row = rowsDone < 0 ? 0 : rowsDone; row < image->GetHeight(); ++row)
        std::memset(image->Row(row), 0, rowBytes);
}

// A record-form read that took no new bytes since the previous call will not
// get any further: the file is finished but the image is not.
bool StoppedGrowing(const ReadImageData& data, int64_t bytesRead) {
    return data.firstCall == 0 && bytesRead == data.bytesRead;
}

int EndTruncatedRead(ReadImageData& data, bool headerRead, int rowsDone) {
    const int height = data.image ? data.image->GetHeight() : 0;
    pxLog("ReadImage -- '%s' ends before its image: %d of %d rows read", data.fileName, rowsDone,
          headerRead ? height : 0);
    if (!headerRead)
        throw pxError("The file '%s' ends before its image begins.", data.fileName);
    BlankRowsNotDecoded(data.image, rowsDone);
    data.rowsDone = rowsDone;
    data.truncated = 1;
    data.firstCall = 0;
    return 1;
}

// The record form's one JPEG read under way.
struct RecordFormJpeg {
    std::mutex lock;
    _ImageInfo info;
};

RecordFormJpeg& StaticJpeg() {
    static RecordFormJpeg jpeg;
    return jpeg;
}

int ReadJpegRecord(ReadImageData& data) {
    RecordFormJpeg& jpeg = StaticJpeg();
    std::lock_guard guard(jpeg.lock);
    if (data.firstCall) {
        jpeg.info = _ImageInfo{};
        data.rowsDone = 0;
        data.bytesRead = 0;
        data.truncated = 0;
    }
    _ImageInfo& info = jpeg.info;
    int result = 0;
    try {
        result = ReadJpegImage(data.firstCall ? data.fileName : nullptr, data.image, data.palette,
                               &info, nullptr);
    } catch (...) {
        info = _ImageInfo{};
        throw;
    }
    // The layout word is known once the header is read.
    if (info.headerRead) {
        data.rowsDone = info.rowsDone;
        data.layout = info.hasDescriptor ? info.layout : kJpegDefaultLayout;
    }
    if (result == 0 && StoppedGrowing(data, info.bytesRead)) {
        const bool headerRead = info.headerRead != 0;
        const int rowsDone = headerRead ? EndJpegImageAtFileEnd(&info) : 0;
        info = _ImageInfo{};
        return EndTruncatedRead(data, headerRead, rowsDone);
    }
    data.bytesRead = info.bytesRead;
    data.firstCall = 0;
    return result;
}

int ReadPngRecord(ReadImageData& data) {
    if (data.firstCall) {
        data.rowsDone = 0;
        data.bytesRead = 0;
        data.truncated = 0;
    }
    // This form keeps no PNG state between calls: each call reads the file
    // from its start.
    _ImageInfo info;
    const int result = ReadPngImage(data.fileName, data.image, data.palette, &info, nullptr);
    data.rowsDone = info.rowsDone;
    // The descriptor comes before the image data, so it is known once the
    // header is read; a file still arriving before that is not refused yet.
    if (info.headerRead) {
        if (!info.hasDescriptor)
            throw pxError("%s", kNoDescriptor);
        data.layout = info.layout;
    }
    if (result == 0 && StoppedGrowing(data, info.bytesRead))
        return EndTruncatedRead(data, info.headerRead != 0, info.rowsDone);
    data.bytesRead = info.bytesRead;
    data.firstCall = 0;
    return result;
}

} // namespace

bool IsFileJPEG(const char* fileName) {
    static const uint8_t kMagic[] = {0xFF, 0xD8, 0xFF, 0xE0};
    return StartsWith(fileName, kMagic, sizeof kMagic, 16, "ERROR, couldn't open file: '%s'",
                      "couldn't open file: '%s'");
}

bool IsFileMPO(const char* fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(OpenImageFile(fileName));
    if (!file) {
        pxLog("ERROR, couldn't open file: '%s'", fileName);
        throw pxError("couldn't open file: '%s'", fileName);
    }
    uint8_t start[3] = {};
    if (std::fread(start, 1, 3, file.get()) != 3 || start[0] != 0xFF || start[1] != 0xD8 ||
        start[2] != 0xFF)
        return false;
    const char* dot = std::strrchr(fileName, '.');
    if (dot && strcasecmp(dot, ".mpo") == 0)
        return true;
    try {
        const std::optional<MpfIndexInFile> found = FindMpfIndex(file.get());
        return found && found->index.images.size() >= 2;
    } catch (const pxError&) {
        return true; // the reader refuses the broken index, saying why
    }
}

bool IsFilePNG(const char* fileName) {
    static const uint8_t kMagic[] = {0x89, 'P', 'N', 'G'};
    return StartsWith(fileName, kMagic, sizeof kMagic, 4, "ERROR, couldn't open file: '%s'",
                      "couldn't open file: '%s'");
}

bool IsFilePXR(const char* fileName) {
    static const uint8_t kMagic[] = {'P', 'X', 'R', 'F'};
    return StartsWith(fileName, kMagic, sizeof kMagic, 4,
                      "IsFilePXR: ERROR, couldn't open file: '%s'", "Couldn't open file: '%s'");
}

bool IsFileAVI(const char* fileName) {
    static const uint8_t kMagic[] = {'R', 'I', 'F', 'F'};
    return StartsWith(fileName, kMagic, sizeof kMagic, 4,
                      "IsFileAVI:  ERROR, couldn't open file: '%s'", "Couldn't open file: '%s'");
}

int CheckFileType(const char* fileName) {
    if (IsFileJPEG(fileName) || IsFileMPO(fileName))
        return FILETYPE_JPEG;
    if (IsFilePNG(fileName))
        return FILETYPE_PNG;
    if (IsFilePXR(fileName))
        return FILETYPE_PXR;
    if (IsFileAVI(fileName))
        return FILETYPE_AVI;
    try {
        GetImageFileFormat(fileName);
    } catch (...) {
        return FILETYPE_UNKNOWN;
    }
    return FILETYPE_PLAIN;
}

int ReadImage(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo* info,
              const pxColor* background) {
    if (!info)
        throw pxError("ReadImage -- no progress record for '%s'", fileName ? fileName : "");
    switch (ReaderFor(fileName, CheckFileType(fileName))) {
    case FILETYPE_PLAIN:
        ReadPlainFile(fileName, image, palette);
        info->rowsDone = image ? image->GetHeight() : 0;
        info->layout = kPlainDefaultLayout;
        info->started = info->headerRead = info->complete = 1;
        return 1;
    case FILETYPE_JPEG:
        return ReadJpegImage(fileName, image, palette, info, background);
    case FILETYPE_PNG:
        return ReadPngImage(fileName, image, palette, info, background);
    default:
        pxLog("ReadImage: unknown file type: %s", fileName);
        throw pxError(kUnknownType, fileName);
    }
}

int ReadImage(ReadImageData* data) {
    if (!data || !data->fileName)
        throw pxError("ReadImage -- invalid filename!");
    switch (ReaderFor(data->fileName, CheckFileType(data->fileName))) {
    case FILETYPE_PLAIN:
        ReadPlainFile(data->fileName, data->image, data->palette);
        data->rowsDone = data->image ? data->image->GetHeight() : 0;
        data->layout = kPlainDefaultLayout;
        data->firstCall = 0;
        return 1;
    case FILETYPE_JPEG:
        return ReadJpegRecord(*data);
    case FILETYPE_PNG:
        return ReadPngRecord(*data);
    default:
        throw pxError(kUnknownType, data->fileName);
    }
}

void ReadImageRows(const char* fileName, ImageRowSink& sink) {
    const int fileType = CheckFileType(fileName);
    if (ReaderFor(fileName, fileType) == FILETYPE_JPEG) {
        ReadJpegRows(fileName, sink);
        return;
    }
    // The other readers are read whole and then handed over.
    ImageHeader header;
    header.fileType = fileType;
    pxImage image;
    _ImageInfo info;
    int64_t bytesBefore = -1;
    while (ReadImage(fileName, &image, &header.palette, &info, nullptr) == 0) {
        // A finished file that gave nothing new will give nothing more.
        if (info.bytesRead == bytesBefore)
            throw pxError("The file '%s' ends before its image is complete (%d of %d rows)",
                          fileName, info.rowsDone, image.GetHeight());
        bytesBefore = info.bytesRead;
    }
    header.size = image.GetSize();
    header.bytesPerPixel = image.GetBytesPerPixel();
    header.hasDescriptor = info.hasDescriptor;
    header.layout = info.hasDescriptor || info.layout ? info.layout : kJpegDefaultLayout;
    sink.Begin(header);
    sink.Rows(image);
}
