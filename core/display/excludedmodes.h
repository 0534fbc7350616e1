// The user's excluded display modes: one registry value per mode under a key
// of HKEY_CURRENT_USER, named "WIDTHxHEIGHTxBPP" (the data is not read).
#pragma once

#include "display/modes.h"

#include <cstdint>
#include <string>

// On success *modes is a new array of *count entries (refresh 0) that the
// caller frees with delete[]; on failure both are left as they were.
void LoadExcludedModes(const char* keyPath, ModeStruct** modes, int32_t* count);
// Deletes every value of the key.
void ClearExcludedModes(const char* keyPath);

// The mode a value name stands for: three decimal numbers split at 'x' (a
// missing one reads 0, one out of range is held to the 32-bit signed range),
// refresh 0.
ModeStruct ModeFromExcludedName(const char* name);
// The name a mode is stored and listed under: "WIDTHxHEIGHTxBPP".
std::string ExcludedModeName(const ModeStruct& mode);
