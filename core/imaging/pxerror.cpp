#include "imaging/pxerror.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kDefaultLogName = "TAMBER.LOG";
constexpr size_t kMessageBuffer = pxError::kMaxMessage + 1;
// The line buffer grows by doubling until it is larger than this; a longer
// line is written cut to the buffer.
constexpr size_t kLogGrowthLimit = 10000;

std::mutex logNameMutex;
std::string replacementLogName;
std::atomic<bool> exceptionLogging{false};

std::shared_ptr<char[]> NewMessage() {
    return std::shared_ptr<char[]>(new (std::nothrow) char[kMessageBuffer]);
}

} // namespace

pxError::pxError() : message(NewMessage()) {
    if (message)
        std::snprintf(message.get(), kMessageBuffer, "%s", "<UNDEFINED EXCEPTION>");
}

pxError::pxError(const char* format, ...) : message(NewMessage()) {
    va_list args;
    va_start(args, format);
    if (message)
        std::vsnprintf(message.get(), kMessageBuffer, format, args);
    va_end(args);
    if (message && exceptionLogging.load())
        pxLog("Exception: %s\n", message.get());
}

pxError::pxError(Formatted, const char* format, va_list args) : message(NewMessage()) {
    if (message)
        std::vsnprintf(message.get(), kMessageBuffer, format, args);
    if (message && exceptionLogging.load())
        pxLog("Exception: %s\n", message.get());
}

const char* pxError::GetMessage() const {
    return message ? message.get() : "";
}

void pxLog(const char* format, ...) {
    try {
        std::vector<char> text(std::strlen(format) + 100);
        for (;;) {
            va_list args;
            va_start(args, format);
            const int needed = std::vsnprintf(text.data(), text.size(), format, args);
            va_end(args);
            if (needed < 0)
                return;
            if (static_cast<size_t>(needed) < text.size() || text.size() > kLogGrowthLimit)
                break;
            text.resize(text.size() * 2);
        }
        const std::string name = pxGetLogName();
        if (FILE* file = std::fopen(name.c_str(), "a+")) {
            std::fprintf(file, "%s\n", text.data());
            std::fclose(file);
        }
    } catch (...) {
        // The log must never take the caller down.
    }
}

void pxSetLogName(const char* name) {
    std::lock_guard lock(logNameMutex);
    replacementLogName = name ? name : "";
}

std::string pxGetLogName() {
    std::lock_guard lock(logNameMutex);
    return replacementLogName.empty() ? kDefaultLogName : replacementLogName;
}

void pxSetExceptionLogging(bool on) {
    exceptionLogging.store(on);
}
