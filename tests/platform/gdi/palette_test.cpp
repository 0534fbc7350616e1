#include "gdi_test_support.h"

#include <gtest/gtest.h>

using namespace win;
using gdi_test::FrameDC;

namespace {

PALETTEENTRY Entry(BYTE red, BYTE green, BYTE blue, BYTE flags = 0) {
    return {red, green, blue, flags};
}

// The palette a full-screen display loads for a 256-colour picture: the
// system's colours at both ends, the picture's in between.
std::vector<PALETTEENTRY> PictureWithStaticEnds() {
    std::vector<PALETTEENTRY> entries;
    const std::vector<COLORREF> system = gdi_test::SystemColours();
    for (int i = 0; i < 256; ++i) {
        const bool reserved = i < 10 || i >= 246;
        const COLORREF c = system[static_cast<std::size_t>(i)];
        entries.push_back(
            reserved ? Entry(GetRValue(c), GetGValue(c), GetBValue(c))
                     : Entry(static_cast<BYTE>(i), 100, static_cast<BYTE>(255 - i), PC_NOCOLLAPSE));
    }
    return entries;
}

class Palettes : public ::testing::Test {
protected:
    void SetUp() override { gdi_test::ResetSystemPalette(); }
    void TearDown() override { gdi_test::ResetSystemPalette(); }
};

TEST_F(Palettes, SystemPaletteStartsWithTheStaticColours) {
    FrameDC screen(2, 2, 8);
    PALETTEENTRY entries[256];
    EXPECT_EQ(GetSystemPaletteEntries(screen.dc, 0, 0, nullptr), 256u);
    ASSERT_EQ(GetSystemPaletteEntries(screen.dc, 0, 256, entries), 256u);
    const COLORREF expected[20] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),
        RGB(0, 0, 128),     RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192),
        RGB(192, 220, 192), RGB(164, 200, 240), RGB(255, 251, 240), RGB(160, 160, 164),
        RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(255, 255, 0),
        RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
    for (int i = 0; i < 20; ++i) {
        const PALETTEENTRY& e = entries[i < 10 ? i : i + 236];
        EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), expected[i]) << "static colour " << i;
    }
    EXPECT_EQ(GetSystemPaletteUse(screen.dc), SYSPAL_STATIC);

    // Ranges are cut at the end; a bad handle gets nothing.
    EXPECT_EQ(GetSystemPaletteEntries(screen.dc, 250, 100, entries), 6u);
    EXPECT_EQ(RGB(entries[5].peRed, entries[5].peGreen, entries[5].peBlue), RGB(255, 255, 255));
    EXPECT_EQ(GetSystemPaletteEntries(screen.dc, 256, 1, entries), 0u);
    EXPECT_EQ(GetSystemPaletteEntries(nullptr, 0, 256, entries), 0u);
}

TEST_F(Palettes, RealisingUnderStaticUseKeepsTheReservedEntries) {
    FrameDC window(4, 1, 8);
    const HPALETTE palette = gdi_test::MakePalette(PictureWithStaticEnds());
    const HPALETTE previous = SelectPalette(window.dc, palette, FALSE);
    EXPECT_EQ(previous, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    EXPECT_EQ(RealizePalette(window.dc), 256u);
    EXPECT_EQ(RealizePalette(window.dc), 0u) << "nothing changed the second time";

    const std::vector<COLORREF> system = gdi_test::SystemColours();
    for (int i = 10; i < 246; ++i)
        EXPECT_EQ(system[static_cast<std::size_t>(i)], RGB(i, 100, 255 - i)) << "entry " << i;
    EXPECT_EQ(system[0], RGB(0, 0, 0));
    EXPECT_EQ(system[249], RGB(255, 0, 0));

    // Palette indices then show as the same system palette indices.
    gdi_test::Dib dib = gdi_test::MakeDib(4, 1, 8, true, [](int x, int) {
        const std::uint32_t indices[] = {0, 9, 10, 245};
        return indices[x];
    });
    std::vector<WORD> identity(256);
    for (int i = 0; i < 256; ++i)
        identity[static_cast<std::size_t>(i)] = static_cast<WORD>(i);
    gdi_test::SetPaletteIndices(dib, identity);
    SetDIBitsToDevice(window.dc, 0, 0, 4, 1, 0, 0, 0, 1, dib.Bits(), dib.Info(), DIB_PAL_COLORS);
    EXPECT_EQ(window.Raw(0, 0), 0u);
    EXPECT_EQ(window.Raw(1, 0), 9u);
    EXPECT_EQ(window.Raw(2, 0), 10u);
    EXPECT_EQ(window.Raw(3, 0), 245u);

    // True colours find their entry of the realised palette; others the nearest.
    const gdi_test::Dib colours = gdi_test::MakeDib(3, 1, 24, true, [](int x, int) {
        const COLORREF c[] = {RGB(20, 100, 235), RGB(21, 101, 233), RGB(255, 0, 0)};
        return c[x];
    });
    SetDIBitsToDevice(window.dc, 0, 0, 3, 1, 0, 0, 0, 1, colours.Bits(), colours.Info(),
                      DIB_RGB_COLORS);
    EXPECT_EQ(window.Raw(0, 0), 20u);
    EXPECT_EQ(window.Raw(1, 0), 21u);
    EXPECT_EQ(window.Raw(2, 0), 249u);

    SelectPalette(window.dc, previous, FALSE);
    EXPECT_TRUE(DeleteObject(palette));
}

TEST_F(Palettes, RealisingUnderNoStaticUseKeepsOnlyBlackAndWhite) {
    FrameDC window(1, 1, 8);
    EXPECT_EQ(SetSystemPaletteUse(window.dc, SYSPAL_NOSTATIC), SYSPAL_STATIC);
    EXPECT_EQ(GetSystemPaletteUse(window.dc), SYSPAL_NOSTATIC);

    std::vector<PALETTEENTRY> entries;
    entries.push_back(Entry(0, 0, 0));
    for (int i = 1; i < 255; ++i)
        entries.push_back(Entry(static_cast<BYTE>(i), static_cast<BYTE>(i), 7, PC_NOCOLLAPSE));
    entries.push_back(Entry(255, 255, 255));
    const HPALETTE palette = gdi_test::MakePalette(entries);
    const HPALETTE previous = SelectPalette(window.dc, palette, FALSE);
    EXPECT_EQ(RealizePalette(window.dc), 256u);
    std::vector<COLORREF> system = gdi_test::SystemColours();
    for (int i = 1; i < 255; ++i)
        EXPECT_EQ(system[static_cast<std::size_t>(i)], RGB(i, i, 7)) << "entry " << i;
    EXPECT_EQ(system[0], RGB(0, 0, 0));
    EXPECT_EQ(system[255], RGB(255, 255, 255));

    // Back to static use: the static colours return.
    EXPECT_EQ(SetSystemPaletteUse(window.dc, SYSPAL_STATIC), SYSPAL_NOSTATIC);
    system = gdi_test::SystemColours();
    EXPECT_EQ(system[1], RGB(128, 0, 0));
    EXPECT_EQ(system[249], RGB(255, 0, 0));
    EXPECT_EQ(system[10], RGB(10, 10, 7));

    // Only 8-bit devices have a system palette to change.
    FrameDC trueColour(1, 1, 24);
    EXPECT_EQ(SetSystemPaletteUse(trueColour.dc, SYSPAL_NOSTATIC), SYSPAL_ERROR);
    EXPECT_EQ(SetSystemPaletteUse(window.dc, 7), SYSPAL_ERROR);
    EXPECT_EQ(GetSystemPaletteUse(trueColour.dc), SYSPAL_STATIC);
    SelectPalette(window.dc, previous, FALSE);
    DeleteObject(palette);
}

TEST_F(Palettes, ColoursShareEntriesUnlessTheyMayNotCollapse) {
    FrameDC window(5, 1, 8);
    const HPALETTE palette = gdi_test::MakePalette({
        Entry(255, 0, 0),                // a static colour: its static entry
        Entry(1, 2, 3),                  // new: the first free entry
        Entry(1, 2, 3),                  // the same again: shares it
        Entry(1, 2, 3, PC_NOCOLLAPSE),   // must have its own
        Entry(255, 0, 0, PC_NOCOLLAPSE), // even a static colour
    });
    SelectPalette(window.dc, palette, FALSE);
    EXPECT_EQ(RealizePalette(window.dc), 5u);
    const gdi_test::Dib dib =
        gdi_test::MakeDib(5, 1, 8, true, [](int x, int) { return static_cast<std::uint32_t>(x); });
    gdi_test::Dib indexed = dib;
    gdi_test::SetPaletteIndices(indexed, {0, 1, 2, 3, 4});
    SetDIBitsToDevice(window.dc, 0, 0, 5, 1, 0, 0, 0, 1, indexed.Bits(), indexed.Info(),
                      DIB_PAL_COLORS);
    EXPECT_EQ(window.Raw(0, 0), 249u);
    EXPECT_EQ(window.Raw(1, 0), 10u);
    EXPECT_EQ(window.Raw(2, 0), 10u);
    EXPECT_EQ(window.Raw(3, 0), 11u);
    EXPECT_EQ(window.Raw(4, 0), 12u);

    // A changed entry is mapped afresh at the next realisation.
    const PALETTEENTRY changed = Entry(9, 9, 9, PC_NOCOLLAPSE);
    EXPECT_EQ(SetPaletteEntries(palette, 4, 1, &changed), 1u);
    EXPECT_EQ(RealizePalette(window.dc), 1u);
    EXPECT_EQ(gdi_test::SystemColours()[12], RGB(9, 9, 9));
    EXPECT_EQ(gdi_test::SystemColours()[11], RGB(1, 2, 3));
    SelectPalette(window.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(palette);
}

TEST_F(Palettes, BackgroundPalettesTakeOnlyFreeEntries) {
    FrameDC front(1, 1, 8);
    FrameDC back(3, 1, 8);
    std::vector<PALETTEENTRY> many;
    for (int i = 0; i < 230; ++i)
        many.push_back(Entry(static_cast<BYTE>(i), 0, 50, PC_NOCOLLAPSE));
    const HPALETTE frontPalette = gdi_test::MakePalette(many);
    SelectPalette(front.dc, frontPalette, FALSE);
    EXPECT_EQ(RealizePalette(front.dc), 230u); // entries 10 to 239

    // Six entries are left: 240 to 245. The background palette takes them,
    // shares the front palette's colours and maps the rest to the nearest.
    std::vector<PALETTEENTRY> other;
    for (int i = 0; i < 8; ++i)
        other.push_back(Entry(200, static_cast<BYTE>(i * 30), 200, PC_NOCOLLAPSE));
    other.push_back(Entry(5, 0, 50));
    const HPALETTE backPalette = gdi_test::MakePalette(other);
    SelectPalette(back.dc, backPalette, TRUE);
    EXPECT_EQ(RealizePalette(back.dc), 9u);
    const std::vector<COLORREF> system = gdi_test::SystemColours();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(system[static_cast<std::size_t>(240 + i)], RGB(200, i * 30, 200));
    EXPECT_EQ(system[10], RGB(0, 0, 50)) << "the front palette keeps its entries";

    gdi_test::Dib dib =
        gdi_test::MakeDib(3, 1, 8, true, [](int x, int) { return static_cast<std::uint32_t>(x); });
    gdi_test::SetPaletteIndices(dib, {5, 7, 8});
    SetDIBitsToDevice(back.dc, 0, 0, 3, 1, 0, 0, 0, 1, dib.Bits(), dib.Info(), DIB_PAL_COLORS);
    EXPECT_EQ(back.Raw(0, 0), 245u);
    EXPECT_EQ(back.Raw(1, 0), 8u) << "(200, 210, 200) is nearest to the static (192, 220, 192)";
    EXPECT_EQ(back.Raw(2, 0), 15u) << "shares the front palette's (5, 0, 50)";

    // Palettes still selected are not deleted; the entries of a deleted one are free.
    EXPECT_FALSE(DeleteObject(frontPalette));
    SelectPalette(front.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    EXPECT_TRUE(DeleteObject(frontPalette));
    const PALETTEENTRY late = Entry(1, 1, 1, PC_NOCOLLAPSE);
    const HPALETTE latePalette = gdi_test::MakePalette({late});
    FrameDC third(1, 1, 8);
    SelectPalette(third.dc, latePalette, TRUE);
    RealizePalette(third.dc);
    EXPECT_EQ(gdi_test::SystemColours()[10], RGB(1, 1, 1));
    SelectPalette(third.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    SelectPalette(back.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(latePalette);
    DeleteObject(backPalette);
}

TEST_F(Palettes, UpdateColorsRedrawsInTheColoursPixelsHadBefore) {
    FrameDC window(2, 1, 8);
    const HPALETTE mine = gdi_test::MakePalette({Entry(10, 20, 30), Entry(40, 50, 60)});
    SelectPalette(window.dc, mine, FALSE);
    RealizePalette(window.dc);
    gdi_test::Dib dib =
        gdi_test::MakeDib(2, 1, 8, true, [](int x, int) { return static_cast<std::uint32_t>(x); });
    gdi_test::SetPaletteIndices(dib, {0, 1});
    SetDIBitsToDevice(window.dc, 0, 0, 2, 1, 0, 0, 0, 1, dib.Bits(), dib.Info(), DIB_PAL_COLORS);
    ASSERT_EQ(window.Raw(0, 0), 10u);
    ASSERT_EQ(window.Raw(1, 0), 11u);

    // Another palette takes the foreground and the entries 10 to 13.
    FrameDC other(1, 1, 8);
    const HPALETTE theirs =
        gdi_test::MakePalette({Entry(1, 1, 1, PC_NOCOLLAPSE), Entry(2, 2, 2, PC_NOCOLLAPSE),
                               Entry(10, 20, 30, PC_NOCOLLAPSE), Entry(40, 50, 60, PC_NOCOLLAPSE)});
    SelectPalette(other.dc, theirs, FALSE);
    RealizePalette(other.dc);

    // Realised in the background, ours shares their entries 12 and 13; the
    // pixels follow.
    SelectPalette(window.dc, mine, TRUE);
    EXPECT_EQ(RealizePalette(window.dc), 2u);
    EXPECT_TRUE(UpdateColors(window.dc));
    EXPECT_EQ(window.Raw(0, 0), 12u);
    EXPECT_EQ(window.Raw(1, 0), 13u);
    EXPECT_TRUE(UpdateColors(window.dc)) << "a second update changes nothing";
    EXPECT_EQ(window.Raw(0, 0), 12u);

    // True-colour framebuffers have nothing to remap.
    FrameDC trueColour(1, 1, 32, 0x33);
    EXPECT_TRUE(UpdateColors(trueColour.dc));
    EXPECT_EQ(trueColour.Raw(0, 0), 0x33333333u);
    EXPECT_FALSE(UpdateColors(nullptr));

    SelectPalette(window.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    SelectPalette(other.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(mine);
    DeleteObject(theirs);
}

TEST_F(Palettes, EntriesAndNearestIndex) {
    const HPALETTE palette = gdi_test::MakePalette(
        {Entry(0, 0, 0), Entry(100, 100, 100), Entry(200, 0, 0, PC_NOCOLLAPSE)});
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(90, 120, 80)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(255, 0, 0)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(10, 10, 10)), 0u);
    EXPECT_EQ(GetNearestPaletteIndex(nullptr, RGB(10, 10, 10)), CLR_INVALID);

    PALETTEENTRY out[4] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 3u);
    EXPECT_EQ(GetPaletteEntries(palette, 1, 10, out), 2u);
    EXPECT_EQ(out[1].peRed, 200);
    EXPECT_EQ(out[1].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(GetPaletteEntries(palette, 3, 1, out), 0u);
    EXPECT_EQ(GetPaletteEntries(palette, 0xFFFFFFFF, 0xFFFFFFFF, out), 0u);
    const PALETTEENTRY two[2] = {Entry(1, 1, 1), Entry(2, 2, 2)};
    EXPECT_EQ(SetPaletteEntries(palette, 2, 2, two), 1u);
    EXPECT_EQ(
        SetPaletteEntries(reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 1, two),
        0u);

    LOGPALETTE empty{0x300, 0, {}};
    EXPECT_EQ(CreatePalette(&empty), nullptr);
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
    DeleteObject(palette);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u) << "deleted";
}

TEST_F(Palettes, TrueColourDevicesLeaveTheSystemPaletteAlone) {
    FrameDC window(1, 1, 24);
    const HPALETTE palette = gdi_test::MakePalette({Entry(3, 4, 5, PC_NOCOLLAPSE)});
    SelectPalette(window.dc, palette, FALSE);
    const std::vector<COLORREF> before = gdi_test::SystemColours();
    EXPECT_EQ(RealizePalette(window.dc), 0u);
    EXPECT_EQ(gdi_test::SystemColours(), before);
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
    EXPECT_EQ(SelectPalette(window.dc, nullptr, FALSE), nullptr);
    SelectPalette(window.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(palette);
}

} // namespace
