// Portable pixmaps, in the text (P3) and the binary (P6) form.
#include "imagefile/plainreaders.h"

#include <algorithm>

namespace plainread {

namespace {

constexpr const char* kNotPpm = "'%s' is not a valid ppm file";

// Longer numbers are far beyond any size or sample anyway.
constexpr size_t kNumberRoom = 20;
constexpr int64_t kLargestNumber = int64_t{1} << 32;
// Text samples may be 16-bit; binary ones must fit one byte.
constexpr int64_t kLargestTextMaximum = 65535;
constexpr int64_t kLargestBinaryMaximum = 255;

bool IsBlank(int c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// The leading decimal digits of word (0 when there are none), saturated.
int64_t Decimal(const std::string& word) {
    int64_t value = 0;
    for (size_t i = 0; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i)
        value = std::min(value * 10 + (word[i] - '0'), kLargestNumber);
    return value;
}

// The next word of a file that must be a PPM file.
std::string ReadWord(File& file, size_t room) {
    const std::optional<std::string> word = ReadPpmWord(file, room);
    if (!word)
        throw pxError(kNotPpm, file.GetName().c_str());
    return *word;
}

int64_t ReadNumber(File& file) {
    return Decimal(ReadWord(file, kNumberRoom));
}

// A sample from 0..maximum spread over 0..255; samples above the maximum are
// taken as the maximum.
uint8_t Scale(int64_t sample, int64_t maximum) {
    return static_cast<uint8_t>(std::min<int64_t>(sample * 255 / maximum, 255));
}

uint8_t ReadTextSample(File& file, int64_t maximum) {
    const std::string word = ReadWord(file, kNumberRoom);
    if (word.empty()) // the file ended
        pxThrowFileError(pxFileError::READ_FAILED, "Cannot read %ld bytes", 1L);
    return Scale(Decimal(word), maximum);
}

void ReadTextPixels(File& file, const pxImage& picture, int64_t maximum) {
    for (int32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int32_t x = 0; x < picture.GetWidth(); ++x, pixel += 3) {
            const uint8_t red = ReadTextSample(file, maximum);
            const uint8_t green = ReadTextSample(file, maximum);
            pixel[0] = ReadTextSample(file, maximum);
            pixel[1] = green;
            pixel[2] = red;
        }
    }
}

void ReadBinaryPixels(File& file, const pxImage& picture, int64_t maximum) {
    const size_t rowBytes = size_t(picture.GetWidth()) * 3;
    for (int32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* row = picture.Row(y);
        file.Read(row, static_cast<long>(rowBytes));
        for (size_t x = 0; x < rowBytes; x += 3) {
            const uint8_t red = row[x];
            row[x] = Scale(row[x + 2], maximum);
            row[x + 1] = Scale(row[x + 1], maximum);
            row[x + 2] = Scale(red, maximum);
        }
    }
}

} // namespace

std::optional<std::string> ReadPpmWord(File& file, size_t room) {
    // Past the span the file is taken as ended.
    size_t left = kMaxPpmWordSpan;
    bool overrun = false;
    const auto next = [&] {
        overrun = left == 0;
        return overrun ? EOF : (--left, file.ReadChar());
    };
    int c = next();
    while (c == '#' || IsBlank(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = next();
        c = next();
    }
    std::string word;
    for (; c != EOF && !IsBlank(c); c = next())
        if (word.size() < room)
            word += static_cast<char>(c);
    if (overrun)
        return std::nullopt;
    return word;
}

void ReadPpm(const char* name, pxImage& image, int32_t bottomUp) {
    File file(name, 'r');
    const std::string magic = ReadWord(file, 2);
    const int64_t width = ReadNumber(file);
    const int64_t height = ReadNumber(file);
    const int64_t maximum = ReadNumber(file);
    const bool text = magic == "P3";
    if (!text && magic != "P6")
        throw pxError(kNotPpm, name);
    if (maximum == 0 || maximum > (text ? kLargestTextMaximum : kLargestBinaryMaximum))
        throw pxError("Cannot handle maximum value %ld in ppm file '%s'",
                      static_cast<long>(maximum), name);

    // A text pixel takes at least six characters: three digits and their blanks.
    CheckImageSize(name, width, height, 3, width * (text ? 6 : 3), false,
                   file.Size() - file.Tell());
    const pxImage picture = CreateInStoredOrder(
        image, {static_cast<int32_t>(width), static_cast<int32_t>(height)}, 3, bottomUp, false);
    if (text)
        ReadTextPixels(file, picture, maximum);
    else
        ReadBinaryPixels(file, picture, maximum);
}

} // namespace plainread
