// The abstract display of the imaging core: a frame split into two eye views,
// display operations that refuse until a real display provides them, and a
// message box drawn into the frame itself, for full-screen displays where no
// window can be shown.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstdint>

// Message waits for keyboard messages (key-down up to the last keyboard
// message; one key press usually brings two) through this hook, so that the
// imaging core stays free of the platform. The display layer installs it;
// with none installed Message does not wait. nullptr removes it.
using pxKeyWaitHook = void (*)(int keyboardMessages);
void pxSetKeyWaitHook(pxKeyWaitHook hook);

class pxDisp : public pxStereoImage {
public:
    pxDisp() = default;
    pxDisp(const pxDisp&) = delete;
    pxDisp& operator=(const pxDisp&) = delete;
    ~pxDisp() override = default;

    // Rebuilds the frame (bottom-up when bottomUp is 1) and splits it into eye views.
    virtual void Resize(px2Size size, int32_t pairType, int32_t bytesPerPixel, int32_t rowAlign,
                        int32_t bottomUp);
    virtual void SetPalette(const pxPalette& palette);
    virtual void Refresh();
    virtual void RefreshRect(const px2Rect& rect);
    // Refreshes a rectangle of each eye view: one rectangle of the frame
    // covering both when they overlap there, else each on its own.
    virtual void RefreshPair(px2Pnt leftPoint, px2Size leftSize, px2Pnt rightPoint,
                             px2Size rightSize);
    // Message with a formatted text, cut to 255 characters.
    virtual void Printf(const char* format, ...) PX_PRINTF(2, 3);
    virtual void SetBufferOffset(px2Pnt offset);
    // Shows text in a box across the top of the frame with the prompt "Press
    // Enter to continue", waits for two keyboard messages and puts back what
    // the box covered. Text colour codes work as in DrawText.
    virtual void Message(const char* text);
};
