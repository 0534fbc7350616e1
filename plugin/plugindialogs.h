// The plug-in's dialogs: its questions before a full-screen view (a picture
// without a stereo descriptor, a presentation that needs the shutter
// glasses), the settings the popup menu edits, the about box and Save As.
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

// "Binoxa Packet Size": the size the plug-in asks the browser for, from
// 1024 to 65536 bytes or 7 for adaptive. Ends with the value chosen (OK) or
// IDCANCEL, and changes the value only on OK.
class CPacketSizeDlg : public win::DialogHandler {
public:
    enum Control {
        k1024 = 1220,
        k2048 = 1221,
        k4096 = 1222,
        k8192 = 1223,
        k16384 = 1224,
        kAdaptive = 1225,
        k32768 = 1226,
        k65536 = 1227,
    };
    CPacketSizeDlg(win::HWND parent, int32_t* packetSize);

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int32_t* packetSize;
};

// "Customize Right Click Menu": one box per method the quick menu can offer;
// OK stores the checked ones as "QuickMenu" and rebuilds the popup.
class CQuickMenuDlg : public win::DialogHandler {
public:
    static constexpr int kFirstMethodBox = 1100; // + method id
    explicit CQuickMenuDlg(win::HWND parent);

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override;
};

// The about box, dialog 107 "About Binoxa"; answers kAboutWebButton when the
// user asked for the maker's page.
constexpr int kAboutWebButton = 1010;
win::INT_PTR ShowPluginAbout(win::HWND parent);

// Asks where to save a copy of the source file, starting with the default
// name, and copies it there. Answers 1.
int SaveAs(const char* sourceFile, win::HWND owner, const char* defaultName);
