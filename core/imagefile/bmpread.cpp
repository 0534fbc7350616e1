// Windows and OS/2 bitmaps: 1, 4, 8 and 24 bits per pixel, 8- and 4-bit
// run-length compression.
#include "imagefile/byteorder.h"
#include "imagefile/plainreaders.h"
#include "imagefile/runlength.h"

#include <algorithm>
#include <cstring>

namespace plainread {

namespace {

constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;

constexpr uint32_t kOs2HeaderSize = 12;
constexpr uint32_t kWindowsHeaderSize = 40;

struct BmpHeader {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
    uint32_t compression = kUncompressed;
    // 0: the default for the bit count, which OS/2 colour tables always hold
    int64_t coloursUsed = 0;
    int32_t paletteEntryBytes = 0; // blue, green, red (and one more in the Windows form)
};

BmpHeader ReadInfoHeader(File& file, const char* name) {
    uint8_t sizeBytes[4];
    file.Read(sizeBytes, sizeof sizeBytes);
    const uint32_t size = LittleEndian32(sizeBytes);
    BmpHeader header;
    if (size == kOs2HeaderSize) {
        uint8_t fields[kOs2HeaderSize - 4];
        file.Read(fields, sizeof fields);
        header.width = static_cast<int16_t>(LittleEndian16(fields));
        header.height = static_cast<int16_t>(LittleEndian16(fields + 2));
        header.bitCount = LittleEndian16(fields + 6);
        header.paletteEntryBytes = 3;
    } else if (size == kWindowsHeaderSize) {
        uint8_t fields[kWindowsHeaderSize - 4];
        file.Read(fields, sizeof fields);
        header.width = static_cast<int32_t>(LittleEndian32(fields));
        header.height = static_cast<int32_t>(LittleEndian32(fields + 4));
        header.bitCount = LittleEndian16(fields + 10);
        header.compression = LittleEndian32(fields + 12);
        header.coloursUsed = LittleEndian32(fields + 28);
        header.paletteEntryBytes = 4;
    } else {
        throw pxError("Bad header in bmp file '%s'", name);
    }
    return header;
}

int32_t DefaultPaletteSize(int32_t bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    case 24:
        return 0;
    default:
        throw pxError("Cannot handle bits per pixel = %d in BMP", bitCount);
    }
}

// Stores the first 256 entries of the colour table, passes over the rest, and
// over the unused part of a table shorter than the bit count allows.
void ReadColourTable(File& file, const BmpHeader& header, int64_t defaultSize, pxPalette& palette) {
    const int64_t stored = header.coloursUsed != 0 ? header.coloursUsed : defaultSize;
    const int64_t kept = std::min<int64_t>(stored, pxPalette::kMaxColours);
    uint8_t entry[4] = {};
    for (int64_t i = 0; i < kept; ++i) {
        file.Read(entry, header.paletteEntryBytes);
        palette[static_cast<int>(i)] = {entry[2], entry[1], entry[0], entry[3]};
    }
    const int64_t skipped = (stored - kept) + std::max<int64_t>(0, defaultSize - stored);
    file.SeekCurrent(static_cast<long>(skipped * header.paletteEntryBytes));
}

// Rows are padded to whole 32-bit words.
int64_t StoredRowBytes(int64_t width, int32_t bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

// One stored row to one byte per pixel: pixels of fewer than 8 bits come from
// the most significant bits down; 8- and 24-bit rows are copied.
void UnpackRow(const uint8_t* stored, uint8_t* out, int32_t width, int32_t bitCount) {
    if (bitCount >= 8) {
        std::memcpy(out, stored, static_cast<size_t>(width) * (bitCount / 8));
        return;
    }
    const int32_t perByte = 8 / bitCount;
    const int32_t mask = (1 << bitCount) - 1;
    for (int32_t x = 0; x < width; ++x) {
        const int32_t shift = 8 - bitCount * (x % perByte + 1);
        out[x] = static_cast<uint8_t>(stored[x / perByte] >> shift & mask);
    }
}

void ReadRawRows(File& file, const pxImage& picture, int32_t bitCount) {
    std::vector<uint8_t> row(static_cast<size_t>(StoredRowBytes(picture.GetWidth(), bitCount)));
    for (int32_t y = 0; y < picture.GetHeight(); ++y) {
        file.Read(row.data(), static_cast<long>(row.size()));
        UnpackRow(row.data(), picture.Row(y), picture.GetWidth(), bitCount);
    }
}

void ReadRunLengthRows(File& file, const pxImage& picture, bool nibbles) {
    // Pixels the codes skip stay 0 rather than whatever memory held.
    for (int32_t y = 0; y < picture.GetHeight(); ++y)
        std::memset(picture.Row(y), 0, static_cast<size_t>(picture.GetWidth()));
    // No sensible encoding needs more than a delta per pixel and an end code
    // per row; longer data is not read.
    const int64_t pixels = int64_t{picture.GetWidth()} * picture.GetHeight();
    const std::vector<uint8_t> data = ReadRest(file, 4 * (pixels + picture.GetHeight()) + 2);
    ByteCursor in(data);
    DecodeBmpRle(in, picture, nibbles);
}

} // namespace

void ReadBmp(const char* name, pxImage& image, pxPalette* palette, int32_t bottomUp) {
    File file(name, 'r');
    char magic[2];
    file.Read(magic, sizeof magic);
    if (std::memcmp(magic, "BM", 2) != 0)
        throw pxError("'%s' is not a BMP file", name);
    uint8_t fileHeader[12]; // file size, two reserved words, pixel data offset
    file.Read(fileHeader, sizeof fileHeader);
    const uint32_t dataOffset = LittleEndian32(fileHeader + 8);

    const BmpHeader header = ReadInfoHeader(file, name);
    const int32_t defaultSize = DefaultPaletteSize(header.bitCount);
    const bool indexed = header.bitCount != 24;
    if (indexed)
        ReadColourTable(file, header, defaultSize, IndexedPalette(palette, name));

    const bool runLength = (header.compression == kRle8 && header.bitCount == 8) ||
                           (header.compression == kRle4 && header.bitCount == 4);
    if (header.compression != kUncompressed && !runLength)
        throw pxError("Corrupt BMP '%s'", name);

    // A negative height marks rows stored top row first; run-length data is
    // always stored bottom-up.
    const bool storedTopDown = header.height < 0;
    if (storedTopDown && runLength)
        throw pxError("Corrupt BMP '%s'", name);
    const int64_t height = storedTopDown ? -int64_t{header.height} : header.height;

    if (dataOffset != 0)
        file.SeekSet(static_cast<long>(dataOffset));
    const int32_t bytesPerPixel = indexed ? 1 : 3;
    CheckImageSize(name, header.width, height, bytesPerPixel,
                   StoredRowBytes(header.width, header.bitCount), runLength,
                   file.Size() - file.Tell());
    const pxImage stored = CreateInStoredOrder(image, {header.width, static_cast<int32_t>(height)},
                                               bytesPerPixel, bottomUp, !storedTopDown);
    if (runLength)
        ReadRunLengthRows(file, stored, header.bitCount == 4);
    else
        ReadRawRows(file, stored, header.bitCount);
}

} // namespace plainread
