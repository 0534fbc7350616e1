// The adapter's video memory, shared by every DirectDraw object of the
// process: surfaces asked for in video memory take their bytes from it.
#pragma once

#include <cstddef>

namespace win::ddraw {

// False, taking nothing, when fewer bytes are free.
bool ReserveVideoMemory(std::size_t bytes);
void FreeVideoMemory(std::size_t bytes);
std::size_t VideoMemoryInUse();
std::size_t VideoMemoryFree();

} // namespace win::ddraw
