// The modes the graphics adapter offers, through the display settings (GDI)
// or through DirectDraw, minus the excluded ones, sorted.
#pragma once

#include "display/modes.h"
#include "platform/ddraw/ddraw.h"

#include <cstdint>

// What the DirectDraw mode callback fills.
struct DDEnumModeStruct {
    int32_t capacity;
    int32_t count;
    ModeStruct* modes;
    int32_t excludedCount;
    const ModeStruct* excluded;
};

// count holds the capacity of modes on the way in and the number found on
// the way out; the result is that number too. Any display type but
// DisplayGDI asks DirectDraw first; DisplayDontCare falls back to GDI.
int32_t CalculateAvailableModes(int32_t dispType, ModeStruct* modes, int32_t* count,
                                const ModeStruct* excluded, int32_t excludedCount);
int32_t CalculateAvailableModesDD(win::IDirectDraw* directDraw, ModeStruct* modes, int32_t* count,
                                  const ModeStruct* excluded, int32_t excludedCount);
int32_t CalculateAvailableModesGDI(ModeStruct* modes, int32_t* count, const ModeStruct* excluded,
                                   int32_t excludedCount);

// The desktop's mode now: the screen's size and bits per pixel (refresh 0).
ModeStruct CurrentDesktopMode();

// context is a DDEnumModeStruct.
win::HRESULT EnumModesCallback(win::DDSURFACEDESC* mode, void* context);
