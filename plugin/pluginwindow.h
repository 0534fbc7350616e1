// The plug-in's procedure for the window the browser gives an instance: it
// paints the instance's inline view and passes everything else on to the
// window's own procedure.
#pragma once

#include "plugin/plugin.h"

win::LRESULT PluginWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam);
