// Reaching DirectDraw, which is loaded by name when a display wants it, and
// naming its results in the log.
#pragma once

#include "platform/ddraw/ddraw.h"

// A DirectDraw object of the default driver, or null (logged) when the
// library or its entry is missing or the driver refuses. library receives
// the reference on the loaded library that the object needs.
win::IDirectDraw* CreateDirectDraw(win::HMODULE* library);
// Releases the object, then the library it came from (either may be null).
void ReleaseDirectDraw(win::IDirectDraw* directDraw, win::HMODULE library);

// The short name of a DirectDraw result; "other DD err" for one not known.
const char* DDErrorName(win::HRESULT result);
// Writes that name as a line of the log.
void LogDDError(win::HRESULT result);
