// What the dialog code knows of the controls: their kinds and states, and
// the user's actions on them (which the Qt widgets and the scripted
// responder both perform).
#pragma once

#include "platform/dialogs/controls.h"

#include <string>
#include <vector>

namespace win::internal {

enum class ControlKind { PushButton, CheckBox, RadioButton, GroupBox, Static, ComboBox, ListBox };

struct ControlState {
    ControlKind kind = ControlKind::Static;
    bool automatic = false; // an auto check box or auto radio button
    bool checked = false;
    std::vector<std::string> items;
    int selection = -1;
    COLORREF textColour = 0;
    // A picture (SS_BITMAP static): the bitmap it shows, and whether it
    // loaded that bitmap itself.
    bool picture = false;
    HBITMAP image = nullptr;
    bool ownsImage = false;
};

// Registers the control classes on first use.
void EnsureControlClasses();
// Null when the window is not one of the controls.
const ControlState* LookUpControl(HWND control);
const char* ClassNameOf(ControlKind kind);
bool IsDefaultButton(HWND control);

// How a notification reaches the parent: sent at once (scripted actions) or
// posted (actions inside a Qt event handler).
enum class Delivery { Send, Post };

// The user's actions: the control's own change, then the notification.
// Answer false for a control that cannot take the action.
bool ClickControl(HWND control, Delivery delivery);
bool ChooseControlItem(HWND control, int index, bool doubleClick, Delivery delivery);

// Asks the parent for the text colour of every static text, check box,
// radio button and group box of the dialog and shows it.
void RefreshTextColours(HWND dialog);

} // namespace win::internal
