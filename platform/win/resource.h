// Resource names: a text, or a small integer id passed where a text is
// expected, as Win32's MAKEINTRESOURCE packs it.
#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>

namespace win {

inline const char* MAKEINTRESOURCE(WORD id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}

inline bool IS_INTRESOURCE(const char* name) {
    return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}

} // namespace win
