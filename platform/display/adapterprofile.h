// Reading an adapter profile: the text file, named by BINOXA_ADAPTER, that
// describes the virtual display adapter (format in adapterprofile.cpp).
#pragma once

#include "platform/display/adapter.h"

#include <string>
#include <string_view>

namespace win::internal {

struct ProfileResult {
    AdapterProfile profile;
    std::string error; // empty when the profile was read whole
};

// Stops at the first broken line; the error names its line number.
ProfileResult ParseAdapterProfile(std::string_view text);
ProfileResult ReadAdapterProfile(const char* path);

} // namespace win::internal
