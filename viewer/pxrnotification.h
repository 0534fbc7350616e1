// Tells the user that a presentation's animation needs shutter glasses: the
// current viewing method, the methods that can show it, and where to get a
// pair of glasses.
#pragma once

#include "platform/dialogs/dialoghandler.h"

#include <cstdint>
#include <vector>

struct StereoViewMethod;

class PxrNotificationDialog : public win::DialogHandler {
public:
    enum Control { kCurrentMethod = 1001, kAllowedMethods = 1002, kClosingText = 1003 };

    // allowed ends with -1; current may be null.
    PxrNotificationDialog(const int32_t* allowed, const StereoViewMethod* current,
                          win::HWND parent = nullptr);

protected:
    win::BOOL OnInitDialog() override;

private:
    std::vector<int32_t> allowed;
    const StereoViewMethod* current;
};
