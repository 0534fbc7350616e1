// "Customize Display": the display kind (GDI, DirectDraw or either) and how
// the view chooses its resolution, with the list of excluded modes.
#pragma once

#include "display/modes.h"
#include "platform/dialogs/dialoghandler.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

class CModesDlg : public win::DialogHandler {
public:
    explicit CModesDlg(win::HWND parent);

    // Set before DoModal; the method is required.
    void SetExcludedModes(const ModeStruct* modes, int32_t count);
    void SetDisplayType(int32_t type) { displayType = type; }
    void SetStereoViewMethod(const StereoViewMethod* method) { stereoViewMethod = method; }
    // Edited in place when the dialog ends with OK.
    void SetModeType(ModeType* mode) { modeType = mode; }

    // What the dialog ended with.
    const std::vector<ModeStruct>& ExcludedModes() const { return excluded; }
    int32_t DisplayType() const { return displayType; }

    int FillModesList();

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, win::WORD code, win::HWND control) override;

private:
    void OnAdvanced();
    void OnModeSelect();
    void OnDisplaySelect(int id);
    void OnExcludeLowres();

    int32_t displayType = DisplayGDI;
    const StereoViewMethod* stereoViewMethod = nullptr;
    ModeType* modeType = nullptr;
    std::vector<ModeStruct> excluded;
    std::vector<ModeStruct> available; // at most 64
};
