#include "platform/ddraw/modedescription.h"

#include "platform/gdi/framebuffer.h"

namespace win::ddraw {

DDPIXELFORMAT PixelFormatOf(int bitsPerPixel) {
    DDPIXELFORMAT format;
    format.dwRGBBitCount = static_cast<DWORD>(bitsPerPixel);
    if (bitsPerPixel == 8) {
        format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        return format;
    }
    format.dwFlags = DDPF_RGB;
    if (bitsPerPixel == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000;
        format.dwGBitMask = 0x00FF00;
        format.dwBBitMask = 0x0000FF;
    }
    return format;
}

DDSURFACEDESC DescriptionOf(const DisplayMode& mode, bool withRefresh) {
    DDSURFACEDESC description;
    description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    description.dwWidth = static_cast<DWORD>(mode.width);
    description.dwHeight = static_cast<DWORD>(mode.height);
    // The pitch of the mode's surfaces is the pitch of one row of them.
    description.lPitch = Framebuffer(mode.width, 1, mode.bitsPerPixel).stride;
    description.ddpfPixelFormat = PixelFormatOf(mode.bitsPerPixel);
    if (withRefresh) {
        description.dwFlags |= DDSD_REFRESHRATE;
        description.dwRefreshRate = static_cast<DWORD>(mode.refresh);
    }
    return description;
}

bool MatchesPattern(const DDSURFACEDESC& pattern, const DisplayMode& mode) {
    const auto differs = [&pattern](DWORD flag, DWORD wanted, int actual) {
        return (pattern.dwFlags & flag) && wanted != static_cast<DWORD>(actual);
    };
    return !differs(DDSD_WIDTH, pattern.dwWidth, mode.width) &&
           !differs(DDSD_HEIGHT, pattern.dwHeight, mode.height) &&
           !differs(DDSD_PIXELFORMAT, pattern.ddpfPixelFormat.dwRGBBitCount, mode.bitsPerPixel) &&
           !differs(DDSD_REFRESHRATE, pattern.dwRefreshRate, mode.refresh);
}

} // namespace win::ddraw
