// Binary portable pixmaps (P6) and Windows bitmaps, 24-bit or 8-bit palette.
// Write errors are left for the caller to find on the stream.
#include "encoders.h"

#include "imaging/pxerror.h"

#include <algorithm>
#include <string>

namespace encode {

namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Put(std::FILE* file, const std::vector<uint8_t>& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
}

constexpr uint32_t kBmpHeadersSize = 14 + 40;
constexpr uint32_t kPixelsPerMetre = 2835; // 72 dots per inch
constexpr int kBmpPaletteEntries = pxPalette::kMaxColours;

} // namespace

void WritePpm(std::FILE* file, const PictureRows& picture) {
    const std::string header = "P6\n" + std::to_string(picture.Width()) + " " +
                               std::to_string(picture.Height()) + "\n255\n";
    std::fwrite(header.data(), 1, header.size(), file);
    std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        RgbRow(picture, y, row.data());
        Put(file, row);
    }
}

void WriteBmp(std::FILE* file, const char* fileName, const PictureRows& picture) {
    const bool indexed = picture.BytesPerPixel() == 1;
    const uint32_t width = static_cast<uint32_t>(picture.Width());
    const uint32_t height = static_cast<uint32_t>(picture.Height());
    const uint32_t pixelBytes = indexed ? 1 : 3;
    const uint32_t rowBytes = (width * pixelBytes + 3) / 4 * 4;
    const uint32_t paletteBytes = indexed ? kBmpPaletteEntries * 4 : 0;
    const uint32_t dataOffset = kBmpHeadersSize + paletteBytes;
    // Row padding can make a tall, narrow picture outgrow the 32-bit sizes.
    if (uint64_t{rowBytes} * height + dataOffset > UINT32_MAX)
        throw pxError("Cannot write '%s': the picture is too large for a BMP file.", fileName);
    const uint32_t imageBytes = rowBytes * height;

    std::vector<uint8_t> header = {'B', 'M'};
    PutLittleEndian(header, dataOffset + imageBytes, 4);
    PutLittleEndian(header, 0, 4); // reserved
    PutLittleEndian(header, dataOffset, 4);
    PutLittleEndian(header, 40, 4); // size of the information header
    PutLittleEndian(header, width, 4);
    PutLittleEndian(header, height, 4); // positive: rows stored bottom-up
    PutLittleEndian(header, 1, 2);      // planes
    PutLittleEndian(header, pixelBytes * 8, 2);
    PutLittleEndian(header, 0, 4); // no compression
    PutLittleEndian(header, imageBytes, 4);
    PutLittleEndian(header, kPixelsPerMetre, 4);
    PutLittleEndian(header, kPixelsPerMetre, 4);
    PutLittleEndian(header, indexed ? kBmpPaletteEntries : 0, 4); // colours used
    PutLittleEndian(header, 0, 4);                                // all colours important
    for (int i = 0; indexed && i < kBmpPaletteEntries; ++i) {
        const pxColor colour = PaletteColour(*picture.Palette(), i);
        header.insert(header.end(), {colour.blue, colour.green, colour.red, 0});
    }
    Put(file, header);

    std::vector<uint8_t> row(rowBytes, 0);
    // Rows are stored bottom-up: a picture still being made is waited for.
    for (int32_t y = picture.Height() - 1; y >= 0; --y) {
        const uint8_t* in = picture.Row(y);
        if (indexed) {
            std::copy(in, in + width, row.begin());
        } else {
            const int32_t step = picture.BytesPerPixel();
            for (uint32_t x = 0; x < width; ++x, in += step)
                std::copy(in, in + 3, row.begin() + x * 3);
        }
        Put(file, row);
    }
}

} // namespace encode
