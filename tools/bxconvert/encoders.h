// The encoders behind WritePicture and what they share. Each writes one
// whole file to an open stream; the caller has checked the picture (pixels
// present, 1, 3 or 4 bytes per pixel, a palette for 1-byte pixels).
#pragma once

#include "bxconvert/writers.h"
#include "imaging/pximage.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace encode {

// The picture an encoder writes: its rows are read in any order, each once
// it is finished when the picture is still being made.
class PictureRows {
public:
    PictureRows(const pxImage& image, const pxPalette* palette, const RowProgress* progress)
        : image(image), palette(palette), progress(progress) {}

    int32_t Width() const { return image.GetWidth(); }
    int32_t Height() const { return image.GetHeight(); }
    int32_t BytesPerPixel() const { return image.GetBytesPerPixel(); }
    const pxPalette* Palette() const { return palette; }
    // The whole picture, once every row is finished.
    const pxImage& Whole() const {
        if (progress)
            progress->WaitFor(image.GetHeight());
        return image;
    }
    // Row y, once it is finished; throws pxError when the picture was abandoned.
    const uint8_t* Row(int32_t y) const {
        if (progress)
            progress->WaitFor(y + 1);
        return image.Row(y);
    }

private:
    const pxImage& image;
    const pxPalette* palette;
    const RowProgress* progress;
};

// Palette entry index, black when the palette has no such entry.
pxColor PaletteColour(const pxPalette& palette, int index);

// Picture row `row` as red, green, blue bytes (3 * width of them).
void RgbRow(const PictureRows& picture, int32_t row, uint8_t* out);

// What follows the descriptor length in a stereo descriptor: the layout word
// (big-endian) and an empty comment.
std::vector<uint8_t> DescriptorTail(uint32_t layout);

void WritePpm(std::FILE* file, const PictureRows& picture);
// Throws pxError naming fileName for pictures beyond the format's sizes.
void WriteBmp(std::FILE* file, const char* fileName, const PictureRows& picture);

// stereoLayout, when given, adds a stereo descriptor with that layout word.
// Both throw pxError naming fileName when the library reports an error.
void WriteJpeg(std::FILE* file, const char* fileName, const PictureRows& picture, int quality,
               std::optional<uint32_t> stereoLayout);
void WritePng(std::FILE* file, const char* fileName, const PictureRows& picture,
              std::optional<uint32_t> stereoLayout);

// A marker segment written after the JFIF header: its marker code and data.
struct JpegSegment {
    int marker;
    std::vector<uint8_t> data;
};
void WriteJpegWithSegments(std::FILE* file, const char* fileName, const PictureRows& picture,
                           int quality, const std::vector<JpegSegment>& segments);

// An MPO file: the eye views of the picture (split as the layout word says)
// as two baseline JPEG images, left then right, with an MPF index that
// lists them as a stereo pair.
void WriteMpo(std::FILE* file, const char* fileName, const PictureRows& picture, int quality,
              uint32_t layout);

} // namespace encode
