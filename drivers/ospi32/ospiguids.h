// The render kinds of the OSPI device interface: which kind of display the
// application draws with, named by a GUID that _ospiMetaInit is given.
#pragma once

#include "platform/win/wintypes.h"

inline constexpr win::GUID OSPI_RENDER_DIRECTDRAW = {
    0x7A3C41E0, 0x52D1, 0x11D1, {0x9B, 0x6E, 0x00, 0x60, 0x97, 0x1D, 0x4C, 0x07}};
inline constexpr win::GUID OSPI_RENDER_GDI = {
    0x7A3C41E1, 0x52D1, 0x11D1, {0x9B, 0x6E, 0x00, 0x60, 0x97, 0x1D, 0x4C, 0x06}};
