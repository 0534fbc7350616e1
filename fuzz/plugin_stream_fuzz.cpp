// What a hostile page can hand the plug-in: an EMBED's attributes and the
// bytes of the file it names, streamed in the packet sizes the plug-in asks
// for. The input is attribute lines ("NAME=VALUE", a line without "=" is a
// bare attribute), a zero byte, then the file; its first line names the
// stream's type (jps, pns or pxr). Every prompt is answered at once.
#include "imaging/pxerror.h"
#include "platform/npapi/npapi.h"
#include "platform/win/promptresponder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions);
NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser);

namespace {

NPPluginFuncs& Started() {
    static NPPluginFuncs functions;
    static NPNetscapeFuncs browser;
    static win::PromptResponder answerAll;
    static const bool started = [] {
        pxSetLogName("/dev/null");
        // A registry and temporary files of the run's own, in memory.
        static const std::string registry =
            "/dev/shm/binoxa-fuzz-" + std::to_string(getpid()) + ".reg";
        setenv("BINOXA_REGISTRY", registry.c_str(), 1);
        std::atexit([] {
            std::remove(registry.c_str());
            std::remove((registry + ".lock").c_str());
        });
        setenv("TMPDIR", "/dev/shm", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        win::SetPromptResponder(&answerAll);
        browser.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        browser.memalloc = [](uint32_t size) { return std::malloc(size); };
        browser.memfree = [](void* memory) { std::free(memory); };
        NP_GetEntryPoints(&functions);
        return NP_Initialize(&browser) == NPERR_NO_ERROR;
    }();
    if (!started)
        std::abort();
    return functions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NPPluginFuncs& plugin = Started();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string head = input.substr(0, split);
    const std::string file = split == std::string::npos ? "" : input.substr(split + 1);

    std::vector<std::string> lines;
    for (size_t start = 0; start <= head.size();) {
        const size_t end = std::min(head.find('\n', start), head.size());
        lines.push_back(head.substr(start, end - start));
        start = end + 1;
    }
    const std::string type = "image/x-" + lines.front();
    std::vector<std::string> names, values;
    std::vector<char*> argn, argv;
    for (size_t i = 1; i < lines.size() && i < 64; ++i) {
        const size_t equals = lines[i].find('=');
        names.push_back(lines[i].substr(0, equals));
        values.push_back(equals == std::string::npos ? "" : lines[i].substr(equals + 1));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        argn.push_back(names[i].data());
        const bool bare = lines[i + 1].find('=') == std::string::npos;
        argv.push_back(bare ? nullptr : values[i].data());
    }

    NPP_t instance;
    if (plugin.newp(const_cast<char*>(type.c_str()), &instance, NP_EMBED,
                    static_cast<int16_t>(argn.size()), argn.data(), argv.data(),
                    nullptr) != NPERR_NO_ERROR)
        return 0;
    NPStream stream;
    stream.url = "http://fuzz.example/file";
    stream.end = static_cast<uint32_t>(file.size());
    uint16_t streamType = NP_NORMAL;
    if (plugin.newstream(&instance, const_cast<char*>(type.c_str()), &stream, 0, &streamType) ==
        NPERR_NO_ERROR) {
        size_t offset = 0;
        while (offset < file.size()) {
            const int32_t ready = plugin.writeready(&instance, &stream);
            if (ready <= 0)
                break;
            const size_t packet =
                std::min<size_t>(static_cast<size_t>(ready), file.size() - offset);
            const int32_t taken =
                plugin.write(&instance, &stream, static_cast<int32_t>(offset),
                             static_cast<int32_t>(packet), const_cast<char*>(file.data() + offset));
            if (taken <= 0)
                break;
            offset += static_cast<size_t>(taken);
        }
        plugin.destroystream(&instance, &stream, NPRES_DONE);
    }
    plugin.destroy(&instance, nullptr);
    return 0;
}
