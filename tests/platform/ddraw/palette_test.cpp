// Palettes on 8-bit modes: the primary's palette is what the screen shows
// its pixels with.
#include "ddrawfixture.h"

#include "platform/display/presenter.h"
#include "platform/gdi/windowdc.h"
#include "platform/win/shownframebuffer.h"

#include <QColor>
#include <QImage>

#include <array>

namespace ddrawtest {
namespace {

using namespace win;

std::array<PALETTEENTRY, 256> Ramp() {
    std::array<PALETTEENTRY, 256> colours;
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                                static_cast<BYTE>(i / 2), 0};
    return colours;
}

std::array<PALETTEENTRY, 256> SystemColours() {
    std::array<PALETTEENTRY, 256> colours{};
    internal::GetSystemPaletteColours(colours.data());
    return colours;
}

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

// Sets the system palette use for the test, and back to static afterwards.
class SystemPaletteUse {
public:
    explicit SystemPaletteUse(UINT use) { Set(use); }
    ~SystemPaletteUse() { Set(SYSPAL_STATIC); }
    SystemPaletteUse(const SystemPaletteUse&) = delete;
    SystemPaletteUse& operator=(const SystemPaletteUse&) = delete;

private:
    static void Set(UINT use) {
        const HDC screen = internal::CreateFramebufferDC(&internal::ScreenFramebuffer(), nullptr);
        SetSystemPaletteUse(screen, use);
        internal::DeleteFramebufferDC(screen);
    }
};

TEST_F(DirectDrawTest, PrimaryPaletteBecomesTheSystemPalette) {
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    std::array<PALETTEENTRY, 256> colours = Ramp();
    IDirectDrawPalette* made = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours.data(), &made, nullptr), DD_OK);
    Held<IDirectDrawPalette> palette(made);
    const std::array<PALETTEENTRY, 256> before = SystemColours();
    ASSERT_EQ(primary->SetPalette(palette.get()), DD_OK);

    // The static colours stay at both ends; the rest are the palette's.
    const std::array<PALETTEENTRY, 256> shown = SystemColours();
    for (int i = 0; i < 256; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const bool reserved = i < 10 || i >= 246;
        EXPECT_TRUE(Same(shown[at], reserved ? before[at] : colours[at])) << "entry " << i;
    }

    // The window shows the primary's pixels in those colours.
    Fill(primary.get(), 100);
    const QImage image = internal::PresentedImage(*internal::ShownFramebuffer(window));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(100, 155, 50));

    // New entries show at once.
    const PALETTEENTRY red{255, 0, 0, 0};
    ASSERT_EQ(palette->SetEntries(0, 100, 1, &red), DD_OK);
    EXPECT_TRUE(Same(SystemColours()[100], red));
    PALETTEENTRY read{};
    ASSERT_EQ(palette->GetEntries(0, 100, 1, &read), DD_OK);
    EXPECT_TRUE(Same(read, red));

    EXPECT_EQ(palette->SetEntries(0, 255, 2, colours.data()), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->SetEntries(0, 256, 0, colours.data()), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->GetEntries(0, 0, 257, colours.data()), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->SetEntries(0, 0, 1, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, WithoutStaticColoursOnlyBlackAndWhiteStay) {
    SystemPaletteUse noStatic(SYSPAL_NOSTATIC);
    Held<IDirectDraw> directDraw = CreateExclusive();
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    std::array<PALETTEENTRY, 256> colours = Ramp();
    IDirectDrawPalette* made = nullptr;
    ASSERT_EQ(
        directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, colours.data(), &made, nullptr),
        DD_OK);
    Held<IDirectDrawPalette> palette(made);
    ASSERT_EQ(primary->SetPalette(palette.get()), DD_OK);
    const std::array<PALETTEENTRY, 256> shown = SystemColours();
    EXPECT_TRUE(Same(shown[0], PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_TRUE(Same(shown[255], PALETTEENTRY{255, 255, 255, 0}));
    for (std::size_t i = 1; i < 255; ++i)
        EXPECT_TRUE(Same(shown[i], colours[i])) << "entry " << i;
}

TEST_F(DirectDrawTest, PalettesBelongToEightBitSurfaces) {
    UseProfile("mode 640x480x16\n");
    std::array<PALETTEENTRY, 256> colours = Ramp();
    IDirectDrawPalette* made = nullptr;
    Held<IDirectDraw> directDraw = Create();
    EXPECT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours.data(), &made, nullptr),
              DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(directDraw->CreatePalette(DDPCAPS_4BIT, colours.data(), &made, nullptr),
              DDERR_UNSUPPORTED);
    EXPECT_EQ(directDraw->CreatePalette(0, colours.data(), &made, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, nullptr, &made, nullptr),
              DDERR_INVALIDPARAMS);
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours.data(), &made, nullptr), DD_OK);
    Held<IDirectDrawPalette> palette(made);
    Held<IDirectDrawSurface> primary = Make(directDraw.get(), PrimaryDescription(0));
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->SetPalette(palette.get()), DDERR_NOTPALETTIZED);
    EXPECT_EQ(primary->SetPalette(nullptr), DD_OK);

    // A palette of another DirectDraw object is not this one's to attach.
    Held<IDirectDraw> other = Create();
    ASSERT_EQ(other->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(other->CreatePalette(DDPCAPS_8BIT, colours.data(), &made, nullptr), DD_OK);
    Held<IDirectDrawPalette> foreign(made);
    EXPECT_EQ(primary->SetPalette(foreign.get()), DDERR_INVALIDOBJECT);
}

} // namespace
} // namespace ddrawtest
