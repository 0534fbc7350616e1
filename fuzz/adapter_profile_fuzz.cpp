// Reads arbitrary bytes as an adapter profile. A profile read whole must
// hold only modes the adapter can offer.
#include "platform/display/adapterprofile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto result = win::internal::ParseAdapterProfile(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (!result.error.empty())
        return 0;
    for (const win::DisplayMode& mode : result.profile.modes)
        if (mode.width < 1 || mode.width > 8192 || mode.height < 1 || mode.height > 8192 ||
            mode.bitsPerPixel % 8 != 0 || mode.bitsPerPixel < 8 || mode.bitsPerPixel > 32 ||
            mode.refresh < 1 || mode.refresh > 1000)
            std::abort();
    if (result.profile.modes.empty() && result.profile.desktop.width == 0)
        std::abort();
    return 0;
}
