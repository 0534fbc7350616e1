#include "imagefile/plainfixtures.h"

#include "support/sysfixture.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace fixtures {

namespace {

// Every other block of four pixels is one run of equal pixels.
bool InRun(int32_t x, int32_t y) {
    return (x / 4 + y) % 2 == 0;
}

void Put16(Bytes& out, int32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, int64_t value) {
    Put16(out, static_cast<int32_t>(value & 0xFFFF));
    Put16(out, static_cast<int32_t>(value >> 16 & 0xFFFF));
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// ---- BMP ----

int32_t DefaultColours(int32_t bitCount) {
    return bitCount == 24 ? 0 : 1 << bitCount;
}

// One stored row of raw pixels, padded to whole 32-bit words.
Bytes RawBmpRow(const Picture& picture, int32_t y, int32_t bitCount) {
    Bytes row((size_t(picture.width) * bitCount + 31) / 32 * 4, 0);
    for (int32_t x = 0; x < picture.width; ++x) {
        const uint8_t* pixel = picture.At(x, y);
        if (bitCount == 24) {
            std::copy(pixel, pixel + 3, row.begin() + 3 * x);
        } else {
            const int32_t bit = x * bitCount; // from the most significant bit down
            row[size_t(bit / 8)] |= static_cast<uint8_t>(pixel[0] << (8 - bitCount - bit % 8));
        }
    }
    return row;
}

// Encoded runs for equal pixels, absolute runs for stretches of three or more
// different ones, single-pixel runs for shorter stretches; an end of row after
// every row.
Bytes RunLengthBmpRow(const Picture& picture, int32_t y, bool nibbles) {
    std::vector<uint8_t> p(size_t(picture.width));
    for (int32_t x = 0; x < picture.width; ++x)
        p[size_t(x)] = *picture.At(x, y);
    const size_t width = p.size();
    const auto pairAt = [&](size_t i) { return i + 1 < width && p[i] == p[i + 1]; };
    const auto runByte = [&](uint8_t v) { return nibbles ? uint8_t(v << 4 | v) : v; };
    Bytes out;
    for (size_t x = 0; x < width;) {
        size_t run = 1;
        while (x + run < width && run < 255 && p[x + run] == p[x])
            ++run;
        if (run >= 2) {
            out.insert(out.end(), {uint8_t(run), runByte(p[x])});
            x += run;
            continue;
        }
        size_t n = 1;
        while (x + n < width && n < 255 && !pairAt(x + n))
            ++n;
        if (n >= 3) {
            out.insert(out.end(), {0, uint8_t(n)});
            Bytes packed;
            for (size_t i = 0; i < n; ++i) {
                if (!nibbles)
                    packed.push_back(p[x + i]);
                else if (i % 2 == 0)
                    packed.push_back(uint8_t(p[x + i] << 4));
                else
                    packed.back() |= p[x + i];
            }
            if (packed.size() % 2 != 0)
                packed.push_back(0);
            Append(out, packed);
        } else {
            for (size_t i = 0; i < n; ++i)
                out.insert(out.end(), {1, runByte(p[x + i])});
        }
        x += n;
    }
    out.insert(out.end(), {0, 0});
    return out;
}

// ---- Targa ----

void PutTgaPixel(Bytes& out, const uint8_t* pixel, int32_t bytes) {
    if (bytes == 2)
        Put16(out, pixel[0] >> 3 | (pixel[1] >> 3) << 5 | (pixel[2] >> 3) << 10);
    else
        out.insert(out.end(), pixel, pixel + bytes);
}

// Run packets for two or more equal pixels, raw packets for the rest.
Bytes TgaPackets(const std::vector<Bytes>& row) {
    Bytes out;
    for (size_t x = 0; x < row.size();) {
        size_t run = 1;
        while (x + run < row.size() && run < 128 && row[x + run] == row[x])
            ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            Append(out, row[x]);
            x += run;
            continue;
        }
        size_t n = 1;
        while (x + n < row.size() && n < 128 &&
               !(x + n + 1 < row.size() && row[x + n] == row[x + n + 1]))
            ++n;
        out.push_back(uint8_t(n - 1));
        for (size_t i = 0; i < n; ++i)
            Append(out, row[x + i]);
        x += n;
    }
    return out;
}

} // namespace

Picture IndexedPicture(int32_t width, int32_t height, int32_t colours) {
    Picture picture{width, height, 1, Bytes(size_t(width) * height), {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture.pixels[size_t(y) * width + x] =
                uint8_t((InRun(x, y) ? x / 4 + y : x + 3 * y) % colours);
    for (int32_t i = 0; i < colours; ++i)
        picture.palette.push_back(
            pxColor::Rgb(uint8_t(37 * i + 11), uint8_t(91 * i + 5), uint8_t(53 * i + 200)));
    return picture;
}

Picture TrueColourPicture(int32_t width, int32_t height, int32_t bytesPerPixel,
                          const std::function<uint8_t(uint8_t)>& level) {
    Picture picture{width, height, bytesPerPixel, {}, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t u = InRun(x, y) ? x / 4 * 4 : x; // runs: every pixel as the first
            const uint8_t bytes[4] = {uint8_t(13 * u + 7 * y), uint8_t(3 * u + 29 * y + 100),
                                      uint8_t(31 * u + 5 * y + 50), uint8_t(9 * (u + y))};
            for (int32_t b = 0; b < bytesPerPixel; ++b)
                picture.pixels.push_back(level ? level(bytes[b]) : bytes[b]);
        }
    return picture;
}

Picture GreyPicture(int32_t width, int32_t height) {
    Picture picture = IndexedPicture(width, height, 256);
    for (int32_t i = 0; i < 256; ++i)
        picture.palette[size_t(i)] = pxColor::Rgb(uint8_t(i), uint8_t(i), uint8_t(i));
    return picture;
}

Bytes EncodeBmp(const Picture& picture, const BmpForm& form) {
    const int32_t entries =
        form.os2 || form.coloursUsed == 0 ? DefaultColours(form.bitCount) : form.coloursUsed;
    Bytes colourTable;
    for (int32_t i = 0; i < entries; ++i) {
        const pxColor c =
            size_t(i) < picture.palette.size() ? picture.palette[size_t(i)] : pxColor{};
        colourTable.insert(colourTable.end(), {c.blue, c.green, c.red});
        if (!form.os2)
            colourTable.push_back(0);
    }
    Bytes data;
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t y = form.topDown ? row : picture.height - 1 - row; // bottom row first
        Append(data, form.runLength ? RunLengthBmpRow(picture, y, form.bitCount == 4)
                                    : RawBmpRow(picture, y, form.bitCount));
    }
    if (form.runLength)
        data.insert(data.end(), {0, 1});

    Bytes info;
    if (form.os2) {
        Put32(info, 12);
        Put16(info, picture.width);
        Put16(info, picture.height);
        Put16(info, 1);
        Put16(info, form.bitCount);
    } else {
        Put32(info, 40);
        Put32(info, picture.width);
        Put32(info, form.topDown ? -int64_t{picture.height} : picture.height);
        Put16(info, 1);
        Put16(info, form.bitCount);
        Put32(info, form.runLength ? (form.bitCount == 8 ? 1 : 2) : 0);
        Put32(info, int64_t(data.size()));
        Put32(info, 2835); // 72 dots per inch
        Put32(info, 2835);
        Put32(info, form.coloursUsed);
        Put32(info, 0);
    }
    const int64_t offset = 14 + int64_t(info.size() + colourTable.size());
    Bytes file = {'B', 'M'};
    Put32(file, offset + int64_t(data.size()));
    Put32(file, 0); // the two reserved words
    Put32(file, offset);
    Append(file, info);
    Append(file, colourTable);
    Append(file, data);
    return file;
}

Bytes EncodeTga(const Picture& picture, const TgaForm& form) {
    const bool mapped = form.imageType == 1 || form.imageType == 9;
    const int32_t pixelBytes = (form.depth + 1) / 8; // 15 bits take two bytes
    const int32_t entryBytes = (form.mapEntrySize + 1) / 8;
    const int32_t mapLength = mapped ? int32_t(picture.palette.size()) - form.mapFirst : 0;
    Bytes file = {uint8_t(form.identifier.size()), uint8_t(mapped ? 1 : 0),
                  uint8_t(form.imageType)};
    Put16(file, form.mapFirst);
    Put16(file, mapLength);
    file.push_back(uint8_t(mapped ? form.mapEntrySize : 0));
    Put32(file, 0); // origin
    Put16(file, picture.width);
    Put16(file, picture.height);
    file.push_back(uint8_t(form.depth));
    file.push_back(form.descriptor);
    file.insert(file.end(), form.identifier.begin(), form.identifier.end());
    for (int32_t j = 0; j < mapLength; ++j) {
        const pxColor c = picture.palette[size_t(form.mapFirst + j)];
        const uint8_t entry[4] = {c.blue, c.green, c.red, c.spare};
        PutTgaPixel(file, entry, entryBytes);
    }

    const bool topDown = form.descriptor & 0x20;
    const bool rightToLeft = form.descriptor & 0x10;
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t y = topDown ? row : picture.height - 1 - row;
        std::vector<Bytes> pixels;
        for (int32_t i = 0; i < picture.width; ++i) {
            const int32_t x = rightToLeft ? picture.width - 1 - i : i;
            pixels.emplace_back();
            PutTgaPixel(pixels.back(), picture.At(x, y), pixelBytes);
        }
        if (form.imageType >= 9)
            Append(file, TgaPackets(pixels));
        else
            for (const Bytes& pixel : pixels)
                Append(file, pixel);
    }
    if (form.footer) {
        Put32(file, 0); // no extension area
        Put32(file, 0); // no developer directory
        const char signature[] = "TRUEVISION-XFILE.";
        file.insert(file.end(), signature, signature + sizeof signature); // with its zero
    }
    return file;
}

Bytes EncodePpm(const Picture& picture, bool text, int32_t maximum) {
    char header[64];
    std::snprintf(header, sizeof header, "%s\n# a comment\n%d %d\n%d\n", text ? "P3" : "P6",
                  picture.width, picture.height, maximum);
    Bytes file(header, header + std::strlen(header));
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint8_t* bgr = picture.At(x, y);
            for (const uint8_t channel : {bgr[2], bgr[1], bgr[0]}) {
                const int32_t sample = channel * maximum / 255;
                if (!text) {
                    file.push_back(uint8_t(sample));
                    continue;
                }
                const std::string word = std::to_string(sample) + ' ';
                file.insert(file.end(), word.begin(), word.end());
            }
        }
        if (text)
            file.push_back('\n');
    }
    return file;
}

TempDir::TempDir() {
    static std::atomic<int> serial{0};
    path = std::filesystem::temp_directory_path() /
           ("binoxa-imagefile-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
}

TempDir::~TempDir() {
    systest::KeepTestFiles(path.string());
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void AppendToFile(const std::string& path, const Bytes& bytes, size_t from, size_t to) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data() + from, 1, to - from, file);
    std::fclose(file);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
    const std::string file = PathOf(name);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
}

std::string TempDir::PathOf(const std::string& name) const {
    return (path / name).string();
}

::testing::AssertionResult SamePicture(const Picture& expected, const pxImage& image,
                                       const pxPalette& palette) {
    if (image.GetWidth() != expected.width || image.GetHeight() != expected.height ||
        image.GetBytesPerPixel() != expected.bytesPerPixel)
        return ::testing::AssertionFailure()
               << "picture is " << image.GetWidth() << " x " << image.GetHeight() << " x "
               << image.GetBytesPerPixel() << ", expected " << expected.width << " x "
               << expected.height << " x " << expected.bytesPerPixel;
    const size_t pixelBytes = size_t(expected.bytesPerPixel);
    for (int32_t y = 0; y < expected.height; ++y)
        for (int32_t x = 0; x < expected.width; ++x) {
            const uint8_t* got = image.Row(y) + x * pixelBytes;
            if (!std::equal(got, got + pixelBytes, expected.At(x, y)))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") first byte " << int(got[0])
                       << ", expected " << int(expected.At(x, y)[0]);
        }
    for (size_t i = 0; i < expected.palette.size(); ++i)
        if (!(palette[int(i)] == expected.palette[i]))
            return ::testing::AssertionFailure() << "palette entry " << i << " differs";
    return ::testing::AssertionSuccess();
}

} // namespace fixtures
