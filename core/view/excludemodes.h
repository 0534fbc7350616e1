// "Advanced Setup-- Custom Mode Selection": one check box per available mode;
// the unticked ones are the excluded modes, stored in the registry on OK.
#pragma once

#include "display/modes.h"
#include "platform/dialogs/dialoghandler.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

// Where the excluded modes are stored, one value per mode.
inline constexpr const char* kExcludedModesKey =
    "Software\\Norvane\\BinoxaViewer\\Preferences\\ExModes";

class ExcludeModes : public win::DialogHandler {
public:
    explicit ExcludeModes(win::HWND parent);

    // Set before DoModal; the display type and the method name the caption
    // and grey the modes the method cannot use.
    void SetModes(std::vector<ModeStruct> available, std::vector<ModeStruct> excluded);
    void SetDisplayType(int32_t type) { displayType = type; }
    void SetStereoViewMethod(const StereoViewMethod* method) { stereoViewMethod = method; }

    // After OK: the unticked modes.
    const std::vector<ModeStruct>& ExcludedModes() const { return excluded; }

    // Check box ids, from the first available mode on.
    static constexpr int kFirstModeBox = 10000;

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override;
    win::HBRUSH OnCtlColor(win::HDC dc, win::HWND control) override;

private:
    std::vector<ModeStruct> available;
    std::vector<ModeStruct> excluded;
    int32_t displayType = DisplayGDI;
    const StereoViewMethod* stereoViewMethod = nullptr;
};

// Whether the list holds a mode of the same width, height and depth.
bool IsModeListed(const std::vector<ModeStruct>& modes, const ModeStruct& mode);

// Replaces the stored excluded modes by these.
void StoreExcludedModes(const std::vector<ModeStruct>& modes);
