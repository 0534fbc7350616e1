// The viewer's process-wide settings: read from the registry once at
// start-up, changed by the command line (not written back) and by the main
// window's menus and dialogs (written at once).
#pragma once

#include "display/modes.h"
#include "viewer/winregistry.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

struct ViewerSettings {
    const StereoViewMethod* stereoView = nullptr; // the current method, or none
    int32_t displayMethod = DisplayGDI;
    int32_t fullScreen = 0;
    int32_t statusBar = 1;
    int32_t loopAnimation = 0;
    int32_t allowFullScreenAdjustments = 0;
    // type, width, height, bpp as stored; the fifth word is always 0.
    ModeType modeType{ModeCurrent, 0, 0, 0, 0};
    std::vector<ModeStruct> excludedModes;
    // The open dialog's filter, from 1 (0: the first).
    uint32_t openFilterIndex = 0;
};

// The one settings record and the registry locations of this process.
ViewerSettings& TheViewerSettings();
WinRegistry& TheViewerRegistry();

// Sets both registry locations and reads every setting, then the excluded
// modes; a value that cannot be read keeps its default.
void LoadPreferences(WinRegistry& registry, ViewerSettings& settings);

// Applies the options among the arguments (argv[0] is the program).
void ParseCommandLine(int argc, const char* const* argv, ViewerSettings& settings);

// The first argument after the program that does not begin with '-', or null.
const char* FileArgument(int argc, const char* const* argv);
