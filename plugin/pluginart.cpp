// pluginart: draws one bitmap of the plug-in's artwork at build time, with
// the core's built-in 8 x 16 font.
//
//   pluginart ID OUTPUT.bmp
//
// ID 518 is the watermark: an 8-bit picture whose pixel values are
// intensities, mixed into the page's background colour by the plug-in.
// Every other id is a popup menu item showing its text, with room at the
// left for the check mark.
#include "bxconvert/writers.h"

#include "imaging/font.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "plugin/menuitems.h"
#include "stereo/stereomethods.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

// Inline view items, by view type (type 9 has none).
constexpr const char* kInlineViewTexts[] = {
    "As the page says",
    "Right eye",
    "Left eye",
    "Pure red/blue anaglyph",
    "Pure red/green anaglyph",
    "Pure blue/red anaglyph",
    "Pure green/red anaglyph",
    "Cross-eyed pair",
    "Parallel pair",
    nullptr,
    "Grey red/blue anaglyph",
    "Grey red/green anaglyph",
    "Grey blue/red anaglyph",
    "Grey green/red anaglyph",
    "Colour red/cyan anaglyph",
    "Colour cyan/red anaglyph",
    "Dubois red/cyan anaglyph",
    "Dubois green/magenta anaglyph",
    "Dubois amber/blue anaglyph",
};

constexpr std::pair<PluginBitmap, const char*> kItemTexts[] = {
    {kBitmapSaveAs, "Save As..."},
    {kBitmapSettings, "Settings"},
    {kBitmapAbout, "About Binoxa..."},
    {kBitmapStereoViewMenu, "Full-screen method"},
    {kBitmapInlineViewMenu, "Inline view"},
    {kBitmapWarnOnNoDescriptor, "Warn about missing descriptor"},
    {kBitmapAutoView, "Auto view"},
    {kBitmapCustomizeQuickMenu, "Customize right click menu..."},
    {kBitmapProgressiveDisplay, "Progressive display"},
    {kBitmapFullScreen, "Full screen"},
    {kBitmapCustomizeDisplay, "Customize display..."},
    {kBitmapStatusBar, "Status bar"},
    {kBitmapAllowAdjustments, "Allow full-screen adjustments"},
    {kBitmapPacketSize, "Packet size..."},
    {kBitmapAnimationMenu, "Animation"},
    {kBitmapLoopAnimation, "Loop animation"},
};

std::optional<std::string> ItemText(int id) {
    for (const auto& [bitmap, text] : kItemTexts)
        if (bitmap == id)
            return text;
    for (const auto& [method, bitmap] : kMethodBitmaps)
        if (bitmap == id)
            return MethodDisplayName(GetStereoMethodByID(method), "Unnamed");
    const int view = id - kBitmapInlineViews;
    if (view >= 0 && view < static_cast<int>(std::size(kInlineViewTexts)) && kInlineViewTexts[view])
        return kInlineViewTexts[view];
    return std::nullopt;
}

// A menu item: black text on the white of a menu.
pxImage MenuItem(const std::string& text) {
    constexpr int32_t checkMargin = 20;
    constexpr int32_t height = kCharHeight + 4;
    const auto width = static_cast<int32_t>(checkMargin + text.size() * kCharWidth + 12);
    pxImage item({width, height}, 3);
    for (int32_t y = 0; y < height; ++y)
        std::memset(item.Row(y), 0xFF, static_cast<size_t>(width) * 3);
    DrawText(item, {checkMargin, 2}, text.c_str(), 0);
    return item;
}

// The watermark: the name three times the font's size over two lenses,
// in intensities up to 96 so that it stays a watermark on any background.
pxImage Watermark() {
    constexpr const char* name = "Binoxa";
    constexpr int32_t scale = 3;
    const auto textWidth = static_cast<int32_t>(std::strlen(name)) * kCharWidth;
    pxImage small({textWidth, kCharHeight}, 1);
    for (int32_t y = 0; y < kCharHeight; ++y)
        std::memset(small.Row(y), 0, static_cast<size_t>(textWidth));
    DrawText(small, {0, 0}, name, 96);

    constexpr int32_t lensHeight = 28;
    const int32_t width = textWidth * scale + 8;
    const int32_t height = lensHeight + kCharHeight * scale + 4;
    pxImage mark({width, height}, 1);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = mark.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t dy = y - lensHeight / 2;
            const int32_t left = (x - width / 2 + 22) * (x - width / 2 + 22) + dy * dy;
            const int32_t right = (x - width / 2 - 22) * (x - width / 2 - 22) + dy * dy;
            uint8_t value = left < 144 || right < 144 ? 48 : 0;
            const int32_t tx = (x - 4) / scale;
            const int32_t ty = (y - lensHeight) / scale;
            if (x >= 4 && y >= lensHeight && tx < textWidth && ty < kCharHeight &&
                small.Row(ty)[tx])
                value = small.Row(ty)[tx];
            row[x] = value;
        }
    }
    return mark;
}

pxPalette Greys() {
    pxPalette greys;
    for (int i = 0; i < pxPalette::kMaxColours; ++i)
        greys[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    return greys;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: pluginart ID OUTPUT.bmp\n", stderr);
        return 2;
    }
    const int id = std::atoi(argv[1]);
    try {
        if (id == kBitmapWatermark) {
            const pxPalette greys = Greys();
            WritePicture(argv[2], Watermark(), &greys);
            return 0;
        }
        const std::optional<std::string> text = ItemText(id);
        if (!text) {
            std::fprintf(stderr, "pluginart: no artwork has id %s\n", argv[1]);
            return 1;
        }
        WritePicture(argv[2], MenuItem(*text), nullptr);
        return 0;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
