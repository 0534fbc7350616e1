// The preferences the popup menu flips: their items, in the menu's order
// (the last one sits in the Animation sub-menu), and where each is stored.
#pragma once

#include "plugin/menuitems.h"
#include "plugin/plugin.h"

struct PluginToggle {
    int command;
    int bitmap;
    const char* name;
    int32_t PluginPreferences::*preference;
    bool common; // the common location, else the user's
};

inline constexpr PluginToggle kPluginToggles[] = {
    {kCommandWarnOnNoDescriptor, kBitmapWarnOnNoDescriptor, "WarnOnNoDescriptor",
     &PluginPreferences::warnOnNoDescriptor, false},
    {kCommandProgressiveDisplay, kBitmapProgressiveDisplay, "ProgressiveDisplay",
     &PluginPreferences::progressiveDisplay, false},
    {kCommandStatusBar, kBitmapStatusBar, "StatusBar", &PluginPreferences::statusBar, true},
    {kCommandFullScreen, kBitmapFullScreen, "FullScreen", &PluginPreferences::fullScreen, true},
    {kCommandAutoView, kBitmapAutoView, "AutoView", &PluginPreferences::autoView, false},
    {kCommandAllowAdjustments, kBitmapAllowAdjustments, "AllowFullScreenAdjustments",
     &PluginPreferences::allowFullScreenAdjustments, true},
    {kCommandLoopAnimation, kBitmapLoopAnimation, "LoopAnimation",
     &PluginPreferences::loopAnimation, true},
};
