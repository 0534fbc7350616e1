// All of the GDI stand-in, for code that draws.
#pragma once

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/devicecaps.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/palette.h"
#include "platform/gdi/systempalette.h"
#include "platform/gdi/text.h"
