// Presentation scripts as a hostile container could carry them: any text is
// parsed, dumped and freed, and a syntax error is the only way to fail.
#include "imaging/pxerror.h"
#include "viewer/bxscript.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (pxSetLogName("/dev/null"), true);
    (void)quiet;
    const std::string text(reinterpret_cast<const char*>(data), size);
    BxScript script;
    try {
        script.Build(text.c_str());
    } catch (const pxError&) {
    }
    script.DumpObjects();
    script.DumpStatements();
    return 0;
}
