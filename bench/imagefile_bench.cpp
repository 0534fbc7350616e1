// ReadImage on a 4000 x 1500 JPEG and PNG against libjpeg and libpng alone
// decoding the same files into memory: the overhead of the readers. And
// ReadImage on a small PNG carrying one large private chunk of 4 to 32 MB:
// the time should grow with the chunk's size, not its square.
#include "benchpair.h"
#include "imagefile/readimage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <png.h>

namespace {

using benchpair::JpegFile;
using benchpair::kHeight;
using benchpair::kWidth;
using benchpair::Sample;
using benchpair::TempPath;

// A PNG of the given size, with a private ancillary chunk of chunkBytes
// before its image data when chunkBytes is not zero.
void WritePng(const std::string& file, int width, int height, size_t chunkBytes) {
    FILE* out = std::fopen(file.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (chunkBytes > 0) {
        const std::vector<png_byte> data(chunkBytes, 0x5A);
        static const png_byte kName[] = "prIv";
        png_write_chunk(png, kName, data.data(), data.size());
    }
    std::vector<png_byte> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x)
            row[x] = Sample(x / 3, y, x % 3);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
}

const std::string& PngFile() {
    static const std::string path = [] {
        const std::string file = TempPath("pair.png");
        WritePng(file, kWidth, kHeight, 0);
        return file;
    }();
    return path;
}

constexpr int kSmallSide = 64;

void ReadWithReadImage(benchmark::State& state, const std::string& path, int64_t pixels) {
    pxImage image;
    for (auto _ : state) {
        _ImageInfo info;
        if (ReadImage(path.c_str(), &image, nullptr, &info, nullptr) != 1)
            state.SkipWithError("incomplete read");
        benchmark::DoNotOptimize(image.GetPixels());
    }
    state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_ReadImage_Jpeg(benchmark::State& state) {
    ReadWithReadImage(state, JpegFile(), int64_t{kWidth} * kHeight);
}
void BM_ReadImage_Png(benchmark::State& state) {
    ReadWithReadImage(state, PngFile(), int64_t{kWidth} * kHeight);
}

void BM_ReadImage_PngLargeChunk(benchmark::State& state) {
    const std::string path = TempPath(("chunk-" + std::to_string(state.range(0)) + ".png").c_str());
    WritePng(path, kSmallSide, kSmallSide, size_t(state.range(0)) << 20);
    ReadWithReadImage(state, path, kSmallSide * kSmallSide);
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
    std::remove(path.c_str());
}

// libjpeg alone: the file decoded row by row into one buffer.
void BM_Libjpeg_Alone(benchmark::State& state) {
    std::vector<JSAMPLE> pixels(size_t{kWidth} * kHeight * 3);
    for (auto _ : state) {
        FILE* in = std::fopen(JpegFile().c_str(), "rb");
        jpeg_decompress_struct decompressor{};
        jpeg_error_mgr errors{};
        decompressor.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&decompressor);
        jpeg_stdio_src(&decompressor, in);
        jpeg_read_header(&decompressor, TRUE);
        jpeg_start_decompress(&decompressor);
        while (decompressor.output_scanline < decompressor.output_height) {
            JSAMPROW rows[] = {pixels.data() + size_t{decompressor.output_scanline} * kWidth * 3};
            jpeg_read_scanlines(&decompressor, rows, 1);
        }
        jpeg_finish_decompress(&decompressor);
        jpeg_destroy_decompress(&decompressor);
        std::fclose(in);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

// libpng alone: the file read row by row into one buffer, as blue, green, red.
void BM_Libpng_Alone(benchmark::State& state) {
    std::vector<png_byte> pixels(size_t{kWidth} * kHeight * 3);
    for (auto _ : state) {
        FILE* in = std::fopen(PngFile().c_str(), "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, in);
        png_read_info(png, info);
        png_set_bgr(png);
        png_read_update_info(png, info);
        for (int y = 0; y < kHeight; ++y)
            png_read_row(png, pixels.data() + size_t{kWidth} * 3 * y, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(in);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

} // namespace

BENCHMARK(BM_Libjpeg_Alone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadImage_Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng_Alone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadImage_Png)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadImage_PngLargeChunk)
    ->RangeMultiplier(2)
    ->Range(4, 32)
    ->Unit(benchmark::kMillisecond);
