#include "simulation.h"

#include <cstdio>

namespace drivers {

void CallRecord::Add(const std::string& call) {
    std::lock_guard lock(mutex);
    text += call;
    text += '\n';
}

const char* CallRecord::Text() {
    std::lock_guard lock(mutex);
    snapshot = text;
    return snapshot.c_str();
}

void CallRecord::Clear() {
    std::lock_guard lock(mutex);
    text.clear();
}

void InjectedStatuses::Always(const std::string& function, long status) {
    std::lock_guard lock(mutex);
    always[function] = status;
}

void InjectedStatuses::Once(const std::string& function, long status) {
    std::lock_guard lock(mutex);
    once[function] = status;
}

std::optional<long> InjectedStatuses::Take(const std::string& function) {
    std::lock_guard lock(mutex);
    if (const auto next = once.find(function); next != once.end()) {
        const long status = next->second;
        once.erase(next);
        return status;
    }
    if (const auto every = always.find(function); every != always.end()) {
        return every->second;
    }
    return std::nullopt;
}

void InjectedStatuses::Clear() {
    std::lock_guard lock(mutex);
    always.clear();
    once.clear();
}

std::string PointerText(const void* pointer) {
    if (!pointer) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

std::string StringText(const char* text) {
    return text ? "\"" + std::string(text) + "\"" : "null";
}

} // namespace drivers
