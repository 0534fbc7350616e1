#include "stereo/cpairmix.h"

#include "imaging/pxerror.h"
#include "stereo/cpair.h"

#include <algorithm>
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

// Byte j of out comes from byte j of blue, green or red, by the channel of j.
void MergeChannels(uint8_t* __restrict out, const uint8_t* __restrict blue,
                   const uint8_t* __restrict green, const uint8_t* __restrict red, int32_t bytes) {
    int32_t j = 0;
    for (; j + kBlock <= bytes; j += kBlock)
        for (int32_t k = 0; k < kBlock; ++k)
            out[j + k] = static_cast<uint8_t>((blue[j + k] & kChannelMasks.of[0][k]) |
                                              (green[j + k] & kChannelMasks.of[1][k]) |
                                              (red[j + k] & kChannelMasks.of[2][k]));
    const uint8_t* const channels[3] = {blue, green, red};
    for (; j < bytes; ++j)
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

ShownRows::ShownRows(std::initializer_list<const pxImage*> eyeList, RowMode rowMode,
                     const pxPalette& pairPalette, pxPalette* outputPalette,
                     int32_t destinationDepth)
    : eyes(eyeList), mode(rowMode), width(eyes.front()->GetWidth()),
      count(static_cast<int32_t>(ShownRowCount(eyes.front()->GetHeight(), rowMode))),
      destinationBytesPerPixel(destinationDepth), rowBytes(width * destinationDepth) {
    const int32_t pairBytesPerPixel = eyes.front()->GetBytesPerPixel();
    if (mode == RowMode::Halved) {
        if (pairBytesPerPixel == 3) {
            making = Making::Average;
        } else if (pairBytesPerPixel == 1) {
            if (!outputPalette)
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
    } else if (destinationBytesPerPixel != pairBytesPerPixel) {
        if (pairBytesPerPixel != 1 || destinationBytesPerPixel < 3)
            RefuseDepths(pairBytesPerPixel, destinationBytesPerPixel);
        if (pairPalette.GetCount() < 1)
            throw pxError("pxCPair::CopyConvert -- Invalid palette (need to call SetPalette?)");
        making = Making::Expand;
    }

    for (int i = 0; i < pairPalette.GetCount(); ++i)
        colours[static_cast<size_t>(i)] = pairPalette[i];
    if (making != Making::None)
        scratch.assign(eyes.size(), std::vector<uint8_t>(static_cast<size_t>(rowBytes)));
    if (making == Making::AverageIndexed) {
        quantizer = std::make_unique<octTree>(kAveragedColours);
        QuantizeAveragedColours();
        quantizer->gen_colormap(*outputPalette, kFirstAveragedIndex);
    }
}

pxColor ShownRows::AveragedColour(const uint8_t* upper, const uint8_t* lower, int32_t x) const {
    const pxColor& a = colours[upper[x]];
    const pxColor& b = colours[lower[x]];
    return pxColor::Rgb(static_cast<uint8_t>((a.red + b.red) / 2),
                        static_cast<uint8_t>((a.green + b.green) / 2),
                        static_cast<uint8_t>((a.blue + b.blue) / 2));
}

void ShownRows::QuantizeAveragedColours() {
    for (int32_t k = 0; k < count; ++k)
        for (const pxImage* eye : eyes) {
            const uint8_t* upper = eye->Row(2 * k);
            const uint8_t* lower = eye->Row(2 * k + 1);
            for (int32_t x = 0; x < width; ++x) {
                const pxColor colour = AveragedColour(upper, lower, x);
                quantizer->insert_color(colour.red, colour.green, colour.blue);
            }
        }
}

const uint8_t* ShownRows::Row(size_t eye, int32_t k) {
    const pxImage& view = *eyes[eye];
    const int32_t sourceRow = mode == RowMode::Doubled ? k / 2 : k;
    if (making == Making::None)
        return view.Row(sourceRow);

    uint8_t* out = scratch[eye].data();
    switch (making) {
    case Making::Expand:
        ExpandIndices(out, view.Row(sourceRow), width, destinationBytesPerPixel, colours);
        break;
    case Making::Average:
        AverageBytes(out, view.Row(2 * k), view.Row(2 * k + 1), rowBytes);
        break;
    default: {
        const uint8_t* upper = view.Row(2 * k);
        const uint8_t* lower = view.Row(2 * k + 1);
        for (int32_t x = 0; x < width; ++x) {
            const pxColor colour = AveragedColour(upper, lower, x);
            out[x] = static_cast<uint8_t>(
                quantizer->map_inserted_color(colour.red, colour.green, colour.blue));
        }
    }
    }
    return out;
}

uint8_t* OutputPixel(const PairConversion& job, int32_t x, int32_t y) {
    const pxImage& destination = job.destination;
    return destination.Row(job.origin.y + y) +
           static_cast<std::ptrdiff_t>(job.origin.x + x) * destination.GetBytesPerPixel();
}

void ConvertInterleaved(const PairConversion& job) {
    if (job.rowMode == RowMode::Doubled)
        throw pxError(
            "pxCPair::CopyConvertInterleaved -- half height to full height not supported yet.");
    ShownRows rows({&job.first, &job.second}, job.rowMode, job.pairPalette, job.outputPalette,
                   job.destination.GetBytesPerPixel());
    const size_t bytes = static_cast<size_t>(rows.RowBytes());
    for (int32_t k = 0; k < rows.Count(); ++k) {
        std::memcpy(OutputPixel(job, 0, 2 * k), rows.Row(0, k), bytes);
        std::memcpy(OutputPixel(job, 0, 2 * k + 1), rows.Row(1, k), bytes);
    }
}

namespace {

// What feeds one colour channel of an anaglyph pixel.
enum class Feed { FirstGrey, SecondGrey, FirstByte, SecondByte, Nothing };

// The feeds of the blue, green and red bytes (a pixel's byte order).
using Recipe = std::array<Feed, 3>;

Recipe RecipeFor(int32_t outputType) {
    switch (outputType) {
    case OUTPUT_PURE_RED_BLUE:
        return {Feed::SecondGrey, Feed::Nothing, Feed::FirstGrey};
    case OUTPUT_PURE_RED_GREEN:
        return {Feed::Nothing, Feed::SecondGrey, Feed::FirstGrey};
    case OUTPUT_GREY_RED_BLUE:
    case OUTPUT_GREY_RED_GREEN:
        return {Feed::SecondGrey, Feed::SecondGrey, Feed::FirstGrey};
    default:
        return {Feed::SecondByte, Feed::SecondByte, Feed::FirstByte};
    }
}

// Mixes rows of the two eyes into anaglyph rows by a recipe.
class AnaglyphMixer {
public:
    AnaglyphMixer(const Recipe& recipe, int32_t rowBytes)
        : recipe(recipe), rowBytes(rowBytes), zeros(static_cast<size_t>(rowBytes)) {
        for (auto& grey : greys)
            grey.assign(static_cast<size_t>(rowBytes + kGreyLead), 0);
    }

    void Mix(uint8_t* out, const uint8_t* first, const uint8_t* second) {
        const uint8_t* rows[2] = {first, second};
        for (int eye = 0; eye < 2; ++eye)
            if (Uses(eye == 0 ? Feed::FirstGrey : Feed::SecondGrey))
                GreyFromEveryByte(Grey(eye), rows[eye], rowBytes - 2);
        const uint8_t* feeds[3];
        for (int channel = 0; channel < 3; ++channel)
            feeds[channel] = FeedRow(recipe[static_cast<size_t>(channel)], channel, rows);
        MergeChannels(out, feeds[0], feeds[1], feeds[2], rowBytes);
    }

private:
    // A grey row starts this far into its buffer, so that it can be read
    // shifted back by up to two bytes (see FeedRow).
    static constexpr int32_t kGreyLead = 2;

    bool Uses(Feed feed) const {
        return std::find(recipe.begin(), recipe.end(), feed) != recipe.end();
    }
    uint8_t* Grey(int eye) { return greys[eye].data() + kGreyLead; }

    // The row whose byte j is what byte j of the output takes when j is of
    // this channel. A pixel's grey sits at its first byte, so channel c reads
    // the grey row shifted back by c bytes.
    const uint8_t* FeedRow(Feed feed, int channel, const uint8_t* const rows[2]) {
        switch (feed) {
        case Feed::FirstGrey:
            return Grey(0) - channel;
        case Feed::SecondGrey:
            return Grey(1) - channel;
        case Feed::FirstByte:
            return rows[0];
        case Feed::SecondByte:
            return rows[1];
        default:
            return zeros.data();
        }
    }

    Recipe recipe;
    int32_t rowBytes;
    std::vector<uint8_t> zeros;
    std::vector<uint8_t> greys[2];
};

} // namespace

void ConvertAnaglyph(const PairConversion& job, int32_t outputType) {
    const int32_t pairBytesPerPixel = job.first.GetBytesPerPixel();
    if (pairBytesPerPixel == 1)
        throw pxError("pxCPair::CopyConvert -- 256 anaglyph not supported yet");
    if (pairBytesPerPixel != 3)
        throw pxError("pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel pair, not %d",
                      pairBytesPerPixel);
    if (job.destination.GetBytesPerPixel() != 3)
        throw pxError("pxCPair::CopyConvert -- anaglyphs need a 3 byte per pixel destination, "
                      "not %d",
                      job.destination.GetBytesPerPixel());

    ShownRows rows({&job.first, &job.second}, job.rowMode, job.pairPalette, job.outputPalette, 3);
    AnaglyphMixer mixer(RecipeFor(outputType), rows.RowBytes());
    for (int32_t k = 0; k < rows.Count(); ++k)
        mixer.Mix(OutputPixel(job, 0, k), rows.Row(0, k), rows.Row(1, k));
}
