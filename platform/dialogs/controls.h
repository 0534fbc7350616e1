// Dialog controls: the window classes "BUTTON", "STATIC", "COMBOBOX" and
// "LISTBOX" (push buttons, check boxes, radio buttons, group boxes, static
// texts, drop-down lists and list boxes), their styles, the messages they
// answer and the notifications they send to their parent as WM_COMMAND
// (MAKEWPARAM(control id, code), lParam the control). Each control shows
// the matching Qt widget inside its window. Only what the user does sends a
// notification; setting a state by message does not.
#pragma once

#include "platform/win/window.h"

namespace win {

constexpr DWORD WS_GROUP = 0x00020000; // starts a group of radio buttons
constexpr DWORD WS_TABSTOP = 0x00010000;

// Button styles (the low four bits).
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_RADIOBUTTON = 0x4;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;

constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_RIGHT = 0x2;
// A picture: the static shows a bitmap instead of its text and takes the
// bitmap's size. In a dialog template its text "#<id>" names the bitmap
// resource, loaded from the dialog's instance.
constexpr DWORD SS_BITMAP = 0xE;
constexpr DWORD SS_TYPEMASK = 0x1F;

// A picture's bitmap: STM_SETIMAGE with wParam IMAGE_BITMAP and the bitmap
// in lParam answers the bitmap shown before; STM_GETIMAGE answers the one
// shown. The bitmap stays the caller's (a bitmap named by the template is
// the control's own and goes with it).
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr WPARAM IMAGE_BITMAP = 0;

constexpr DWORD CBS_DROPDOWNLIST = 0x3;
// A list box sends LBN_SELCHANGE and LBN_DBLCLK only with this style.
constexpr DWORD LBS_NOTIFY = 0x1;

// Button messages and states.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5; // as if the user clicked it
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;

// Drop-down list messages; items keep the order they were added in.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_ERR = -1;

// List box messages.
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr LRESULT LB_ERR = -1;

// Notification codes.
constexpr WORD BN_CLICKED = 0;
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;

// Sent to the parent before a static text, check box, radio button or group
// box is drawn: wParam the control's device context, lParam the control. The
// text colour set on the context is the one the control's text shows.
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;

// Any window. Answers nonzero when the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

} // namespace win
