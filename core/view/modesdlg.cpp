#include "view/modesdlg.h"

#include "devices/modeavailability.h"
#include "display/availablemodes.h"
#include "display/excludedmodes.h"
#include "imaging/pxerror.h"
#include "platform/dialogs/messagebox.h"
#include "stereo/stereomethods.h"
#include "view/excludemodes.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int kDirectDraw = 3502;
constexpr int kStandardGdi = 3503;
constexpr int kDontCare = 3504;
constexpr int kUseCurrent = 3100;
constexpr int kAlwaysThis = 3101;
constexpr int kClosest = 3102;
constexpr int kGeometric = 3103;
constexpr int kModeList = 3104;
constexpr int kExcludeLowRes = 3501;
constexpr int kExcludedModes = 3200;
constexpr int kMaxAvailable = 64;
constexpr const char* kCaption = "Binoxa Viewer";

struct Choice {
    int control;
    int32_t value;
};
constexpr std::array kDisplayChoices{Choice{kDirectDraw, DisplayDirectDraw},
                                     Choice{kStandardGdi, DisplayGDI},
                                     Choice{kDontCare, DisplayDontCare}};
constexpr std::array kModeChoices{Choice{kUseCurrent, ModeCurrent}, Choice{kAlwaysThis, ModeFixed},
                                  Choice{kClosest, ModeClosest}, Choice{kGeometric, ModeGeometric}};

win::DialogItemTemplate Radio(const char* text, int id, int y, bool firstOfGroup,
                              bool shown = true) {
    win::DWORD style = win::WS_TABSTOP | win::BS_AUTORADIOBUTTON;
    style |= firstOfGroup ? win::WS_GROUP : 0;
    style |= shown ? win::WS_VISIBLE : win::WS_DISABLED;
    return {"BUTTON", text, style, 20, y, 400, 20, id};
}

win::DialogTemplate ModesTemplate() {
    win::DialogTemplate dialog;
    dialog.caption = "Customize Display";
    dialog.x = 40;
    dialog.y = 40;
    dialog.cx = 460;
    dialog.cy = 340;
    dialog.items = {
        {"BUTTON", "Display Method", win::WS_VISIBLE | win::BS_GROUPBOX, 10, 8, 440, 100, -1},
        Radio("Direct Draw", kDirectDraw, 28, true),
        Radio("Standard Windows (GDI)", kStandardGdi, 52, false),
        Radio("Don't Care (Defaults to Direct Draw)", kDontCare, 76, false),
        {"BUTTON", "Display Resolution", win::WS_VISIBLE | win::BS_GROUPBOX, 10, 116, 440, 170, -1},
        Radio("Use current display resolution", kUseCurrent, 136, true),
        Radio("Always use this resolution:", kAlwaysThis, 160, false),
        {"COMBOBOX", "", win::WS_VISIBLE | win::WS_TABSTOP | win::CBS_DROPDOWNLIST, 40, 184, 200,
         24, kModeList},
        Radio("Use display resolution that is closest to image resolution.", kClosest, 212, false),
        Radio("Use display resolution that is geometrically closest to image.", kGeometric, 236,
              false, false),
        {"BUTTON", "Exclude low res (320x480 and lower) modes.",
         win::WS_DISABLED | win::WS_TABSTOP | win::BS_AUTOCHECKBOX, 20, 260, 400, 20,
         kExcludeLowRes},
        {"BUTTON", "Excluded Modes...", win::WS_VISIBLE | win::WS_TABSTOP | win::BS_PUSHBUTTON, 10,
         300, 130, 26, kExcludedModes},
        {"BUTTON", "OK", win::WS_VISIBLE | win::WS_TABSTOP | win::BS_DEFPUSHBUTTON, 270, 300, 85,
         26, win::IDOK},
        {"BUTTON", "Cancel", win::WS_VISIBLE | win::WS_TABSTOP | win::BS_PUSHBUTTON, 365, 300, 85,
         26, win::IDCANCEL},
    };
    return dialog;
}

} // namespace

CModesDlg::CModesDlg(win::HWND parent) : DialogHandler(ModesTemplate(), parent) {}

void CModesDlg::SetExcludedModes(const ModeStruct* modes, int32_t count) {
    excluded.assign(modes, modes + (modes && count > 0 ? count : 0));
}

win::BOOL CModesDlg::OnInitDialog() {
    DialogHandler::OnInitDialog();
    if (!stereoViewMethod) {
        pxLog("CModesDlg::OnInitDialog -- mStereoViewMethod == NULL");
        throw pxError("Invalid Stereo Viewing Method!");
    }
    int displayControl = 0;
    for (const Choice& choice : kDisplayChoices)
        if (choice.value == displayType)
            displayControl = choice.control;
    if (displayControl)
        win::CheckRadioButton(Handle(), kDirectDraw, kDontCare, displayControl);
    else
        pxLog("Invalid Display Method: %d", displayType);
    int modeControl = 0;
    for (const Choice& choice : kModeChoices)
        if (modeType && choice.value == modeType->type)
            modeControl = choice.control;
    if (modeControl)
        win::CheckRadioButton(Handle(), kUseCurrent, kGeometric, modeControl);
    else
        pxLog("Invalid type: %d", modeType ? modeType->type : -1);
    FillModesList();
    OnModeSelect();
    return win::TRUE;
}

int CModesDlg::FillModesList() {
    std::array<ModeStruct, kMaxAvailable> found{};
    int32_t count = kMaxAvailable;
    CalculateAvailableModes(displayType, found.data(), &count, nullptr, 0);
    available.clear();
    for (int32_t i = 0; i < count && i < kMaxAvailable; ++i)
        if (IsStereoModeAvailable(stereoViewMethod, static_cast<int>(found[i].width),
                                  static_cast<int>(found[i].height),
                                  static_cast<int>(found[i].bpp)))
            available.push_back(found[i]);

    char current[64] = "";
    win::GetDlgItemText(Handle(), kModeList, current, sizeof current);
    win::SendDlgItemMessage(Handle(), kModeList, win::CB_RESETCONTENT, 0, 0);
    for (const ModeStruct& mode : available)
        if (!IsModeListed(excluded, mode)) {
            const std::string text = ExcludedModeName(mode);
            win::SendDlgItemMessage(Handle(), kModeList, win::CB_ADDSTRING, 0,
                                    reinterpret_cast<win::LPARAM>(text.c_str()));
        }
    const ModeStruct desktop = CurrentDesktopMode();
    std::vector<std::string> candidates{current, ExcludedModeName(desktop)};
    if (modeType && modeType->type == ModeFixed)
        candidates.push_back(ExcludedModeName({static_cast<uint32_t>(modeType->width),
                                               static_cast<uint32_t>(modeType->height),
                                               static_cast<uint32_t>(modeType->bpp), 0}));
    for (const std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        const win::LRESULT index = win::SendDlgItemMessage(
            Handle(), kModeList, win::CB_FINDSTRINGEXACT, static_cast<win::WPARAM>(-1),
            reinterpret_cast<win::LPARAM>(candidate.c_str()));
        if (index != win::CB_ERR) {
            win::SendDlgItemMessage(Handle(), kModeList, win::CB_SETCURSEL,
                                    static_cast<win::WPARAM>(index), 0);
            break;
        }
    }
    return 1;
}

bool CModesDlg::OnCommand(int id, win::WORD code, win::HWND) {
    if (code != win::BN_CLICKED)
        return false;
    switch (id) {
    case kDirectDraw:
    case kStandardGdi:
    case kDontCare:
        OnDisplaySelect(id);
        return true;
    case kUseCurrent:
    case kAlwaysThis:
    case kClosest:
    case kGeometric:
        OnModeSelect();
        return true;
    case kExcludeLowRes:
        OnExcludeLowres();
        return true;
    case kExcludedModes:
        OnAdvanced();
        return true;
    default:
        return false;
    }
}

void CModesDlg::OnDisplaySelect(int id) {
    if ((stereoViewMethod->displayFlags & DISPLAY_NEEDS_DIRECTDRAW) && id != kDirectDraw) {
        const std::string name = MethodDisplayName(stereoViewMethod, "Unknown");
        const std::string text = "You can't use " + name +
                                 " unless your Display Options are set to Direct Draw.  \n"
                                 "Change your Stereo Viewing Method to something else and then\n"
                                 "you will be able to change your Display.  Consult the Binoxa "
                                 "help if you need assistance.";
        win::MessageBox(Handle(), text.c_str(), kCaption, win::MB_OK);
        win::CheckRadioButton(Handle(), kDirectDraw, kDontCare, kDirectDraw);
        return;
    }
    for (const Choice& choice : kDisplayChoices)
        if (choice.control == id)
            displayType = choice.value;
    FillModesList();
}

void CModesDlg::OnModeSelect() {
    const bool fixed = win::IsDlgButtonChecked(Handle(), kAlwaysThis) == win::BST_CHECKED;
    win::EnableWindow(Item(kModeList), fixed ? win::TRUE : win::FALSE);
}

void CModesDlg::OnExcludeLowres() {
    FillModesList();
}

void CModesDlg::OnAdvanced() {
    ExcludeModes dialog(Handle());
    dialog.SetModes(available, excluded);
    dialog.SetDisplayType(displayType);
    dialog.SetStereoViewMethod(stereoViewMethod);
    if (dialog.DoModal() != win::IDOK)
        return;
    excluded = dialog.ExcludedModes();
    FillModesList();
}

void CModesDlg::OnOK() {
    const win::HWND dialog = Handle();
    int32_t chosenDisplay = -1;
    for (const Choice& choice : kDisplayChoices)
        if (win::IsDlgButtonChecked(dialog, choice.control) == win::BST_CHECKED)
            chosenDisplay = choice.value;
    if (chosenDisplay < 0) {
        win::MessageBox(dialog, "invalid radio button checked?!?", kCaption, win::MB_OK);
        return;
    }
    displayType = chosenDisplay;

    int32_t chosenMode = -1;
    for (const Choice& choice : kModeChoices)
        if (win::IsDlgButtonChecked(dialog, choice.control) == win::BST_CHECKED)
            chosenMode = choice.value;
    ModeType chosen{chosenMode, 0, 0, 0, 0};
    switch (chosenMode) {
    case ModeCurrent: {
        const ModeStruct desktop = CurrentDesktopMode();
        if (IsModeListed(excluded, desktop)) {
            char text[1024];
            std::snprintf(
                text, sizeof text,
                "WARNING: You have selected to use your current display resolution (%ux%ux%u) "
                "for viewing\nimages.  However, you have unselected this resolution in the "
                "Excluded Modes section.\nTo fix this problem, either select an option other "
                "than \"Use Current Resolution\"\nor click the Excluded Modes button and "
                "reselect the correct mode (%ux%ux%u).\n\nIf you continue without correcting "
                "this problem, Binoxa Viewer will use a resolution that\nclosest matches your "
                "current display resolution.\n\nWould you like to correct the problem?",
                desktop.width, desktop.height, desktop.bpp, desktop.width, desktop.height,
                desktop.bpp);
            if (win::MessageBox(dialog, text, "Binoxa Viewer Notification", win::MB_YESNO) ==
                win::IDYES)
                return;
        }
        break;
    }
    case ModeFixed: {
        char text[64] = "";
        win::GetDlgItemText(dialog, kModeList, text, sizeof text);
        int width = 0, height = 0, bpp = 0;
        if (text[0] == '\0' || std::sscanf(text, "%dx%dx%d", &width, &height, &bpp) != 3) {
            win::MessageBox(dialog, "You need to select a resolution from the drop-down list box.",
                            kCaption, win::MB_OK);
            return;
        }
        chosen = {ModeFixed, width, height, bpp, 0};
        break;
    }
    case ModeClosest:
    case ModeGeometric:
        break;
    default:
        win::MessageBox(dialog, "invalid radio button checked?!?", kCaption, win::MB_OK);
        return;
    }
    if (modeType)
        *modeType = chosen;
    EndDialog(win::IDOK);
}
