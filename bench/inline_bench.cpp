// The plug-in's inline repaint of the 4000 x 1500 pair in a 640 x 240 window,
// for each inline view type: the picture converted again for the type (as
// after a change of view) and drawn fitted into the window.
#include "benchsupport.h"
#include "platform/npapi/npapi.h"
#include "platform/win/paint.h"
#include "platform/win/promptresponder.h"
#include "platform/win/window.h"
#include "plugin/plugin.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

// Last: libjpeg's header defines TRUE and FALSE, which the platform's names
// must not meet.
#include "benchpair.h"

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions);
NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser);

namespace {

struct InlineFixture {
    NPPluginFuncs functions;
    NPNetscapeFuncs browser;
    win::PromptResponder answerAll;
    NPP_t instance;
    NPWindow window;

    InlineFixture() {
        HeadlessAdapter();
        static const std::string registry = ScratchFile("inline-registry.reg");
        ::setenv("BINOXA_REGISTRY", registry.c_str(), 1);
        std::atexit([] { std::remove(registry.c_str()); });
        win::SetPromptResponder(&answerAll);
        browser.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        browser.memalloc = [](uint32_t size) { return std::malloc(size); };
        browser.memfree = [](void* memory) { std::free(memory); };
        NP_GetEntryPoints(&functions);
        NP_Initialize(&browser);
        ThePlugin().preferences.dontShowQuickHelp = 1;

        win::WNDCLASS windowClass;
        windowClass.lpfnWndProc = win::DefWindowProc;
        windowClass.lpszClassName = "InlineBench";
        win::RegisterClass(&windowClass);
        window.window =
            win::CreateWindowEx(0, "InlineBench", "page", win::WS_POPUP | win::WS_VISIBLE, 0, 0,
                                640, 240, nullptr, nullptr, nullptr, nullptr);
        window.width = 640;
        window.height = 240;
        char type[] = "image/x-jps";
        functions.newp(type, &instance, NP_EMBED, 0, nullptr, nullptr, nullptr);
        functions.setwindow(&instance, &window);
        std::ifstream in(benchpair::JpegFile(), std::ios::binary);
        const std::string file{std::istreambuf_iterator<char>(in), {}};
        NPStream stream;
        stream.url = "http://bench.example/pair.jps";
        stream.end = static_cast<uint32_t>(file.size());
        uint16_t streamType = NP_NORMAL;
        functions.newstream(&instance, type, &stream, 0, &streamType);
        functions.write(&instance, &stream, 0, static_cast<int32_t>(file.size()),
                        const_cast<char*>(file.data()));
        functions.destroystream(&instance, &stream, NPRES_DONE);
    }
    PluginInstance& This() { return *static_cast<PluginInstance*>(instance.pdata); }
};

InlineFixture& Fixture() {
    static InlineFixture fixture;
    return fixture;
}

void BM_InlineRepaint(benchmark::State& state) {
    InlineFixture& fixture = Fixture();
    PluginInstance& This = fixture.This();
    if (!This.complete) {
        state.SkipWithError("the picture did not complete");
        return;
    }
    This.inlineView = static_cast<int32_t>(state.range(0));
    const auto window = static_cast<win::HWND>(fixture.window.window);
    for (auto _ : state) {
        This.rebuildConverted = 1;
        win::InvalidateRect(window, nullptr, 0);
        win::UpdateWindow(window);
    }
}

} // namespace

BENCHMARK(BM_InlineRepaint)->DenseRange(1, 15)->Unit(benchmark::kMillisecond)->UseRealTime();
