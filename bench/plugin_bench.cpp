// The plug-in taking the 4000 x 1500 pair from the page in 64 KB packets as
// fast as they come, each packet appended to its file and read on, against
// ReadImage on the whole file at once; and how far the plug-in's peak memory
// rises above the picture's own.
#include "benchsupport.h"
#include "imagefile/readimage.h"
#include "platform/npapi/npapi.h"
#include "platform/win/promptresponder.h"
#include "plugin/plugin.h"

#include <benchmark/benchmark.h>

// Last: libjpeg's header defines TRUE and FALSE, which the platform's names
// must not meet.
#include "benchpair.h"

#include <fstream>
#include <iterator>

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions);
NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser);

namespace {

constexpr int32_t kPacket = 65536;

// Peak resident memory of the process so far, in kilobytes.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

NPPluginFuncs& Plugin() {
    static NPPluginFuncs functions;
    static NPNetscapeFuncs browser;
    // The first start's message about the method is answered at once.
    static win::PromptResponder answerAll;
    static const bool started = [] {
        HeadlessAdapter();
        win::SetPromptResponder(&answerAll);
        static const std::string registry = ScratchFile("registry.reg");
        ::setenv("BINOXA_REGISTRY", registry.c_str(), 1);
        std::atexit([] { std::remove(registry.c_str()); });
        browser.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        browser.memalloc = [](uint32_t size) { return std::malloc(size); };
        browser.memfree = [](void* memory) { std::free(memory); };
        NP_GetEntryPoints(&functions);
        const bool ok = NP_Initialize(&browser) == NPERR_NO_ERROR;
        ThePlugin().preferences.dontShowQuickHelp = 1;
        return ok;
    }();
    if (!started)
        std::abort();
    return functions;
}

// Streams the file into a new instance as a page would; whether it completed.
bool StreamThrough(NPPluginFuncs& plugin, const std::string& file) {
    char type[] = "image/x-jps";
    char psizeName[] = "PSIZE", psizeValue[] = "65536";
    char* names[] = {psizeName};
    char* values[] = {psizeValue};
    NPP_t instance;
    plugin.newp(type, &instance, NP_EMBED, 1, names, values, nullptr);
    NPStream stream;
    stream.url = "http://bench.example/pair.jps";
    stream.end = static_cast<uint32_t>(file.size());
    uint16_t streamType = NP_NORMAL;
    plugin.newstream(&instance, type, &stream, 0, &streamType);
    for (size_t offset = 0; offset < file.size();) {
        const int32_t ready = std::min(plugin.writeready(&instance, &stream), kPacket);
        const auto packet = static_cast<int32_t>(
            std::min<size_t>(static_cast<size_t>(ready), file.size() - offset));
        offset +=
            static_cast<size_t>(plugin.write(&instance, &stream, static_cast<int32_t>(offset),
                                             packet, const_cast<char*>(file.data() + offset)));
    }
    const bool complete = static_cast<PluginInstance*>(instance.pdata)->complete != 0;
    plugin.destroystream(&instance, &stream, NPRES_DONE);
    plugin.destroy(&instance, nullptr);
    return complete;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void BM_Plugin_StreamedIn64KPackets(benchmark::State& state) {
    // The page's side holds the file (read once, before the peak is taken).
    static const std::string file = Contents(benchpair::JpegFile());
    NPPluginFuncs& plugin = Plugin();
    // The peak is taken over a warmed-up process (the libraries' code paged
    // in by a small picture first), at the first run only: later repetitions
    // start from its peak.
    static const long before = [&] {
        const std::string small = ScratchFile("small.jps");
        std::system(("convert -size 64x32 gradient:red-blue jpeg:" + small).c_str());
        StreamThrough(plugin, Contents(small));
        std::remove(small.c_str());
        return PeakKilobytes();
    }();
    for (auto _ : state)
        if (!StreamThrough(plugin, file))
            state.SkipWithError("the picture did not complete");
    const long pictureKilobytes = long{benchpair::kWidth} * benchpair::kHeight * 3 / 1024;
    state.counters["peak_over_picture_KB"] =
        static_cast<double>(PeakKilobytes() - before - pictureKilobytes);
}

void BM_Plugin_ReadImageWhole(benchmark::State& state) {
    for (auto _ : state) {
        pxImage image;
        pxPalette palette;
        _ImageInfo info;
        if (ReadImage(benchpair::JpegFile().c_str(), &image, &palette, &info, nullptr) != 1)
            state.SkipWithError("the picture did not complete");
    }
}

} // namespace

// The streamed case first, so that its peak is measured in a fresh process.
BENCHMARK(BM_Plugin_StreamedIn64KPackets)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Plugin_ReadImageWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
