#include "imagefile/runlength.h"

#include "imagefile/file.h"

#include <algorithm>
#include <cstring>

namespace plainread {

const uint8_t* ByteCursor::Take(size_t count) {
    if (count > bytes.size() - position)
        pxThrowFileError(pxFileError::READ_FAILED, "Cannot read %ld bytes",
                         static_cast<long>(count));
    const uint8_t* taken = bytes.data() + position;
    position += count;
    return taken;
}

namespace {

// 4-bit pixel i of a run: the nibbles of its bytes are used high first.
uint8_t Nibble(uint8_t byte, int32_t i) {
    return i % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

} // namespace

void DecodeBmpRle(ByteCursor& in, const pxImage& picture, bool nibbles) {
    if (!picture.HasBuffer() || picture.GetBytesPerPixel() != 1)
        throw pxError("Run-length bitmap data needs a picture of 1 byte per pixel");
    const int32_t width = picture.GetWidth();
    const int32_t height = picture.GetHeight();
    int32_t row = 0;
    int32_t column = 0; // never beyond width: pixels past the edge are dropped

    // Every pass takes at least two bytes, so the data always runs out or ends.
    while (row < height) {
        const uint8_t* code = in.Take(2);
        const int32_t count = code[0];
        const int32_t value = code[1];
        if (count != 0) {
            // value repeated: a byte, or its two nibbles alternately
            for (int32_t i = 0; i < count && column < width; ++i)
                picture.Row(row)[column++] = nibbles ? Nibble(code[1], i) : code[1];
        } else if (value == 0) { // end of row
            ++row;
            column = 0;
        } else if (value == 1) { // end of picture
            return;
        } else if (value == 2) { // delta
            const uint8_t* delta = in.Take(2);
            column = std::min(column + delta[0], width);
            row += delta[1];
        } else { // absolute run of value pixels, padded to an even number of bytes
            const size_t bytes = nibbles ? static_cast<size_t>(value + 1) / 2 : value;
            const uint8_t* pixels = in.Take(bytes + bytes % 2);
            for (int32_t i = 0; i < value && column < width; ++i)
                picture.Row(row)[column++] = nibbles ? Nibble(pixels[i / 2], i) : pixels[i];
        }
    }
}

void DecodeTgaRow(ByteCursor& in, std::span<uint8_t> row, int32_t bytesPerPixel) {
    if (bytesPerPixel < 1 || bytesPerPixel > 4)
        throw pxError("Bad Targa pixel size %d", bytesPerPixel);
    const size_t pixelBytes = static_cast<size_t>(bytesPerPixel);
    const size_t width = row.size() / pixelBytes;
    size_t done = 0;
    while (done < width) {
        const uint8_t header = in.Next();
        const size_t count = (header & 127u) + 1;
        if (count > width - done)
            throw pxError("Bad compressed Targa file");
        uint8_t* out = row.data() + done * pixelBytes;
        if (header & 128u) {
            const uint8_t* pixel = in.Take(pixelBytes);
            for (size_t i = 0; i < count; ++i)
                std::memcpy(out + i * pixelBytes, pixel, pixelBytes);
        } else {
            std::memcpy(out, in.Take(count * pixelBytes), count * pixelBytes);
        }
        done += count;
    }
}

} // namespace plainread
