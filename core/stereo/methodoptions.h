// The names by which the command line chooses a viewing method (the
// viewer's -oform option, and bxconvert's methods).
#pragma once

#include <cstdint>
#include <span>

struct MethodOptionName {
    const char* name;
    int32_t methodId;
};

// In the order they are tried.
std::span<const MethodOptionName> MethodOptionNames();

// The method id of a name, compared without regard to case; 0 for none.
int32_t MethodIdFromOptionName(const char* name);
