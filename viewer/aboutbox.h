// The about box: the program's name, version and copyright from its own
// version information, when it was built, the core library's version, and a
// credits roll through the picture.
#pragma once

#include "platform/dialogs/dialoghandler.h"

class CAboutDlg : public win::DialogHandler {
public:
    explicit CAboutDlg(win::HWND parent);
};
