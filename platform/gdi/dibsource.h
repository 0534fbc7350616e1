// Reading a device-independent bitmap: what its header says, and the inks
// its pixels become in one device context.
#pragma once

#include "platform/gdi/dib.h"
#include "platform/gdi/ink.h"

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace win::internal {

struct DibSource {
    const std::uint8_t* bits = nullptr; // the first scan line given, in memory order
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bytesPerPixel = 1;
    std::int64_t stride = 0;
    // 8-bit pictures: the colour table after the header.
    const std::uint8_t* colourTable = nullptr;
    std::size_t colourCount = 0;
    bool paletteIndices = false; // DIB_PAL_COLORS

    // Nothing for what this layer does not draw: other depths, compression,
    // a null pointer, an unknown colour use or a size no memory could hold.
    static std::optional<DibSource> Describe(const BITMAPINFO* info, const void* bits,
                                             UINT colourUse);

    // The scan line stored at this position in memory.
    const std::uint8_t* StoredRow(std::int64_t position) const { return bits + position * stride; }
};

// The ink of each source pixel, for one blit.
class SourceInks {
public:
    SourceInks(const DibSource& source, const InkMaker& inks, int destinationBits);

    Ink At(const std::uint8_t* pixel);

private:
    const InkMaker& inks;
    int sourceBytes;
    bool throughPalette; // true-colour pixels onto an 8-bit framebuffer
    std::array<Ink, 256> indexed{};
    std::unordered_map<COLORREF, Ink> mapped;
};

} // namespace win::internal
