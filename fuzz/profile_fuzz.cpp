// Parses arbitrary bytes as a private profile file and looks values up the
// way GetPrivateProfileString does.
#include "platform/sys/profileparser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const win::internal::Profile profile = win::internal::ParseProfile(text);
    for (std::string_view section : {"INSTALL", "install", ""}) {
        if (const win::internal::ProfileSection* found =
                win::internal::FindSection(profile, section)) {
            win::internal::FindEntry(*found, "Finished_Install");
            win::internal::FindEntry(*found, "");
        }
    }
    return 0;
}
