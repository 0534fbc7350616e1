#include "display/sharedpalette.h"

namespace {

// LOGPALETTE declares one entry; the other 255 follow it.
struct PaletteRecord {
    win::LOGPALETTE header{0x300, kPaletteEntries, {}};
    win::PALETTEENTRY more[kPaletteEntries - 1]{};
};
static_assert(sizeof(PaletteRecord) ==
              sizeof(win::LOGPALETTE) + (kPaletteEntries - 1) * sizeof(win::PALETTEENTRY));

PaletteRecord record;

} // namespace

const win::LOGPALETTE* SharedPalette() {
    return &record.header;
}

win::PALETTEENTRY* SharedPaletteEntries() {
    return record.header.palPalEntry;
}
