// The picture the plug-in draws inside the page, read back from the window:
// each inline view type against what bxconvert writes for the same method,
// a page laid out for a pair showing one eye, and the download bar.
#include "pluginhost.h"

#include "platform/gdi/framebuffer.h"
#include "platform/gdi/palette.h"
#include "platform/gdi/systempalette.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/windowframebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// scene.jps holds two 800 x 600 views side by side.
constexpr int kEyeWidth = 800;
constexpr int kEyeHeight = 600;

// A picture as red, green and blue bytes, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::string rgb;

    win::COLORREF At(int x, int y) const {
        const auto* pixel = reinterpret_cast<const uint8_t*>(rgb.data()) +
                            (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3;
        return win::RGB(pixel[0], pixel[1], pixel[2]);
    }
};

// Empty when the window's columns from left on show the picture's columns
// 0, 1, 2, ... over its whole height; else how many pixels differ, and the
// first.
std::string Mismatch(const win::Framebuffer& frame, const Picture& picture, int left = 0) {
    if (left + picture.width > frame.width || picture.height > frame.height)
        return "the window is smaller than the picture";
    int count = 0;
    char first[96] = {};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const win::COLORREF shown = PixelAt(frame, left + x, y);
            const win::COLORREF wanted = picture.At(x, y);
            if (shown != wanted && count++ == 0)
                std::snprintf(first, sizeof first, " first at (%d, %d): 0x%06X, not 0x%06X",
                              left + x, y, shown, wanted);
        }
    return count ? std::to_string(count) + " pixels differ," + first : "";
}

class PluginInline : public Plugin {
protected:
    // What bxconvert writes for the input (the sample) with this method.
    Picture Converted(const std::string& method, const std::string& input = kScene) {
        const std::string output = scratch.File(method + ".ppm");
        const std::string command = std::string(BXCONVERT_PROGRAM) + " -oform=" + method + " '" +
                                    input + "' '" + output + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::istringstream in(Slurp(output));
        std::string magic;
        int maximum = 0;
        Picture picture;
        in >> magic >> picture.width >> picture.height >> maximum;
        in.get();
        picture.rgb.assign(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(magic + " " + std::to_string(maximum), "P6 255");
        EXPECT_EQ(picture.rgb.size(), static_cast<size_t>(picture.width) * picture.height * 3);
        return picture;
    }

    // The window painted again over a colour nothing here draws, so that
    // whatever the paint leaves out shows.
    static const win::Framebuffer& Repainted(win::HWND window) {
        win::Framebuffer& frame = *win::internal::WindowFramebuffer(window);
        std::fill(frame.pixels.begin(), frame.pixels.end(), uint8_t{0x5A});
        win::InvalidateRect(window, nullptr, win::FALSE);
        win::UpdateWindow(window);
        return frame;
    }
};

TEST_F(PluginInline, EveryViewTypeShowsWhatTheConverterWritesForItsMethod) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    const std::string scene = Slurp(kScene);
    // By type: the page's VIEW for it (none past RAW: only the preference
    // reaches those) and bxconvert's method that writes the same picture.
    const std::pair<const char*, const char*> types[] = {
        {"RIGHT", "right"},
        {"LEFT", "left"},
        {"ANAGLYPHRB", "anaglyphrb"},
        {"ANAGLYPHRG", "anaglyphrg"},
        {"ANAGLYPHBR", "anaglyphbr"},
        {"ANAGLYPHGR", "anaglyphgr"},
        {"CROSSEYE", "crosseye"},
        {"PARALLEL", "parallel"},
        {"RAW", "copy"},
        {nullptr, "anaglyph_g_rb"},
        {nullptr, "anaglyph_g_rg"},
        {nullptr, "anaglyph_g_br"},
        {nullptr, "anaglyph_g_gr"},
        {nullptr, "anaglyph_c_rb"},
        {nullptr, "anaglyph_c_br"},
        {nullptr, "dubois_rc"},
        {nullptr, "dubois_gm"},
        {nullptr, "dubois_ab"},
    };
    for (int type = 1; type <= 18; ++type) {
        const auto [view, method] = types[type - 1];
        SCOPED_TRACE("view type " + std::to_string(type) + ", bxconvert -oform=" + method);
        // The page's VIEW alone or the preference alone, never both at odds:
        // nothing is squeezed. Either way of showing a download must end
        // with the whole picture.
        StoreWord(kCommonKey, "InlineView", view ? 0 : static_cast<uint32_t>(type));
        StoreWord(kCommonKey, "ProgressiveDisplay", type % 2);
        ASSERT_EQ(Start(), NPERR_NO_ERROR);
        const Picture expected = Converted(method);
        const bool pair = type >= 7 && type <= 9; // both views, side by side
        ASSERT_EQ(expected.width, pair ? 2 * kEyeWidth : kEyeWidth);
        ASSERT_EQ(expected.height, kEyeHeight);

        std::vector<std::pair<const char*, const char*>> attributes{{"TYPE", "image/x-jps"}};
        if (view)
            attributes.emplace_back("VIEW", view);
        NPP instance = New(attributes);
        const win::HWND window = Window(instance, expected.width, expected.height);
        Stream(instance, "image/x-jps", "scene.jps", scene);
        ASSERT_EQ(Of(instance).complete, 1);
        EXPECT_EQ(Mismatch(*win::internal::WindowFramebuffer(window), expected), "")
            << "as the download left the window";
        EXPECT_EQ(Mismatch(Repainted(window), expected), "") << "painted again";
        functions.destroy(instance, nullptr);
        NP_Shutdown();
    }

    // A page laid out for the crosseye pair, under a preference for the
    // right eye: the eye in the middle half of the page, background bands
    // left and right.
    StoreWord(kCommonKey, "InlineView", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const Picture eye = Converted("right");
    NPP squeezed = New({{"TYPE", "image/x-jps"},
                        {"VIEW", "CROSSEYE"},
                        {"BGCOLOR", "#FF00FF"},
                        {"WIDTH", "1600"},
                        {"HEIGHT", "600"}});
    const win::HWND page = Window(squeezed, 2 * kEyeWidth, kEyeHeight);
    Stream(squeezed, "image/x-jps", "scene.jps", scene);
    EXPECT_EQ(Of(squeezed).squish, 1);
    const win::Framebuffer& frame = Repainted(page);
    EXPECT_EQ(Mismatch(frame, eye, kEyeWidth / 2), "");
    int notBackground = 0;
    for (int y = 0; y < kEyeHeight; ++y)
        for (int x = 0; x < 2 * kEyeWidth; ++x)
            if ((x < kEyeWidth / 2 || x >= 3 * kEyeWidth / 2) &&
                PixelAt(frame, x, y) != win::RGB(255, 0, 255))
                ++notBackground;
    EXPECT_EQ(notBackground, 0);
}

TEST_F(PluginInline, ACameraMpoShowsAsItsPairInTheLeastSquaresAnaglyph) {
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    StoreWord(kCommonKey, "InlineView", 16);
    const std::string mpo = scratch.File("camera.mpo");
    const std::string command =
        std::string(BXCONVERT_PROGRAM) + " -oform=parallel '" + kScene + "' '" + mpo + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const Picture expected = Converted("dubois_rc", mpo);
    ASSERT_EQ(expected.width, kEyeWidth);
    NPP instance = New({{"TYPE", "image/x-mpo"}});
    const win::HWND window = Window(instance, expected.width, expected.height);
    Stream(instance, "image/x-mpo", "camera.mpo", Slurp(mpo));
    ASSERT_EQ(Of(instance).complete, 1);
    EXPECT_EQ(Mismatch(Repainted(window), expected), "");
    functions.destroy(instance, nullptr);
    NP_Shutdown();
}

TEST_F(PluginInline, TheDownloadBarCoversWhatHasArrivedInTheBackgroundsInverse) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kCommonKey, "ProgressiveDisplay", 0);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const std::string scene = Slurp(kScene);
    constexpr int kWidth = 400, kHeight = 160;
    NPP instance = New({{"TYPE", "image/x-jps"}, {"BGCOLOR", "#FFFF00"}});
    const win::HWND window = Window(instance, kWidth, kHeight);
    // Half the file, and the download still running.
    Stream(instance, "image/x-jps", "scene.jps", scene, true, scene.size() / 2, false);
    const PluginInstance& This = Of(instance);
    ASSERT_EQ(This.bytesReceived * 2, scene.size());
    EXPECT_GT(This.imageInfo->rowsDone, 0);
    EXPECT_LT(This.imageInfo->rowsDone, kEyeHeight);

    const win::Framebuffer& frame = Repainted(window);
    const win::COLORREF blue = win::RGB(0, 0, 255), yellow = win::RGB(255, 255, 0);
    int barWidth = 0, barHeight = 0;
    for (int x = 0; x < kWidth; ++x)
        if (PixelAt(frame, x, 0) == blue)
            barWidth = x + 1;
    while (barHeight < kHeight && PixelAt(frame, kWidth / 4, barHeight) == blue)
        ++barHeight;
    EXPECT_NEAR(barWidth, kWidth / 2, 1);
    EXPECT_EQ(barHeight, 16) << "a line of the 16-pixel font";

    // Blue over what has arrived, with "50%" in yellow at its left (three
    // 8-pixel cells); yellow everywhere else. The middle of the window is
    // left out: it is the picture's place, not the bar's.
    int wrong = 0, text = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (std::abs(2 * x - kWidth) < kWidth / 2 && std::abs(2 * y - kHeight) < kHeight / 2)
                continue;
            const win::COLORREF shown = PixelAt(frame, x, y);
            const bool inBar = y < barHeight && x < barWidth;
            if (inBar && x < 3 * 8 && shown == yellow)
                ++text;
            else if (shown != (inBar ? blue : yellow))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(text, 20) << "the percentage over the bar";
}

TEST_F(PluginInline, APictureFitsItsWindowByTheTighterSideWithBackgroundAllAround) {
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    // The 1600 x 600 pair in a window 800 x 100: a sixth of its size, so
    // 266 x 100 in the middle, and the download bar drawn before is gone.
    NPP instance = New({{"TYPE", "image/x-jps"}, {"VIEW", "PARALLEL"}, {"BGCOLOR", "#00FF00"}});
    const win::HWND window = Window(instance, 800, 100);
    Stream(instance, "image/x-jps", "scene.jps", Slurp(kScene));
    ASSERT_EQ(Of(instance).complete, 1);
    const win::Framebuffer& frame = Repainted(window);
    constexpr int kLeft = (800 - 266) / 2;
    int outsideWrong = 0, insideBackground = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 800; ++x) {
            const bool background = PixelAt(frame, x, y) == win::RGB(0, 255, 0);
            if (x < kLeft || x >= kLeft + 266)
                outsideWrong += !background;
            else
                insideBackground += background;
        }
    EXPECT_EQ(outsideWrong, 0);
    EXPECT_EQ(insideBackground, 0);
}

TEST_F(PluginInline, OnAnEightBitScreenThePicturesShareAPaletteFromTheSystemPalette) {
    UseProfile("mode 1024x768x8\ndesktop 1024x768x8\n");
    StoreWord(kCommonKey, "StereoView", 4);
    StoreWord(kUserKey, "DontShowQuickHelp", 1);
    ASSERT_EQ(Start(), NPERR_NO_ERROR);
    const win::HWND page =
        win::CreateWindowEx(0, "TestPage", "page", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 500, 300,
                            nullptr, nullptr, nullptr, nullptr);
    windows.push_back(page);
    NPP instance = New({{"TYPE", "image/x-jps"}, {"VIEW", "ANAGLYPHRB"}});
    const win::HWND window = Window(instance, 400, 150, page);
    Stream(instance, "image/x-jps", "scene.jps", Slurp(kScene));
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes[0].text;

    // Built once from the system palette, its colours copied for the
    // converter; asking for the palette realises it.
    PluginState& plugin = ThePlugin();
    ASSERT_NE(plugin.palette, nullptr);
    win::PALETTEENTRY system[256];
    const win::HDC screen = win::GetDC(nullptr);
    win::GetSystemPaletteEntries(screen, 0, 256, system);
    win::ReleaseDC(nullptr, screen);
    ASSERT_EQ(plugin.sharedPalette.GetCount(), 256);
    for (int i = 0; i < 256; ++i) {
        const pxColor colour = plugin.sharedPalette[i];
        EXPECT_EQ(win::RGB(colour.red, colour.green, colour.blue),
                  win::RGB(system[i].peRed, system[i].peGreen, system[i].peBlue))
            << "entry " << i;
    }
    const win::HPALETTE built = plugin.palette;
    EXPECT_EQ(win::SendMessage(window, win::WM_QUERYNEWPALETTE, 0, 0), win::TRUE);
    EXPECT_EQ(plugin.palette, built);

    // The picture is drawn in the screen's colours: not one flat colour.
    const win::Framebuffer& frame = Repainted(window);
    ASSERT_EQ(frame.bitsPerPixel, 8);
    std::vector<win::COLORREF> seen;
    for (int y = 0; y < frame.height; y += 5)
        for (int x = 0; x < frame.width; x += 5)
            if (std::find(seen.begin(), seen.end(), PixelAt(frame, x, y)) == seen.end())
                seen.push_back(PixelAt(frame, x, y));
    EXPECT_GE(seen.size(), 3u);
}

} // namespace
