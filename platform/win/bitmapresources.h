// Bitmaps from a module's resources (platform/sys/resources.h), as Win32's
// LoadBitmap gives them: a device-dependent bitmap at the screen's depth.
#pragma once

#include "platform/win/resource.h"
#include "platform/win/wintypes.h"

namespace win {

// The module's bitmap resource (null instance: the program); the name is an
// id made with MAKEINTRESOURCE or a text "#<id>". Null when the module has no
// such bitmap or its data is no 8-, 24- or 32-bit uncompressed bitmap.
// Release it with DeleteObject.
HBITMAP LoadBitmap(HINSTANCE instance, const char* name);

} // namespace win
