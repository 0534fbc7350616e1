#include "platform/gdi/systempalette.h"

#include "platform/gdi/devicecontext.h"
#include "platform/gdi/realisation.h"

#include <algorithm>

namespace win {

UINT SetSystemPaletteUse(HDC dc, UINT use) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || context->target->bitsPerPixel != 8 ||
        (use != SYSPAL_STATIC && use != SYSPAL_NOSTATIC))
        return SYSPAL_ERROR;
    const UINT previous = internal::CurrentSystemPaletteUse();
    if (internal::ChangeSystemPaletteUse(use))
        internal::ShowAgain(*context);
    return previous;
}

UINT GetSystemPaletteUse(HDC dc) {
    return internal::FindDeviceContext(dc) ? internal::CurrentSystemPaletteUse() : SYSPAL_ERROR;
}

// Every depth answers: the virtual adapter keeps its palette in true-colour
// modes too, so a caller never gets entries left unset.
UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries) {
    if (!internal::FindDeviceContext(dc))
        return 0;
    const internal::SystemColours& colours = internal::CurrentSystemColours();
    if (!entries)
        return static_cast<UINT>(colours.size());
    if (start >= colours.size())
        return 0;
    const std::size_t copied = std::min<std::size_t>(count, colours.size() - start);
    std::copy_n(colours.begin() + start, copied, entries);
    return static_cast<UINT>(copied);
}

namespace internal {

void GetSystemPaletteColours(PALETTEENTRY out[256]) {
    std::copy(CurrentSystemColours().begin(), CurrentSystemColours().end(), out);
}

} // namespace internal
} // namespace win
