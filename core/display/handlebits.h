// Handles and pointers appear in log lines as "%x" of their low 32 bits.
#pragma once

#include <cstdint>

inline unsigned HandleBits(const void* handle) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle));
}
