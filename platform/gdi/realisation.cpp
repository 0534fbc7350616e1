#include "platform/gdi/realisation.h"

#include "platform/gdi/colourmatch.h"
#include "platform/gdi/palette.h"

namespace win::internal {
namespace {

constexpr int kEntries = 256;
constexpr int kStaticAtEachEnd = 10;

struct SystemPalette {
    SystemColours colours{};
    // The palette that placed its colour in each entry; null when the entry
    // is free (or reserved).
    std::array<const LogicalPalette*, kEntries> holders{};
    UINT use = SYSPAL_STATIC;

    SystemPalette() {
        for (int i = 0; i < kEntries; ++i)
            colours[Slot(i)] = IsStaticIndex(i) ? StaticColour(i) : PALETTEENTRY{0, 0, 0, 0};
    }

    static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

    bool IsReserved(int index) const {
        return use == SYSPAL_STATIC ? IsStaticIndex(index) : index == 0 || index == kEntries - 1;
    }
    bool IsFree(int index) const { return !IsReserved(index) && !holders[Slot(index)]; }

    // A reserved entry, or one a palette holds, with exactly this colour.
    int FindHeld(COLORREF colour) const {
        for (int i = 0; i < kEntries; ++i)
            if (!IsFree(i) && ColourOf(colours[Slot(i)]) == colour)
                return i;
        return -1;
    }

    int FirstFree() const {
        for (int i = 0; i < kEntries; ++i)
            if (IsFree(i))
                return i;
        return -1;
    }
};

SystemPalette& TheSystemPalette() {
    static SystemPalette palette;
    return palette;
}

} // namespace

bool IsStaticIndex(int index) {
    return index < kStaticAtEachEnd || index >= kEntries - kStaticAtEachEnd;
}

PALETTEENTRY StaticColour(int index) {
    static constexpr PALETTEENTRY kLow[kStaticAtEachEnd] = {
        {0, 0, 0, 0},       {128, 0, 0, 0},    {0, 128, 0, 0},   {128, 128, 0, 0},
        {0, 0, 128, 0},     {128, 0, 128, 0},  {0, 128, 128, 0}, {192, 192, 192, 0},
        {192, 220, 192, 0}, {164, 200, 240, 0}};
    static constexpr PALETTEENTRY kHigh[kStaticAtEachEnd] = {
        {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},
        {0, 255, 0, 0},     {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},
        {0, 255, 255, 0},   {255, 255, 255, 0}};
    if (index >= 0 && index < kStaticAtEachEnd)
        return kLow[index];
    if (index >= kEntries - kStaticAtEachEnd && index < kEntries)
        return kHigh[index - (kEntries - kStaticAtEachEnd)];
    return {0, 0, 0, 0};
}

const SystemColours& CurrentSystemColours() {
    return TheSystemPalette().colours;
}

int NearestSystemIndex(COLORREF colour) {
    const SystemColours& colours = CurrentSystemColours();
    return NearestEntry(colours.data(), colours.size(), colour);
}

Realisation Realize(LogicalPalette& palette, bool foreground) {
    SystemPalette& system = TheSystemPalette();
    for (int i = 0; i < kEntries; ++i) {
        const LogicalPalette*& holder = system.holders[SystemPalette::Slot(i)];
        if (foreground || holder == &palette)
            holder = nullptr;
    }

    Realisation result;
    std::array<bool, kEntries> recoloured{};
    std::vector<int> mapping;
    mapping.reserve(palette.entries.size());
    for (const PALETTEENTRY& entry : palette.entries) {
        const COLORREF colour = ColourOf(entry);
        int index = (entry.peFlags & PC_NOCOLLAPSE) ? -1 : system.FindHeld(colour);
        if (index < 0) {
            index = system.FirstFree();
            if (index >= 0) {
                PALETTEENTRY& target = system.colours[SystemPalette::Slot(index)];
                if (ColourOf(target) != colour) {
                    recoloured[SystemPalette::Slot(index)] = true;
                    result.systemChanged = true;
                }
                target = {entry.peRed, entry.peGreen, entry.peBlue, 0};
                system.holders[SystemPalette::Slot(index)] = &palette;
            }
        }
        if (index < 0)
            index = NearestSystemIndex(colour);
        mapping.push_back(index);
    }

    const bool firstTime = palette.systemIndex.size() != mapping.size();
    for (std::size_t i = 0; i < mapping.size(); ++i)
        if (firstTime || palette.systemIndex[i] != mapping[i] ||
            recoloured[SystemPalette::Slot(mapping[i])])
            ++result.mapped;
    palette.systemIndex = std::move(mapping);
    return result;
}

void ReleaseSystemEntries(const LogicalPalette& palette) {
    for (const LogicalPalette*& holder : TheSystemPalette().holders)
        if (holder == &palette)
            holder = nullptr;
}

bool ChangeSystemPaletteUse(UINT use) {
    SystemPalette& system = TheSystemPalette();
    system.use = use;
    if (use != SYSPAL_STATIC)
        return false; // the static colours stay until palettes take their entries
    bool changed = false;
    for (int i = 0; i < kEntries; ++i) {
        if (!IsStaticIndex(i))
            continue;
        PALETTEENTRY& entry = system.colours[SystemPalette::Slot(i)];
        const PALETTEENTRY wanted = StaticColour(i);
        changed = changed || ColourOf(entry) != ColourOf(wanted);
        entry = wanted;
        system.holders[SystemPalette::Slot(i)] = nullptr;
    }
    return changed;
}

UINT CurrentSystemPaletteUse() {
    return TheSystemPalette().use;
}

} // namespace win::internal
