// Value names of the excluded-modes key, as any program could have written them.
#include "display/excludedmodes.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    ModeFromExcludedName(name.c_str());
    return 0;
}
