// The popup menu's command ids and the bitmap resources its items are drawn
// from (the artwork is made at build time by pluginart).
#pragma once

#include <cstdint>

enum PluginCommand : int {
    kCommandQuickMenu = 7000, // + method id: full screen with that method now
    kCommandSaveAs = 7060,
    kCommandWarnOnNoDescriptor = 7071,
    kCommandAutoView = 7072,
    kCommandProgressiveDisplay = 7074,
    kCommandFullScreen = 7075,
    kCommandCustomizeQuickMenu = 7076,
    kCommandCustomizeDisplay = 7077,
    kCommandStatusBar = 7078,
    kCommandAllowAdjustments = 7079,
    kCommandPacketSize = 7080,
    kCommandLoopAnimation = 7081,
    kCommandAbout = 7200,
    kCommandStereoView = 7200, // + method id: the default full-screen method
    kCommandInlineView = 7400, // + inline view type
};

// Inline view types run from 1 to this (0: as the page says).
constexpr int kInlineViewCount = 18;

enum PluginBitmap : int {
    kBitmapSaveAs = 127,
    kBitmapSettings = 128,
    kBitmapAbout = 129,
    kBitmapStereoViewMenu = 132,
    kBitmapInlineViewMenu = 134,
    kBitmapWarnOnNoDescriptor = 161,
    kBitmapAutoView = 162,
    kBitmapCustomizeQuickMenu = 175,
    kBitmapProgressiveDisplay = 506,
    kBitmapFullScreen = 507,
    kBitmapCustomizeDisplay = 510,
    kBitmapStatusBar = 513,
    kBitmapWatermark = 518,
    kBitmapAllowAdjustments = 522,
    kBitmapPacketSize = 527,
    kBitmapAnimationMenu = 530,
    kBitmapLoopAnimation = 531,
    kBitmapInlineViews = 600, // + inline view type
};

struct MethodBitmap {
    int32_t method;
    int bitmap;
};

// The methods a menu can offer, with their items' bitmaps.
constexpr MethodBitmap kMethodBitmaps[] = {
    {1, 401},  {2, 504},  {3, 505},  {4, 404},  {5, 405},  {6, 406},  {7, 407},
    {8, 408},  {9, 409},  {10, 410}, {11, 411}, {12, 412}, {13, 413}, {14, 414},
    {15, 415}, {16, 416}, {19, 521}, {20, 532}, {21, 508}, {22, 523},
};

// The bitmap of the method's item; 0 when a menu cannot offer the method.
constexpr int BitmapOfMethod(int32_t method) {
    for (const MethodBitmap& entry : kMethodBitmaps)
        if (entry.method == method)
            return entry.bitmap;
    return 0;
}
