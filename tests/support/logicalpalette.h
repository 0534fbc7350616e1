// A GDI logical palette of any number of entries, for tests that realize
// colours of their own.
#pragma once

#include "platform/gdi/palette.h"

#include <cstdint>
#include <cstring>
#include <vector>

inline win::HPALETTE MakePalette(const std::vector<win::PALETTEENTRY>& entries) {
    std::vector<std::uint8_t> record(sizeof(win::LOGPALETTE) +
                                     entries.size() * sizeof(win::PALETTEENTRY));
    auto* palette = reinterpret_cast<win::LOGPALETTE*>(record.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<win::WORD>(entries.size());
    std::memcpy(palette->palPalEntry, entries.data(), entries.size() * sizeof(win::PALETTEENTRY));
    return win::CreatePalette(palette);
}
