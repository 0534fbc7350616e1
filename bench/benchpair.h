// The 4000 x 1500 side-by-side JPEG pair several benchmarks read: smooth
// shading with fine detail, like a photograph, written once per run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace benchpair {

constexpr int kWidth = 4000;
constexpr int kHeight = 1500;

// A side-by-side pair with smooth shading and fine detail, like a photograph.
inline uint8_t Sample(int x, int y, int c) {
    const int eyeX = x % (kWidth / 2);
    const int shade = (eyeX * 255 / (kWidth / 2) + y * 255 / kHeight) / 2;
    const int detail = ((eyeX * 7 + y * 13) ^ (eyeX * y)) & 31;
    return static_cast<uint8_t>((shade + detail + c * 60) & 0xFF);
}

inline std::string TempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/binoxa-bench-" + name;
}

inline const std::string& JpegFile() {
    static const std::string path = [] {
        const std::string file = TempPath("pair.jps");
        FILE* out = std::fopen(file.c_str(), "wb");
        jpeg_compress_struct compressor{};
        jpeg_error_mgr errors{};
        compressor.err = jpeg_std_error(&errors);
        jpeg_create_compress(&compressor);
        jpeg_stdio_dest(&compressor, out);
        compressor.image_width = kWidth;
        compressor.image_height = kHeight;
        compressor.input_components = 3;
        compressor.in_color_space = JCS_RGB;
        jpeg_set_defaults(&compressor);
        jpeg_set_quality(&compressor, 92, TRUE);
        jpeg_start_compress(&compressor, TRUE);
        std::vector<JSAMPLE> row(kWidth * 3);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth * 3; ++x)
                row[x] = Sample(x / 3, y, x % 3);
            JSAMPROW rows[] = {row.data()};
            jpeg_write_scanlines(&compressor, rows, 1);
        }
        jpeg_finish_compress(&compressor);
        jpeg_destroy_compress(&compressor);
        std::fclose(out);
        return file;
    }();
    return path;
}

} // namespace benchpair
