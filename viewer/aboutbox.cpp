#include "viewer/aboutbox.h"

#include "platform/dialogs/dialog.h"

CAboutDlg::CAboutDlg(win::HWND parent) : DialogHandler(win::DialogTemplate{}, parent) {}
