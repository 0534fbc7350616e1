#include "platform/gdi/dibsource.h"

#include <cstring>

namespace win::internal {
namespace {

// Far beyond any real picture, and small enough that row offsets never overflow.
constexpr std::int64_t kMaxPictureBytes = std::int64_t{1} << 40;
constexpr std::size_t kIndexedColours = 256;

std::size_t ColourCount(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed == 0 || header.biClrUsed > kIndexedColours)
        return kIndexedColours;
    return header.biClrUsed;
}

} // namespace

std::optional<DibSource> DibSource::Describe(const BITMAPINFO* info, const void* bits,
                                             UINT colourUse) {
    if (!info || !bits || (colourUse != DIB_RGB_COLORS && colourUse != DIB_PAL_COLORS))
        return std::nullopt;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int bitCount = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB ||
        (bitCount != 8 && bitCount != 24 && bitCount != 32) || header.biWidth <= 0 ||
        header.biHeight == 0)
        return std::nullopt;

    DibSource source;
    source.bits = static_cast<const std::uint8_t*>(bits);
    source.width = header.biWidth;
    source.topDown = header.biHeight < 0;
    source.height = source.topDown ? -std::int64_t{header.biHeight} : header.biHeight;
    source.bytesPerPixel = bitCount / 8;
    source.stride = (source.width * bitCount + 31) / 32 * 4;
    if (source.stride * source.height > kMaxPictureBytes)
        return std::nullopt;
    if (bitCount == 8) {
        source.colourTable = reinterpret_cast<const std::uint8_t*>(info) + header.biSize;
        source.colourCount = ColourCount(header);
        source.paletteIndices = colourUse == DIB_PAL_COLORS;
    }
    return source;
}

SourceInks::SourceInks(const DibSource& source, const InkMaker& inks, int destinationBits)
    : inks(inks), sourceBytes(source.bytesPerPixel),
      throughPalette(destinationBits == 8 && source.bytesPerPixel > 1) {
    if (sourceBytes != 1)
        return;
    for (std::size_t i = 0; i < indexed.size(); ++i) {
        if (i >= source.colourCount) {
            indexed[i] = inks.ForColour(RGB(0, 0, 0));
        } else if (source.paletteIndices) {
            WORD entry;
            std::memcpy(&entry, source.colourTable + i * sizeof(WORD), sizeof entry);
            indexed[i] = inks.ForPaletteEntry(entry);
        } else {
            RGBQUAD quad;
            std::memcpy(&quad, source.colourTable + i * sizeof(RGBQUAD), sizeof quad);
            indexed[i] = inks.ForColour(RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue));
        }
    }
}

Ink SourceInks::At(const std::uint8_t* pixel) {
    if (sourceBytes == 1)
        return indexed[*pixel];
    const COLORREF colour = RGB(pixel[2], pixel[1], pixel[0]);
    if (!throughPalette)
        return inks.ForColour(colour);
    const auto found = mapped.find(colour);
    if (found != mapped.end())
        return found->second;
    return mapped.emplace(colour, inks.ForColour(colour)).first->second;
}

} // namespace win::internal
