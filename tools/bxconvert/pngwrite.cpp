// PNG files through libpng: 8-bit RGB, or palette files for 1-byte pictures.
// With a layout word, a PNS file: the stereo descriptor is a sTEr chunk
// before the image data.
#include "encoders.h"

#include "imaging/pxerror.h"

#include <png.h>

#include <cstring>

namespace encode {

namespace {

struct PngErrors {
    // Until libpng says otherwise: only its set-up can fail without a message.
    char message[256] = "out of memory";
};

// libpng jumps back through png_jmpbuf after this returns, so no exception
// passes through its frames.
void KeepError(png_structp png, png_const_charp message) {
    auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
    std::snprintf(errors->message, sizeof errors->message, "%s", message);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

std::vector<uint8_t> SterChunk(uint32_t layout) {
    // The descriptor length counts itself and the layout word.
    std::vector<uint8_t> chunk = {0, 6};
    const std::vector<uint8_t> tail = DescriptorTail(layout);
    chunk.insert(chunk.end(), tail.begin(), tail.end());
    return chunk;
}

std::vector<png_color> PngPalette(const pxPalette& palette) {
    std::vector<png_color> entries(pxPalette::kMaxColours);
    for (int i = 0; i < pxPalette::kMaxColours; ++i) {
        const pxColor colour = PaletteColour(palette, i);
        entries[static_cast<size_t>(i)] = {colour.red, colour.green, colour.blue};
    }
    return entries;
}

// Everything that calls into libpng. Returns false when libpng gave up.
bool Compress(png_structp png, png_infop pngInfo, std::FILE* file, const PictureRows& picture,
              const std::vector<uint8_t>& descriptor, std::vector<png_color>& colours,
              std::vector<uint8_t>& row) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const bool indexed = picture.BytesPerPixel() == 1;
    png_init_io(png, file);
    png_set_IHDR(png, pngInfo, static_cast<png_uint_32>(picture.Width()),
                 static_cast<png_uint_32>(picture.Height()), 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed)
        png_set_PLTE(png, pngInfo, colours.data(), static_cast<int>(colours.size()));
    png_write_info(png, pngInfo);
    if (!descriptor.empty())
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("sTEr"), descriptor.data(),
                        descriptor.size());
    for (int32_t y = 0; y < picture.Height(); ++y) {
        if (indexed)
            std::memcpy(row.data(), picture.Row(y), static_cast<size_t>(picture.Width()));
        else
            RgbRow(picture, y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

void WritePng(std::FILE* file, const char* fileName, const PictureRows& picture,
              std::optional<uint32_t> stereoLayout) {
    const std::vector<uint8_t> descriptor =
        stereoLayout ? SterChunk(*stereoLayout) : std::vector<uint8_t>{};
    std::vector<png_color> colours =
        picture.BytesPerPixel() == 1 ? PngPalette(*picture.Palette()) : std::vector<png_color>{};
    std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
    PngErrors errors;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, KeepError, IgnoreWarning);
    png_infop pngInfo = png ? png_create_info_struct(png) : nullptr;
    const bool written = pngInfo && Compress(png, pngInfo, file, picture, descriptor, colours, row);
    png_destroy_write_struct(&png, &pngInfo);
    if (!written)
        throw pxError("Cannot write the PNG file '%s': %s", fileName, errors.message);
}

} // namespace encode
