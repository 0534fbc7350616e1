#include "viewer/pxrnotification.h"

#include "platform/dialogs/controls.h"
#include "platform/dialogs/messagebox.h"
#include "stereo/stereomethods.h"
#include "viewer/webaddresses.h"

#include <string>

using namespace win;

namespace {

win::DialogTemplate NotificationTemplate() {
    const std::string closing = std::string("Please change your viewing method to one of the above "
                                            "methods.  To get a pair of Tessel glasses, visit ") +
                                GlassesWebAddress();
    DialogTemplate dialog;
    dialog.caption = "Binoxa PXR File Notification";
    dialog.x = 40;
    dialog.y = 40;
    dialog.cx = 420;
    dialog.cy = 270;
    dialog.items = {
        {"STATIC", "Your current viewing method is:", WS_VISIBLE | SS_LEFT, 12, 12, 190, 18, -1},
        {"STATIC", "", WS_VISIBLE | SS_LEFT, 206, 12, 200, 18,
         PxrNotificationDialog::kCurrentMethod},
        {"STATIC", "This PXR file can only be viewed with one of the following viewing methods:",
         WS_VISIBLE | SS_LEFT, 12, 40, 396, 36, -1},
        {"LISTBOX", "", WS_VISIBLE | WS_TABSTOP, 12, 80, 396, 80,
         PxrNotificationDialog::kAllowedMethods},
        {"STATIC", closing, WS_VISIBLE | SS_LEFT, 12, 168, 396, 54,
         PxrNotificationDialog::kClosingText},
        {"BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 336, 232, 72, 24, IDOK},
    };
    return dialog;
}

} // namespace

PxrNotificationDialog::PxrNotificationDialog(const int32_t* allowedMethods,
                                             const StereoViewMethod* current, HWND parent)
    : DialogHandler(NotificationTemplate(), parent), current(current) {
    for (const int32_t* id = allowedMethods; id && *id != -1; ++id)
        allowed.push_back(*id);
}

BOOL PxrNotificationDialog::OnInitDialog() {
    SetWindowText(Item(kCurrentMethod), MethodDisplayName(current, ""));
    for (const int32_t id : allowed) {
        const StereoViewMethod* method = GetStereoMethodByID(id);
        const char* name = MethodDisplayName(method, "");
        if (*name)
            SendDlgItemMessage(Handle(), kAllowedMethods, LB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(name));
    }
    return TRUE;
}
