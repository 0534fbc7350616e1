// Finding the palette entry nearest to a colour.
#pragma once

#include "platform/gdi/systempalette.h"
#include "platform/win/wintypes.h"

#include <cstddef>

namespace win::internal {

// Smallest squared distance in red, green and blue; the first of equals.
// Answers -1 for no entries.
inline int NearestEntry(const PALETTEENTRY* entries, std::size_t count, COLORREF colour) {
    int best = -1;
    long bestDistance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const long red = long{entries[i].peRed} - GetRValue(colour);
        const long green = long{entries[i].peGreen} - GetGValue(colour);
        const long blue = long{entries[i].peBlue} - GetBValue(colour);
        const long distance = red * red + green * green + blue * blue;
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

inline COLORREF ColourOf(const PALETTEENTRY& entry) {
    return RGB(entry.peRed, entry.peGreen, entry.peBlue);
}

} // namespace win::internal
