// The run-length decoders of the plain formats, on bytes already in memory so
// that they can be tried on any data without a file.
#pragma once

#include "imaging/pximage.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace plainread {

// Hands out the bytes of a block in order. Running out throws the same
// pxFileError as a short read from a file.
class ByteCursor {
public:
    explicit ByteCursor(std::span<const uint8_t> bytes) : bytes(bytes) {}

    uint8_t Next() { return *Take(1); }
    // The next count bytes.
    const uint8_t* Take(size_t count);

private:
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

// Bitmap run-length data (8-bit, or 4-bit when nibbles) into a 1-byte picture
// whose row 0 is the first row stored. Ends at the end-of-picture code or when
// every row is done. Runs and deltas that reach past the picture are cut:
// their pixels outside it are dropped. Pixels no code reaches are left as they
// are.
void DecodeBmpRle(ByteCursor& in, const pxImage& picture, bool nibbles);

// Fills one row of pixels of bytesPerPixel bytes from Targa packets. Packets
// never cross rows: one that does not end inside the row throws
// "Bad compressed Targa file".
void DecodeTgaRow(ByteCursor& in, std::span<uint8_t> row, int32_t bytesPerPixel);

} // namespace plainread
