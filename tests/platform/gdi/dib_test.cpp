#include "gdi_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace win;
using gdi_test::Dib;
using gdi_test::FrameDC;

namespace {

constexpr std::uint8_t kUntouched = 0x5A;

// Six static colours (so that every depth, 8 bits included, shows them
// exactly), their system palette indices and default palette entries.
const COLORREF kColours[6] = {RGB(255, 0, 0),     RGB(0, 255, 0), RGB(0, 0, 255),
                              RGB(255, 255, 255), RGB(128, 0, 0), RGB(0, 128, 128)};
const int kSystemIndex[6] = {249, 250, 252, 255, 1, 6};
const WORD kDefaultEntry[6] = {13, 14, 16, 19, 1, 6};
constexpr int kFirstIndex = 10; // the 8-bit pictures use table slots 10 to 15

std::uint32_t UntouchedRaw(int bitsPerPixel) {
    std::uint32_t raw = 0;
    for (int i = 0; i < bitsPerPixel / 8; ++i)
        raw = raw << 8 | kUntouched;
    return raw;
}

std::uint32_t Expected(int colour, int bitsPerPixel) {
    return bitsPerPixel == 8 ? static_cast<std::uint32_t>(kSystemIndex[colour])
                             : gdi_test::Packed(kColours[colour], bitsPerPixel);
}

enum class Source { Rgb8, Pal8, Bits24, Bits32 };

// A 3 x 2 picture of the six colours, row by row from the top.
Dib SixColours(Source kind, bool topDown) {
    const auto colourAt = [](int x, int y) { return y * 3 + x; };
    if (kind == Source::Bits24 || kind == Source::Bits32)
        return gdi_test::MakeDib(3, 2, kind == Source::Bits24 ? 24 : 32, topDown,
                                 [&](int x, int y) { return kColours[colourAt(x, y)]; });
    Dib dib = gdi_test::MakeDib(3, 2, 8, topDown, [&](int x, int y) {
        return static_cast<std::uint32_t>(kFirstIndex + colourAt(x, y));
    });
    if (kind == Source::Rgb8) {
        std::vector<RGBQUAD> table(kFirstIndex + 6, RGBQUAD{1, 2, 3, 0});
        for (int i = 0; i < 6; ++i)
            table[kFirstIndex + i] = {GetBValue(kColours[i]), GetGValue(kColours[i]),
                                      GetRValue(kColours[i]), 0};
        gdi_test::SetColourTable(dib, table);
    } else {
        std::vector<WORD> indices(kFirstIndex + 6, 0);
        for (int i = 0; i < 6; ++i)
            indices[kFirstIndex + i] = kDefaultEntry[i];
        gdi_test::SetPaletteIndices(dib, indices);
    }
    return dib;
}

UINT UseOf(Source kind) {
    return kind == Source::Pal8 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
}

std::string Name(Source kind, bool topDown, int bitsPerPixel) {
    static const char* kNames[] = {"8-bit RGB", "8-bit PAL", "24-bit", "32-bit"};
    return std::string(kNames[static_cast<int>(kind)]) + (topDown ? " top-down" : " bottom-up") +
           " into " + std::to_string(bitsPerPixel) + " bits";
}

// Every pixel of the frame: colour index (into kColours) or -1 for untouched.
void ExpectPixels(const FrameDC& target, const std::vector<std::vector<int>>& expected,
                  const std::string& what) {
    const int bpp = target.frame.bitsPerPixel;
    for (int y = 0; y < target.frame.height; ++y)
        for (int x = 0; x < target.frame.width; ++x) {
            const int colour = expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            EXPECT_EQ(target.Raw(x, y), colour < 0 ? UntouchedRaw(bpp) : Expected(colour, bpp))
                << what << " at " << x << "," << y;
        }
}

const Source kSources[] = {Source::Rgb8, Source::Pal8, Source::Bits24, Source::Bits32};
const int kDepths[] = {8, 16, 24, 32};

TEST(SetDIBitsToDevice, EverySourceDepthIntoEveryFramebufferDepth) {
    for (const int depth : kDepths)
        for (const Source kind : kSources)
            for (const bool topDown : {false, true}) {
                const std::string what = Name(kind, topDown, depth);
                FrameDC target(6, 4, depth, kUntouched);
                const Dib dib = SixColours(kind, topDown);
                EXPECT_EQ(SetDIBitsToDevice(target.dc, 2, 1, 3, 2, 0, 0, 0, 2, dib.Bits(),
                                            dib.Info(), UseOf(kind)),
                          2)
                    << what;
                ExpectPixels(target,
                             {{-1, -1, -1, -1, -1, -1},
                              {-1, -1, 0, 1, 2, -1},
                              {-1, -1, 3, 4, 5, -1},
                              {-1, -1, -1, -1, -1, -1}},
                             what);

                // A part of the picture: ySrc counts from the bottom of a
                // bottom-up picture and from the top of a top-down one.
                FrameDC part(3, 1, depth, kUntouched);
                SetDIBitsToDevice(part.dc, 0, 0, 2, 1, 1, 0, 0, 2, dib.Bits(), dib.Info(),
                                  UseOf(kind));
                ExpectPixels(part, {topDown ? std::vector{1, 2, -1} : std::vector{4, 5, -1}},
                             what + ", part");
            }
}

TEST(SetDIBitsToDevice, DrawsOnlyTheScanLinesGiven) {
    for (const bool topDown : {false, true}) {
        // One column of four colours, top to bottom: 0, 1, 2, 3.
        const Dib dib =
            gdi_test::MakeDib(1, 4, 32, topDown, [](int, int y) { return kColours[y]; });
        const int stride = 4;
        // Scan lines 1 and 2 of the picture: counted from the bottom of a
        // bottom-up picture, so there they are its rows 2 and 1 from the top.
        const std::uint8_t* band = dib.bits.data() + 1 * stride;
        FrameDC target(1, 4, 32, kUntouched);
        EXPECT_EQ(
            SetDIBitsToDevice(target.dc, 0, 0, 1, 4, 0, 0, 1, 2, band, dib.Info(), DIB_RGB_COLORS),
            2);
        ExpectPixels(target, {{-1}, {1}, {2}, {-1}}, topDown ? "top-down" : "bottom-up");

        // Lines past the end of the picture are not there to draw.
        FrameDC rest(1, 4, 32, kUntouched);
        EXPECT_EQ(SetDIBitsToDevice(rest.dc, 0, 0, 1, 4, 0, 0, 2, 100, dib.bits.data() + 2 * stride,
                                    dib.Info(), DIB_RGB_COLORS),
                  2);
        ExpectPixels(rest,
                     topDown ? std::vector<std::vector<int>>{{-1}, {-1}, {2}, {3}}
                             : std::vector<std::vector<int>>{{0}, {1}, {-1}, {-1}},
                     topDown ? "top-down rest" : "bottom-up rest");
        EXPECT_EQ(SetDIBitsToDevice(rest.dc, 0, 0, 1, 4, 0, 0, 4, 1, dib.Bits(), dib.Info(),
                                    DIB_RGB_COLORS),
                  0);
    }
}

TEST(StretchDIBits, StretchesShrinksAndMirrors) {
    for (const int depth : kDepths)
        for (const Source kind : kSources) {
            const Dib dib = SixColours(kind, false);
            const std::string what = Name(kind, false, depth);

            FrameDC up(7, 5, depth, kUntouched);
            EXPECT_EQ(StretchDIBits(up.dc, 0, 1, 6, 4, 0, 0, 3, 2, dib.Bits(), dib.Info(),
                                    UseOf(kind), SRCCOPY),
                      2);
            ExpectPixels(up,
                         {{-1, -1, -1, -1, -1, -1, -1},
                          {0, 0, 1, 1, 2, 2, -1},
                          {0, 0, 1, 1, 2, 2, -1},
                          {3, 3, 4, 4, 5, 5, -1},
                          {3, 3, 4, 4, 5, 5, -1}},
                         what + ", doubled");

            // Shrinking drops pixels: column u shows source column u * 3 / 2.
            FrameDC down(2, 1, depth, kUntouched);
            StretchDIBits(down.dc, 0, 0, 2, 1, 0, 0, 3, 2, dib.Bits(), dib.Info(), UseOf(kind),
                          SRCCOPY);
            ExpectPixels(down, {{0, 1}}, what + ", shrunk");

            // Opposite signs of the widths (heights) mirror the picture.
            FrameDC mirrored(3, 2, depth, kUntouched);
            StretchDIBits(mirrored.dc, 3, 0, -3, 2, 0, 0, 3, 2, dib.Bits(), dib.Info(), UseOf(kind),
                          SRCCOPY);
            ExpectPixels(mirrored, {{2, 1, 0}, {5, 4, 3}}, what + ", mirrored");
            FrameDC flipped(3, 2, depth, kUntouched);
            StretchDIBits(flipped.dc, 0, 0, 3, 2, 0, 2, 3, -2, dib.Bits(), dib.Info(), UseOf(kind),
                          SRCCOPY);
            ExpectPixels(flipped, {{3, 4, 5}, {0, 1, 2}}, what + ", flipped");
        }
}

// A 5 x 4 picture of distinct colours stretched to 10 x 8 wherever it lands,
// partly or wholly off the frame, shows exactly the part of an unclipped
// drawing that falls on the frame, and nothing else changes.
TEST(StretchDIBits, ClipsAtEveryEdge) {
    const auto colour = [](int x, int y) { return RGB(x * 40 + 10, y * 50 + 20, 7); };
    const Dib dib = gdi_test::MakeDib(5, 4, 24, false, colour);
    constexpr int kMargin = 20;
    FrameDC reference(8 + 2 * kMargin, 6 + 2 * kMargin, 32, kUntouched);
    const POINT places[] = {{-3, -2}, {4, 3},  {-9, 0}, {0, -7},  {7, 0},
                            {0, 5},   {-4, 2}, {3, -3}, {-10, 0}, {8, 6}};
    for (const POINT at : places) {
        std::fill(reference.frame.pixels.begin(), reference.frame.pixels.end(), kUntouched);
        StretchDIBits(reference.dc, at.x + kMargin, at.y + kMargin, 10, 8, 0, 0, 5, 4, dib.Bits(),
                      dib.Info(), DIB_RGB_COLORS, SRCCOPY);
        FrameDC target(8, 6, 32, kUntouched);
        StretchDIBits(target.dc, at.x, at.y, 10, 8, 0, 0, 5, 4, dib.Bits(), dib.Info(),
                      DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(target.Raw(x, y), reference.Raw(x + kMargin, y + kMargin))
                    << "drawn at " << at.x << "," << at.y << ", pixel " << x << "," << y;
    }
}

// Huge and negative sizes, origins far off the frame and scan ranges beyond
// the picture never write outside the framebuffer (the sanitizer build checks
// every access) and never draw where the source has no pixels.
TEST(DibBlits, HostileArgumentsStayInsideTheFrame) {
    const Dib dib = SixColours(Source::Bits24, false);
    const int extremes[] = {INT_MIN, INT_MIN + 1, -70000, -3,    -1,          0,
                            1,       2,           5,      70000, INT_MAX - 1, INT_MAX};
    for (const int depth : kDepths) {
        FrameDC target(4, 3, depth, kUntouched);
        for (const int a : extremes)
            for (const int b : extremes) {
                SetDIBitsToDevice(target.dc, a, b, 4, 3, 0, 0, 0, 2, dib.Bits(), dib.Info(),
                                  DIB_RGB_COLORS);
                SetDIBitsToDevice(target.dc, 0, 0, static_cast<DWORD>(a), static_cast<DWORD>(b), 0,
                                  0, 0, 2, dib.Bits(), dib.Info(), DIB_RGB_COLORS);
                SetDIBitsToDevice(target.dc, 0, 0, 4, 3, a, b, 0, 2, dib.Bits(), dib.Info(),
                                  DIB_RGB_COLORS);
                SetDIBitsToDevice(target.dc, 0, 0, 4, 3, 0, 0, static_cast<UINT>(a),
                                  static_cast<UINT>(b), dib.Bits(), dib.Info(), DIB_RGB_COLORS);
                StretchDIBits(target.dc, a, b, 4, 3, 0, 0, 3, 2, dib.Bits(), dib.Info(),
                              DIB_RGB_COLORS, SRCCOPY);
                StretchDIBits(target.dc, 0, 0, a, b, 0, 0, 3, 2, dib.Bits(), dib.Info(),
                              DIB_RGB_COLORS, SRCCOPY);
                StretchDIBits(target.dc, 0, 0, 4, 3, a, b, 3, 2, dib.Bits(), dib.Info(),
                              DIB_RGB_COLORS, SRCCOPY);
                StretchDIBits(target.dc, 0, 0, 4, 3, 0, 0, a, b, dib.Bits(), dib.Info(),
                              DIB_RGB_COLORS, SRCCOPY);
                StretchDIBits(target.dc, a, b, a, b, b, a, b, a, dib.Bits(), dib.Info(),
                              DIB_RGB_COLORS, SRCCOPY);
            }
        EXPECT_EQ(target.frame.pixels.size(), static_cast<std::size_t>(target.frame.stride * 3));
    }

    // A source rectangle reaching past the picture draws only what the
    // picture has.
    FrameDC target(4, 3, 32, kUntouched);
    SetDIBitsToDevice(target.dc, 0, 0, 4, 3, 1, -1, 0, 2, dib.Bits(), dib.Info(), DIB_RGB_COLORS);
    ExpectPixels(target, {{1, 2, -1, -1}, {4, 5, -1, -1}, {-1, -1, -1, -1}}, "past the picture");
}

TEST(DibBlits, RefusesWhatItCannotDraw) {
    FrameDC target(4, 3, 32, kUntouched);
    Dib dib = SixColours(Source::Bits24, false);
    // Both calls, or only StretchDIBits for another raster operation.
    const auto blit = [&](HDC dc, const Dib& d, UINT use, DWORD rop) {
        const int stretched =
            StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, d.Bits(), d.Info(), use, rop);
        if (rop != SRCCOPY)
            return stretched;
        return stretched + SetDIBitsToDevice(dc, 0, 0, 3, 2, 0, 0, 0, 2, d.Bits(), d.Info(), use);
    };
    EXPECT_EQ(blit(nullptr, dib, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(blit(reinterpret_cast<HDC>(&dib), dib, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(blit(target.dc, dib, 2, SRCCOPY), 0);
    EXPECT_EQ(blit(target.dc, dib, DIB_RGB_COLORS, 0x00EE0086), 0); // SRCPAINT is not offered
    EXPECT_EQ(
        SetDIBitsToDevice(target.dc, 0, 0, 3, 2, 0, 0, 0, 2, nullptr, dib.Info(), DIB_RGB_COLORS),
        0);
    EXPECT_EQ(
        SetDIBitsToDevice(target.dc, 0, 0, 3, 2, 0, 0, 0, 2, dib.Bits(), nullptr, DIB_RGB_COLORS),
        0);
    const auto refusedWith = [&](auto change) {
        Dib broken = SixColours(Source::Bits24, false);
        change(broken.Header());
        return blit(target.dc, broken, DIB_RGB_COLORS, SRCCOPY);
    };
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biBitCount = 16; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biBitCount = 4; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biCompression = 1; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biWidth = 0; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biWidth = -3; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biHeight = 0; }), 0);
    EXPECT_EQ(refusedWith([](BITMAPINFOHEADER& h) { h.biSize = 12; }), 0);
    ExpectPixels(target, {{-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}}, "refused");

    // Framebuffers whose fields disagree are left alone.
    for (const auto& spoil : std::vector<void (*)(Framebuffer&)>{
             [](Framebuffer& f) { f.bitsPerPixel = 12; }, [](Framebuffer& f) { f.stride = 4; },
             [](Framebuffer& f) { f.pixels.resize(f.pixels.size() - 1); },
             [](Framebuffer& f) { f.height = 1000; }}) {
        FrameDC odd(4, 3, 32, kUntouched);
        spoil(odd.frame);
        const std::vector<std::uint8_t> before = odd.frame.pixels;
        blit(odd.dc, dib, DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(odd.frame.pixels, before);
    }
}

// Unstretched blits copy whole scan lines; a blit mirrored twice (a mirrored
// picture drawn mirrored) goes pixel by pixel. Both show the same bytes for
// every source kind into every depth, with colours that are not static ones,
// 8-bit values past the colour table and past the selected palette, the
// 32-bit pictures' unused byte set, and the drawing clipped at the frame.
TEST(DibBlits, WholeRowsMatchPixelByPixel) {
    constexpr int kWidth = 11, kHeight = 5;
    const auto value = [](int x, int y) {
        const auto v = static_cast<std::uint32_t>((x * 37 + y * 101) * 2654435761u);
        return v >> 8;
    };
    const auto mirrored = [&](int x, int y) { return value(kWidth - 1 - x, y); };
    for (const int depth : kDepths)
        for (const Source kind : kSources)
            for (const bool topDown : {false, true}) {
                const int bits = kind == Source::Bits24 ? 24 : kind == Source::Bits32 ? 32 : 8;
                Dib straight = gdi_test::MakeDib(kWidth, kHeight, bits, topDown, value);
                Dib reversed = gdi_test::MakeDib(kWidth, kHeight, bits, topDown, mirrored);
                for (Dib* dib : {&straight, &reversed}) {
                    if (kind == Source::Rgb8) {
                        std::vector<RGBQUAD> table(200);
                        for (std::size_t i = 0; i < table.size(); ++i)
                            table[i] = {static_cast<BYTE>(i * 7), static_cast<BYTE>(i * 13),
                                        static_cast<BYTE>(i * 29), 0};
                        gdi_test::SetColourTable(*dib, table);
                        dib->Header().biClrUsed = 200;
                    } else if (kind == Source::Pal8) {
                        std::vector<WORD> indices(256);
                        for (std::size_t i = 0; i < indices.size(); ++i)
                            indices[i] = static_cast<WORD>(i % 23); // the default palette has 20
                        gdi_test::SetPaletteIndices(*dib, indices);
                    }
                }
                const std::string what = Name(kind, topDown, depth);
                FrameDC rows(8, 6, depth, kUntouched);
                SetDIBitsToDevice(rows.dc, -2, 3, kWidth, kHeight, 0, 0, 0, kHeight,
                                  straight.Bits(), straight.Info(), UseOf(kind));
                FrameDC pixels(8, 6, depth, kUntouched);
                StretchDIBits(pixels.dc, kWidth - 2, 3, -kWidth, kHeight, 0, 0, kWidth, kHeight,
                              reversed.Bits(), reversed.Info(), UseOf(kind), SRCCOPY);
                EXPECT_EQ(rows.frame.pixels, pixels.frame.pixels) << what;
                EXPECT_NE(rows.Raw(0, 3), UntouchedRaw(depth)) << what;
            }
}

// Indices past the colour table (biClrUsed) are black; a colour table index
// past the selected palette is black too.
TEST(DibBlits, IndicesPastTheTableAreBlack) {
    Dib dib = gdi_test::MakeDib(2, 1, 8, true, [](int x, int) { return x == 0 ? 1u : 2u; });
    gdi_test::SetColourTable(dib, {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}});
    dib.Header().biClrUsed = 2;
    FrameDC target(2, 1, 24, kUntouched);
    SetDIBitsToDevice(target.dc, 0, 0, 2, 1, 0, 0, 0, 1, dib.Bits(), dib.Info(), DIB_RGB_COLORS);
    EXPECT_EQ(target.Raw(0, 0), 0xFF0000u);
    EXPECT_EQ(target.Raw(1, 0), 0u);

    gdi_test::SetPaletteIndices(dib, {0, 13, 400});
    dib.Header().biClrUsed = 0;
    SetDIBitsToDevice(target.dc, 0, 0, 2, 1, 0, 0, 0, 1, dib.Bits(), dib.Info(), DIB_PAL_COLORS);
    EXPECT_EQ(target.Raw(0, 0), 0xFF0000u); // default palette entry 13 is red
    EXPECT_EQ(target.Raw(1, 0), 0u);
}

} // namespace
