// The embedded file full screen in stereo, at a click on the inline picture
// (or a quick-menu entry, or by itself with "AutoView"): one session per
// process, a modal loop on the page's thread that keeps the downloads going
// and refreshes the view as rows arrive.
#pragma once

#include "plugin/plugin.h"

class BxView;

// The checks, then the session; 1 when a session ran or nothing needed
// doing, 0 when refused (the user is told why). method null: the plug-in's
// current one.
int StartFullScreen(PluginInstance& This, const StereoViewMethod* method);

// The running session's view, or null.
BxView* FullScreenView();
// The view is on screen and may be refreshed from the page's side.
bool FullScreenWaiting();
// The instance is going while its session runs: the session ends and frees
// it. Answers whether the session took it over.
bool HandOverToSession(PluginInstance& This);
