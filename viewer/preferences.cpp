#include "viewer/preferences.h"

#include "display/excludedmodes.h"
#include "imaging/pxerror.h"
#include "stereo/methodoptions.h"
#include "stereo/stereomethods.h"
#include "view/excludemodes.h"

#include <cstring>
#include <memory>
#include <strings.h>

namespace {

bool HasPrefix(const char* argument, const char* prefix) {
    return strncasecmp(argument, prefix, std::strlen(prefix)) == 0;
}

// The value after the option's name and one separator character; empty when
// the argument stops before it.
const char* ValueAt(const char* argument, std::size_t start) {
    return std::strlen(argument) >= start ? argument + start : "";
}

// An unknown name changes nothing.
void ApplyMethodName(const char* value, ViewerSettings& settings) {
    if (const int32_t id = MethodIdFromOptionName(value))
        settings.stereoView = GetStereoMethodByID(id);
}

void ApplyDisplay(const char* argument, const char* value, ViewerSettings& settings) {
    if (strcasecmp(value, "dd") == 0) {
        settings.displayMethod = DisplayDirectDraw;
    } else if (strcasecmp(value, "gdi") == 0) {
        settings.displayMethod = DisplayGDI;
    } else {
        pxLog("WARNING: invalid option: %s", argument);
        pxLog("Supported displays are: GDI or DD");
        settings.displayMethod = DisplayDontCare;
    }
}

} // namespace

ViewerSettings& TheViewerSettings() {
    static ViewerSettings settings;
    return settings;
}

WinRegistry& TheViewerRegistry() {
    static WinRegistry registry;
    return registry;
}

void LoadPreferences(WinRegistry& registry, ViewerSettings& settings) {
    registry.SetUserLocation("Norvane", "BinoxaViewer", "Preferences");
    registry.SetCommonLocation("Norvane", "Common", "Preferences");
    int32_t methodId = 0;
    registry.GetValue("StereoView", &methodId, sizeof methodId);
    settings.stereoView = GetStereoMethodByID(methodId);
    const std::pair<const char*, int32_t*> words[] = {
        {"DisplayMethod", &settings.displayMethod},
        {"FullScreen", &settings.fullScreen},
        {"StatusBar", &settings.statusBar},
        {"LoopAnimation", &settings.loopAnimation},
        {"AllowFullScreenAdjustments", &settings.allowFullScreenAdjustments},
        {"DDModeType", &settings.modeType.type},
        {"DDModeWidth", &settings.modeType.width},
        {"DDModeHeight", &settings.modeType.height},
        {"DDModeBpp", &settings.modeType.bpp},
    };
    for (const auto& [name, value] : words)
        registry.GetValue(name, value, sizeof *value);
    ModeStruct* modes = nullptr;
    int32_t count = 0;
    LoadExcludedModes(kExcludedModesKey, &modes, &count);
    const std::unique_ptr<ModeStruct[]> owned(modes);
    settings.excludedModes.assign(modes, modes + (modes ? count : 0));
}

void ParseCommandLine(int argc, const char* const* argv, ViewerSettings& settings) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (HasPrefix(argument, "-oform"))
            ApplyMethodName(ValueAt(argument, 7), settings);
        else if (HasPrefix(argument, "-disp"))
            ApplyDisplay(argument, ValueAt(argument, 6), settings);
        else if (HasPrefix(argument, "-fulls"))
            settings.fullScreen = 1;
    }
}

const char* FileArgument(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-')
            return argv[i];
    return nullptr;
}
