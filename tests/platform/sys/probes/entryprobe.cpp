// A library with an entry point. Each call appends "attach <instance>" or
// "detach <instance>" to the variable BXENTRYPROBE_CALLS (the environment
// outlives the library), and the answer is FALSE when BXENTRYPROBE_ANSWER is
// "0", so the tests see every call the loader makes and can refuse the load.
#include "platform/sys/libraries.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" win::BOOL DllMain(win::HINSTANCE instance, win::DWORD reason, void* /*reserved*/) {
    const char* earlier = std::getenv("BXENTRYPROBE_CALLS");
    std::string calls = earlier ? earlier : "";
    char call[64];
    std::snprintf(call, sizeof call, "%s%s %p", calls.empty() ? "" : ", ",
                  reason == win::DLL_PROCESS_ATTACH   ? "attach"
                  : reason == win::DLL_PROCESS_DETACH ? "detach"
                                                      : "other",
                  static_cast<void*>(instance));
    calls += call;
    setenv("BXENTRYPROBE_CALLS", calls.c_str(), 1);
    const char* answer = std::getenv("BXENTRYPROBE_ANSWER");
    return answer && std::strcmp(answer, "0") == 0 ? win::FALSE : win::TRUE;
}

extern "C" int EntryProbeValue() {
    return 7;
}
