// Writers of JPEG and PNG files, made with libjpeg and libpng themselves,
// with stereo descriptors and other segments or chunks placed where a test
// needs them.
#pragma once

#include "imagefile/plainfixtures.h"
#include "support/capturedlog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// A segment written right after the start of image (before any other
// marker), or after the JFIF header.
struct JpegSegment {
    int marker = 0xE3; // APP3
    Bytes payload;
};

struct JpegForm {
    int quality = 95;
    bool progressive = false;
    bool grey = false; // one component, from the picture's green bytes
    bool jfif = true;  // an APP0 JFIF header first
    std::vector<JpegSegment> segments;
};

// picture: 3 bytes per pixel, blue, green, red.
Bytes EncodeJpeg(const Picture& picture, const JpegForm& form);
// A four-component (CMYK) JPEG of the given size.
Bytes EncodeCmykJpeg(int32_t width, int32_t height);

// The payload of a JPS stereo descriptor.
Bytes JpsDescriptor(uint32_t layout, const Bytes& extra = {}, const std::string& comment = {});

// The data of a sTEr chunk.
Bytes SterChunk(uint32_t layout, const Bytes& extra = {}, const std::string& comment = {});

struct PngForm {
    int colourType = 2; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    bool transparentColour = false; // a tRNS chunk: first pixel's colour (or index) clear
    double gamma = 0;               // a gAMA chunk when nonzero
    bool partialAlpha = true;       // alpha samples between clear and opaque too
};

// Samples of a PNG in the given form: width * height * channels values, each
// below 2^bitDepth; for palette pictures the indices. Pixel (x, y) is
// samples[(y * width + x) * channels + c].
std::vector<uint16_t> PngSamples(int32_t width, int32_t height, const PngForm& form);
// The palette of palette pictures: entry i is (i * 40, 255 - i * 20, i * 7).
pxColor PngPaletteColour(int index);
int PngChannels(int colourType);

Bytes EncodePng(int32_t width, int32_t height, const std::vector<uint16_t>& samples,
                const PngForm& form);

// Places a chunk into an encoded PNG: before the first chunk of type
// `before` ("IHDR", "IDAT", "IEND"), with a correct check value unless
// badCheck.
Bytes InsertPngChunk(const Bytes& png, const char* type, const Bytes& data, const char* before,
                     bool badCheck = false);

} // namespace fixtures
