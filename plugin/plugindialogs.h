// The plug-in's questions before a full-screen view: a picture without a
// stereo descriptor, and a presentation that needs the shutter glasses.
#pragma once

#include "platform/dialogs/dialoghandler.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

// "Stereoscopic Descriptor not found!": Yes (6) or No (7); either keeps the
// box's choice in "WarnOnNoDescriptor".
class CDescriptorWarningDlg : public win::DialogHandler {
public:
    enum Control { kWarnAgain = 1013 };
    explicit CDescriptorWarningDlg(win::HWND parent);

protected:
    win::BOOL OnInitDialog() override;
    bool OnCommand(int id, win::WORD code, win::HWND control) override;
};

// "Binoxa PXR File Notification": the chosen method and the ones the file
// allows; Close (2), "Tessel Homepage" (1217) or "Binoxa Homepage" (1218).
class CPxrNotificationDlg : public win::DialogHandler {
public:
    enum Control { kAllowed = 1216, kTessel = 1217, kBinoxa = 1218, kChosen = 1219 };
    // allowed ends with -1.
    CPxrNotificationDlg(win::HWND parent, const int32_t* allowed, const StereoViewMethod* chosen);

protected:
    win::BOOL OnInitDialog() override;
    bool OnCommand(int id, win::WORD code, win::HWND control) override;

private:
    std::vector<int32_t> allowed;
    const StereoViewMethod* chosen;
};
