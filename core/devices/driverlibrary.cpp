#include "devices/driverlibrary.h"

#include <algorithm>

DriverLibrary::DriverLibrary(std::span<const char* const> names)
    : names(names), slots(names.size(), nullptr) {}

DriverLibrary::~DriverLibrary() {
    Unload();
}

bool DriverLibrary::Load(const char* fileName) {
    if (module) {
        return true;
    }
    module = win::LoadLibrary(fileName);
    if (!module) {
        return false;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        slots[i] = win::GetProcAddress(module, names[i]);
    }
    return true;
}

void DriverLibrary::Unload() {
    if (module) {
        win::FreeLibrary(module);
        module = nullptr;
    }
    std::fill(slots.begin(), slots.end(), nullptr);
}
