// Truevision Targa files: colour-mapped, true-colour and greyscale pictures,
// raw or run-length encoded, in any of the four pixel orders.
#include "imagefile/byteorder.h"
#include "imagefile/plainreaders.h"
#include "imagefile/runlength.h"

#include <cstring>

namespace plainread {

namespace {

constexpr long kHeaderSize = 18;

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0; // 0: no colour map
    uint8_t imageType = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntrySize = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t depth = 0;
    uint8_t descriptor = 0;

    bool HasColourMap() const { return colourMapType != 0; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
};

TgaHeader ReadHeader(File& file) {
    uint8_t bytes[kHeaderSize];
    file.Read(bytes, kHeaderSize);
    TgaHeader header;
    header.idLength = bytes[0];
    header.colourMapType = bytes[1];
    header.imageType = bytes[2];
    header.mapFirst = LittleEndian16(bytes + 3);
    header.mapLength = LittleEndian16(bytes + 5);
    header.mapEntrySize = bytes[7];
    // bytes 8 to 11: the origin, which does not matter here
    header.width = LittleEndian16(bytes + 12);
    header.height = LittleEndian16(bytes + 14);
    header.depth = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

// Bytes of a stored pixel or colour map entry by its size in bits.
int32_t StoredBytes(int32_t bits) {
    switch (bits) {
    case 15:
    case 16:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0;
    }
}

// A 16-bit pixel (5 bits each of blue, green and red from the low bits up) as
// blue, green, red bytes.
void Widen16(const uint8_t* pixel, uint8_t* blueGreenRed) {
    const int32_t value = LittleEndian16(pixel);
    blueGreenRed[0] = static_cast<uint8_t>((value & 31) << 3);
    blueGreenRed[1] = static_cast<uint8_t>((value >> 5 & 31) << 3);
    blueGreenRed[2] = static_cast<uint8_t>((value >> 10 & 31) << 3);
}

pxColor MapEntry(const uint8_t* stored, int32_t bytes) {
    if (bytes == 2) {
        uint8_t bgr[3];
        Widen16(stored, bgr);
        return pxColor::Rgb(bgr[2], bgr[1], bgr[0]);
    }
    return {stored[2], stored[1], stored[0], bytes == 4 ? stored[3] : uint8_t{0}};
}

// Entry j of the map is the colour of index first + j.
void ReadColourMap(File& file, const TgaHeader& header, int32_t entryBytes, pxPalette& palette) {
    std::vector<uint8_t> map(size_t{header.mapLength} * entryBytes);
    file.Read(map.data(), static_cast<long>(map.size()));
    for (int32_t j = 0; j < header.mapLength; ++j) {
        const int32_t index = header.mapFirst + j;
        if (index < pxPalette::kMaxColours)
            palette[index] = MapEntry(map.data() + size_t(j) * entryBytes, entryBytes);
    }
}

struct TgaForm {
    bool runLength = false;
    bool indexed = false; // colour-mapped or greyscale: one palette index per pixel
    bool grey = false;
    int32_t bytesIn = 0;
    int32_t bytesOut = 0;
};

TgaForm FormOf(const TgaHeader& header, const char* name) {
    TgaForm form;
    form.runLength = header.imageType >= 9;
    switch (header.imageType) {
    case 3:
    case 11:
        form.grey = true;
        [[fallthrough]];
    case 1:
    case 9:
        // Wider indexes or grey values would be read as the wrong pixels.
        if (header.depth == 8) {
            form.indexed = true;
            form.bytesIn = form.bytesOut = 1;
        }
        break;
    case 2:
    case 10:
        form.bytesIn = StoredBytes(header.depth);
        form.bytesOut = form.bytesIn == 2 ? 3 : form.bytesIn;
        break;
    default:
        break;
    }
    if (form.bytesIn == 0)
        throw pxError("Invalid TGA file type in file '%s'", name);
    return form;
}

// One stored row into a picture row: pixel order set right and each pixel
// widened to the picture's form.
void PlaceRow(const std::vector<uint8_t>& stored, uint8_t* out, int32_t width, const TgaForm& form,
              bool rightToLeft) {
    for (int32_t x = 0; x < width; ++x) {
        const int32_t from = rightToLeft ? width - 1 - x : x;
        const uint8_t* pixel = stored.data() + size_t(from) * form.bytesIn;
        uint8_t* target = out + size_t(x) * form.bytesOut;
        if (form.bytesIn == 2)
            Widen16(pixel, target);
        else
            std::memcpy(target, pixel, static_cast<size_t>(form.bytesIn));
    }
}

} // namespace

void ReadTga(const char* name, pxImage& image, pxPalette* palette, int32_t bottomUp) {
    File file(name, 'r');
    const TgaHeader header = ReadHeader(file);
    file.SeekCurrent(header.idLength);
    long dataStart = kHeaderSize + header.idLength;

    if (header.HasColourMap()) {
        const int32_t entryBytes = StoredBytes(header.mapEntrySize);
        if (entryBytes == 0)
            throw pxError("Bad color map size %d in TGA file '%s'", header.mapEntrySize, name);
        // A true-colour file may carry a map it does not use; it is kept when
        // there is a palette to keep it in.
        if (palette)
            ReadColourMap(file, header, entryBytes, IndexedPalette(palette, name));
        dataStart += long{header.mapLength} * entryBytes;
    }

    const TgaForm form = FormOf(header, name);
    if (form.indexed) {
        pxPalette& colours = IndexedPalette(palette, name);
        if (form.grey)
            for (int32_t i = 0; i < pxPalette::kMaxColours; ++i)
                colours[i] = pxColor::Rgb(uint8_t(i), uint8_t(i), uint8_t(i));
    }

    file.SeekSet(dataStart);
    const int32_t width = header.width;
    const int32_t height = header.height;
    CheckImageSize(name, width, height, form.bytesOut, int64_t{width} * form.bytesIn,
                   form.runLength, file.Size() - file.Tell());
    const pxImage stored =
        CreateInStoredOrder(image, {width, height}, form.bytesOut, bottomUp, !header.TopDown());

    // Run-length data: at worst one packet header per pixel.
    const std::vector<uint8_t> packets =
        form.runLength ? ReadRest(file, int64_t{width} * height * (form.bytesIn + 1))
                       : std::vector<uint8_t>();
    ByteCursor in(packets);
    std::vector<uint8_t> row(size_t(width) * form.bytesIn);
    for (int32_t y = 0; y < height; ++y) {
        if (form.runLength)
            DecodeTgaRow(in, row, form.bytesIn);
        else
            file.Read(row.data(), static_cast<long>(row.size()));
        PlaceRow(row, stored.Row(y), width, form, header.RightToLeft());
    }
}

} // namespace plainread
