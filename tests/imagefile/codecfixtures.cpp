#include "imagefile/codecfixtures.h"

#include "imaging/pxerror.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace fixtures {

namespace {

void PutBigEndian16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void PutBigEndian32(Bytes& out, uint32_t value) {
    PutBigEndian16(out, value >> 16);
    PutBigEndian16(out, value & 0xFFFF);
}

// The descriptor layout both stereo formats share after their own heads.
void PutDescriptorTail(Bytes& out, uint32_t layout, const Bytes& extra,
                       const std::string& comment) {
    PutBigEndian32(out, layout);
    out.insert(out.end(), extra.begin(), extra.end());
    PutBigEndian16(out, static_cast<uint32_t>(comment.size()));
    out.insert(out.end(), comment.begin(), comment.end());
}

Bytes Compress(int32_t width, int32_t height, int components, J_COLOR_SPACE space,
               const JpegForm& form, const std::function<JSAMPLE(int32_t, int32_t, int)>& sample) {
    jpeg_compress_struct compressor{};
    jpeg_error_mgr errors{};
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &memory, &size);
    compressor.image_width = static_cast<JDIMENSION>(width);
    compressor.image_height = static_cast<JDIMENSION>(height);
    compressor.input_components = components;
    compressor.in_color_space = space;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, form.quality, TRUE);
    if (form.progressive)
        jpeg_simple_progression(&compressor);
    compressor.write_JFIF_header = form.jfif ? TRUE : FALSE;
    jpeg_start_compress(&compressor, TRUE);
    for (const JpegSegment& segment : form.segments)
        jpeg_write_marker(&compressor, segment.marker, segment.payload.data(),
                          static_cast<unsigned>(segment.payload.size()));
    std::vector<JSAMPLE> row(size_t(width) * components);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[size_t(x) * components + c] = sample(x, y, c);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&compressor, rows, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    Bytes bytes(memory, memory + size);
    std::free(memory);
    return bytes;
}

void WriteToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

uint32_t ChunkCheck(const char* type, const Bytes& data) {
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    return static_cast<uint32_t>(crc32(crc, data.data(), static_cast<uInt>(data.size())));
}

} // namespace

Bytes EncodeJpeg(const Picture& picture, const JpegForm& form) {
    if (form.grey)
        return Compress(picture.width, picture.height, 1, JCS_GRAYSCALE, form,
                        [&](int32_t x, int32_t y, int) { return picture.At(x, y)[1]; });
    return Compress(picture.width, picture.height, 3, JCS_RGB, form,
                    [&](int32_t x, int32_t y, int c) { return picture.At(x, y)[2 - c]; });
}

Bytes EncodeCmykJpeg(int32_t width, int32_t height) {
    return Compress(width, height, 4, JCS_CMYK, {},
                    [](int32_t x, int32_t y, int c) { return JSAMPLE((x * 7 + y * 3) * (c + 1)); });
}

Bytes JpsDescriptor(uint32_t layout, const Bytes& extra, const std::string& comment) {
    Bytes out = {'_', 'J', 'P', 'S', 'J', 'P', 'S', '_'};
    PutBigEndian16(out, static_cast<uint32_t>(4 + extra.size()));
    PutDescriptorTail(out, layout, extra, comment);
    return out;
}

Bytes SterChunk(uint32_t layout, const Bytes& extra, const std::string& comment) {
    Bytes out;
    PutBigEndian16(out, static_cast<uint32_t>(6 + extra.size()));
    PutDescriptorTail(out, layout, extra, comment);
    return out;
}

int PngChannels(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

pxColor PngPaletteColour(int index) {
    return pxColor::Rgb(uint8_t(index * 40), uint8_t(255 - index * 20), uint8_t(index * 7));
}

std::vector<uint16_t> PngSamples(int32_t width, int32_t height, const PngForm& form) {
    const int channels = PngChannels(form.colourType);
    const uint32_t levels = 1u << form.bitDepth;
    std::vector<uint16_t> samples;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                // A spread of values, and some fully clear and fully opaque alpha.
                uint32_t value = uint32_t(x * 2654435761u + y * 40503u + c * 977u) >> 7;
                if (c == channels - 1 && (form.colourType & PNG_COLOR_MASK_ALPHA) &&
                    (x % 3 != 1 || !form.partialAlpha))
                    value = x % 3 == 0 ? 0 : levels - 1;
                samples.push_back(static_cast<uint16_t>(value % levels));
            }
    return samples;
}

Bytes EncodePng(int32_t width, int32_t height, const std::vector<uint16_t>& samples,
                const PngForm& form) {
    Bytes out;
    png_structp png = png_create_write_struct(
        PNG_LIBPNG_VER_STRING, nullptr,
        [](png_structp failed, png_const_charp message) {
            std::fprintf(stderr, "libpng: %s\n", message);
            png_longjmp(failed, 1);
        },
        nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("libpng could not write the fixture");
    png_set_write_fn(png, &out, WriteToBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), form.bitDepth, form.colourType,
                 form.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const int channels = PngChannels(form.colourType);
    std::vector<png_color> palette;
    if (form.colourType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < (1 << form.bitDepth); ++i) {
            const pxColor c = PngPaletteColour(i);
            palette.push_back({c.red, c.green, c.blue});
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    }
    if (form.transparentColour) {
        if (form.colourType == PNG_COLOR_TYPE_PALETTE) {
            const png_byte alpha[] = {0, 128};
            png_set_tRNS(png, info, alpha, 2, nullptr);
        } else {
            png_color_16 colour{};
            colour.gray = samples[0];
            colour.red = samples[0];
            colour.green = channels >= 3 ? samples[1] : 0;
            colour.blue = channels >= 3 ? samples[2] : 0;
            png_set_tRNS(png, info, nullptr, 0, &colour);
        }
    }
    if (form.gamma > 0)
        png_set_gAMA(png, info, form.gamma);
    png_write_info(png, info);
    if (form.bitDepth < 8)
        png_set_packing(png);
    const int sampleBytes = form.bitDepth == 16 ? 2 : 1;
    std::vector<Bytes> rows(size_t(height), Bytes(size_t(width) * channels * sampleBytes));
    std::vector<png_bytep> rowPointers;
    for (int32_t y = 0; y < height; ++y) {
        Bytes& row = rows[size_t(y)];
        for (size_t i = 0; i < size_t(width) * channels; ++i) {
            const uint16_t value = samples[size_t(y) * width * channels + i];
            if (sampleBytes == 2) {
                row[2 * i] = uint8_t(value >> 8);
                row[2 * i + 1] = uint8_t(value);
            } else {
                row[i] = uint8_t(value);
            }
        }
        rowPointers.push_back(row.data());
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes InsertPngChunk(const Bytes& png, const char* type, const Bytes& data, const char* before,
                     bool badCheck) {
    size_t at = 8;
    while (at + 8 <= png.size() && std::memcmp(&png[at + 4], before, 4) != 0) {
        const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 |
                                uint32_t(png[at + 2]) << 8 | png[at + 3];
        at += 12 + length;
    }
    Bytes chunk;
    PutBigEndian32(chunk, static_cast<uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    PutBigEndian32(chunk, ChunkCheck(type, data) ^ (badCheck ? 1u : 0u));
    Bytes out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(at), png.end());
    return out;
}

} // namespace fixtures
