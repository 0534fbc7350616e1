#include "stereo/cpairmix.h"

#include "imaging/pxerror.h"
#include "stereo/cpair.h"

#include <cstring>

namespace {

// Averaged 1-byte rows get colours 10 to 245; the 20 fixed system colours
// around them stay as they are.
constexpr int kAveragedColours = 236;
constexpr int kFirstAveragedIndex = 10;

// The row kernels work in blocks of 48 bytes (16 pixels of 3 bytes): a loop
// of fixed length is vectorised even at -O2, and a block always starts on a
// pixel, so the channel of byte k of a block is k % 3. The rest of a row is
// done byte by byte.
constexpr int32_t kBlock = 48;

struct ChannelMasks {
    uint8_t of[3][kBlock]; // 0xFF where byte k of a block is channel c
};

constexpr ChannelMasks MakeChannelMasks() {
    ChannelMasks masks{};
    for (int32_t k = 0; k < kBlock; ++k)
        masks.of[k % 3][k] = 0xFF;
    return masks;
}

constexpr ChannelMasks kChannelMasks = MakeChannelMasks();

// out = (a + b) / 2 per byte, rounding down.
void AverageBytes(uint8_t* __restrict out, const uint8_t* __restrict a, const uint8_t* __restrict b,
                  int32_t bytes) {
    int32_t j = 0;
    for (; j + kBlock <= bytes; j += kBlock)
        for (int32_t k = 0; k < kBlock; ++k)
            out[j + k] = static_cast<uint8_t>((unsigned{a[j + k]} + b[j + k]) >> 1);
    for (; j < bytes; ++j)
        out[j] = static_cast<uint8_t>((unsigned{a[j]} + b[j]) >> 1);
}

// sum / 3 rounding down, exact for every sum of three bytes (0 to 765):
// 21846 / 65536 exceeds 1/3 by less than 1/(3 * 765). Kept in 16 bits, so
// that the vectorised loop multiplies eight sums at a time.
inline uint8_t GreyOfBytes(uint8_t a, uint8_t b, uint8_t c) {
    const uint16_t sum = static_cast<uint16_t>(a + b + c);
    return static_cast<uint8_t>((uint32_t{sum} * 21846u) >> 16);
}

// grey[j] = grey of bytes j, j + 1, j + 2, for j < count. Only j = 0, 3, 6 ...
// start a pixel; the others are computed too because skipping them would
// keep the loop from being vectorised. Reads source[0 .. count + 1].
void GreyFromEveryByte(uint8_t* __restrict grey, const uint8_t* __restrict source, int32_t count) {
    int32_t j = 0;
    for (; j + kBlock <= count; j += kBlock)
        for (int32_t k = 0; k < kBlock; ++k)
            grey[j + k] = GreyOfBytes(source[j + k], source[j + k + 1], source[j + k + 2]);
    for (; j < count; ++j)
        grey[j] = GreyOfBytes(source[j], source[j + 1], source[j + 2]);
}

// Byte j of out keeps its value where keep says so, else takes byte j of the
// blue, green or red feed by the channel of j.
void BlendChannels(uint8_t* __restrict out, const uint8_t* __restrict blue,
                   const uint8_t* __restrict green, const uint8_t* __restrict red,
                   const uint8_t* __restrict keep, int32_t bytes) {
    int32_t j = 0;
    for (; j + kBlock <= bytes; j += kBlock)
        for (int32_t k = 0; k < kBlock; ++k)
            out[j + k] = static_cast<uint8_t>(
                (out[j + k] & keep[k]) | (blue[j + k] & kChannelMasks.of[0][k]) |
                (green[j + k] & kChannelMasks.of[1][k]) | (red[j + k] & kChannelMasks.of[2][k]));
    const uint8_t* const channels[3] = {blue, green, red};
    for (; j < bytes; ++j)
        if (!keep[j % kBlock])
            out[j] = channels[j % 3][j];
}

// 1-byte indices to blue, green, red (and a zero fourth byte) per pixel.
void ExpandIndices(uint8_t* out, const uint8_t* indices, int32_t width, int32_t bytesPerPixel,
                   const std::array<pxColor, pxPalette::kMaxColours>& colours) {
    for (int32_t x = 0; x < width; ++x, out += bytesPerPixel) {
        const pxColor& colour = colours[indices[x]];
        out[0] = colour.blue;
        out[1] = colour.green;
        out[2] = colour.red;
        if (bytesPerPixel == 4)
            out[3] = 0;
    }
}

// The pair's palette with black beyond its count, so no index reads past it.
std::array<pxColor, pxPalette::kMaxColours> FullPalette(const pxPalette& palette) {
    std::array<pxColor, pxPalette::kMaxColours> colours{};
    for (int i = 0; i < palette.GetCount(); ++i)
        colours[static_cast<size_t>(i)] = palette[i];
    return colours;
}

[[noreturn]] void RefuseDepths(int32_t pairBytesPerPixel, int32_t destinationBytesPerPixel) {
    throw pxError("pxCPair::CopyConvert -- cannot convert %d to %d bytes per pixel",
                  pairBytesPerPixel, destinationBytesPerPixel);
}

} // namespace

int64_t ShownRowCount(int64_t eyeHeight, RowMode mode) {
    switch (mode) {
    case RowMode::Doubled:
        return eyeHeight * 2;
    case RowMode::Halved:
        return eyeHeight / 2;
    default:
        return eyeHeight;
    }
}

pxColor AverageColours(const pxColor& a, const pxColor& b) {
    return pxColor::Rgb(static_cast<uint8_t>((a.red + b.red) / 2),
                        static_cast<uint8_t>((a.green + b.green) / 2),
                        static_cast<uint8_t>((a.blue + b.blue) / 2));
}

AveragedColours::AveragedColours(const std::vector<const pxImage*>& eyes,
                                 const pxPalette& pairPalette, pxPalette& outputPalette)
    : quantizer(std::make_unique<octTree>(kAveragedColours)) {
    const auto colours = FullPalette(pairPalette);
    const int32_t count = eyes.front()->GetHeight() / 2;
    for (int32_t k = 0; k < count; ++k)
        for (const pxImage* eye : eyes) {
            const uint8_t* upper = eye->Row(2 * k);
            const uint8_t* lower = eye->Row(2 * k + 1);
            for (int32_t x = 0; x < eye->GetWidth(); ++x) {
                const pxColor colour = AverageColours(colours[upper[x]], colours[lower[x]]);
                quantizer->insert_color(colour.red, colour.green, colour.blue);
            }
        }
    quantizer->gen_colormap(outputPalette, kFirstAveragedIndex);
}

uint8_t AveragedColours::IndexOf(const pxColor& colour) const {
    return static_cast<uint8_t>(
        quantizer->map_inserted_color(colour.red, colour.green, colour.blue));
}

ShownRows::ShownRows(int32_t eyeWidth, int32_t pairBytesPerPixel, RowMode rowMode,
                     const pxPalette& pairPalette, bool paletteGiven, int32_t destinationDepth)
    : colours(FullPalette(pairPalette)), mode(rowMode), width(eyeWidth),
      destinationBytesPerPixel(destinationDepth), rowBytes(eyeWidth * destinationDepth) {
    if (mode == RowMode::Halved) {
        if (pairBytesPerPixel == 3) {
            making = Making::Average;
        } else if (pairBytesPerPixel == 1) {
            if (!paletteGiven)
                throw pxError("pxCPair::CopyConvert -- palette was not specified, but is needed "
                              "to convert this pair to Interleaved");
            making = Making::AverageIndexed;
        } else {
            throw pxError("pxCPair::CopyConvert -- cannot average the rows of a %d byte per "
                          "pixel pair",
                          pairBytesPerPixel);
        }
        if (destinationBytesPerPixel != pairBytesPerPixel)
            RefuseDepths(pairBytesPerPixel, destinationBytesPerPixel);
        upper.resize(static_cast<size_t>(rowBytes));
    } else if (destinationBytesPerPixel != pairBytesPerPixel) {
        if (pairBytesPerPixel != 1 || destinationBytesPerPixel < 3)
            RefuseDepths(pairBytesPerPixel, destinationBytesPerPixel);
        if (pairPalette.GetCount() < 1)
            throw pxError("pxCPair::CopyConvert -- Invalid palette (need to call SetPalette?)");
        making = Making::Expand;
    }
    if (making != Making::None)
        made.resize(static_cast<size_t>(rowBytes));
}

void ShownRows::Put(const uint8_t* row, const Show& show) {
    const int32_t eyeRow = eyeRows++;
    switch (making) {
    case Making::None:
        break;
    case Making::Expand:
        ExpandIndices(made.data(), row, width, destinationBytesPerPixel, colours);
        row = made.data();
        break;
    default:
        // Rows are averaged in pairs: keep the first of a pair until the second comes.
        if (eyeRow % 2 == 0) {
            std::memcpy(upper.data(), row, static_cast<size_t>(rowBytes));
            return;
        }
        if (making == Making::Average) {
            AverageBytes(made.data(), upper.data(), row, rowBytes);
        } else {
            for (int32_t x = 0; x < width; ++x)
                made[static_cast<size_t>(x)] = averaged->IndexOf(
                    AverageColours(colours[upper[static_cast<size_t>(x)]], colours[row[x]]));
        }
        row = made.data();
        break;
    }
    show(shown++, row);
    if (mode == RowMode::Doubled)
        show(shown++, row);
}

AnaglyphChannels::AnaglyphChannels(int32_t outputType, int32_t bytes)
    : rowBytes(bytes), zeros(static_cast<size_t>(bytes)), grey(static_cast<size_t>(bytes) + 2) {
    // Blue, green, red: fed by which eye (-1: by neither, so zero), from its grey or bytes.
    struct Channel {
        int eye;
        bool grey;
    };
    std::array<Channel, 3> channels;
    switch (outputType) {
    case OUTPUT_PURE_RED_BLUE:
        channels = {{{1, true}, {-1, false}, {0, true}}};
        break;
    case OUTPUT_PURE_RED_GREEN:
        channels = {{{-1, false}, {1, true}, {0, true}}};
        break;
    case OUTPUT_GREY_RED_BLUE:
    case OUTPUT_GREY_RED_GREEN:
        channels = {{{1, true}, {1, true}, {0, true}}};
        break;
    default:
        channels = {{{1, false}, {1, false}, {0, false}}};
        break;
    }
    for (int channel = 0; channel < 3; ++channel) {
        const Channel& source = channels[static_cast<size_t>(channel)];
        EyeFeed& feed = feeds[source.eye < 0 ? 0 : static_cast<size_t>(source.eye)];
        feed.writes[static_cast<size_t>(channel)] = true;
        if (source.eye >= 0) {
            feed.fromEye[static_cast<size_t>(channel)] = true;
            feed.grey = source.grey;
        }
    }
    for (EyeFeed& feed : feeds)
        for (int32_t k = 0; k < kBlock; ++k)
            feed.keep[static_cast<size_t>(k)] = feed.writes[static_cast<size_t>(k % 3)] ? 0 : 0xFF;
}

void AnaglyphChannels::Write(int eye, uint8_t* out, const uint8_t* row) {
    const EyeFeed& feed = feeds[static_cast<size_t>(eye)];
    // A pixel's grey sits at its first byte, two bytes into the buffer, so
    // that channel c can read it shifted back by c bytes.
    uint8_t* greyRow = grey.data() + 2;
    if (feed.grey)
        GreyFromEveryByte(greyRow, row, rowBytes - 2);
    const uint8_t* channelFeeds[3];
    for (int channel = 0; channel < 3; ++channel) {
        if (!feed.fromEye[static_cast<size_t>(channel)])
            channelFeeds[channel] = zeros.data();
        else
            channelFeeds[channel] = feed.grey ? greyRow - channel : row;
    }
    BlendChannels(out, channelFeeds[0], channelFeeds[1], channelFeeds[2], feed.keep.data(),
                  rowBytes);
}
