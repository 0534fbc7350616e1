#include "bxpage/pluginhost.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <dlfcn.h>

namespace bxpage {
namespace {

PluginHost* current = nullptr;

PluginHost::Services* ServicesFor(NPP instance) {
    return current && current->IsLive(instance) ? &current->TheServices() : nullptr;
}

NPError GetUrl(NPP instance, const char* url, const char* target) {
    PluginHost::Services* services = ServicesFor(instance);
    if (!services)
        return NPERR_INVALID_INSTANCE_ERROR;
    return services->GetUrl(instance, url, target, false, nullptr);
}

NPError GetUrlNotify(NPP instance, const char* url, const char* target, void* notifyData) {
    PluginHost::Services* services = ServicesFor(instance);
    if (!services)
        return NPERR_INVALID_INSTANCE_ERROR;
    return services->GetUrl(instance, url, target, true, notifyData);
}

// Posting and streams from the plug-in to the page are not offered.
NPError PostUrl(NPP, const char*, const char*, uint32_t, const char*, NPBool) {
    return NPERR_GENERIC_ERROR;
}
NPError RequestRead(NPStream*, NPByteRange*) {
    return NPERR_GENERIC_ERROR;
}
NPError NewStream(NPP, NPMIMEType, const char*, NPStream**) {
    return NPERR_GENERIC_ERROR;
}
int32_t Write(NPP, NPStream*, int32_t, void*) {
    return -1;
}
NPError DestroyStream(NPP, NPStream*, NPReason) {
    return NPERR_GENERIC_ERROR;
}

// One line, however the message runs on.
void Status(NPP, const char* message) {
    std::string line = message ? message : "";
    if (line.size() > 1000)
        line.resize(1000);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::fprintf(stderr, "bxpage: status: %s\n", line.c_str());
}

const char* UserAgent(NPP) {
    return "bxpage/1.0";
}

void* MemAlloc(uint32_t size) {
    return size == 0 ? nullptr : std::malloc(size);
}
void MemFree(void* memory) {
    std::free(memory);
}
uint32_t MemFlush(uint32_t) {
    return 0;
}
void ReloadPlugins(NPBool) {}

NPNetscapeFuncs* BrowserFunctions() {
    static NPNetscapeFuncs table = [] {
        NPNetscapeFuncs made;
        made.size = sizeof(NPNetscapeFuncs);
        made.version = static_cast<uint16_t>((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR);
        made.geturl = GetUrl;
        made.posturl = PostUrl;
        made.requestread = RequestRead;
        made.newstream = NewStream;
        made.write = Write;
        made.destroystream = DestroyStream;
        made.status = Status;
        made.uagent = UserAgent;
        made.memalloc = MemAlloc;
        made.memfree = MemFree;
        made.memflush = MemFlush;
        made.reloadplugins = ReloadPlugins;
        made.geturlnotify = GetUrlNotify;
        return made;
    }();
    return &table;
}

// A plug-in built against an older table fills only its first `size` bytes;
// functions past them are taken as missing.
template <typename Function>
void KeepIfFilled(const NPPluginFuncs& funcs, std::size_t offset, Function& function) {
    if (funcs.size < offset + sizeof(Function))
        function = nullptr;
}

void DropUnfilled(NPPluginFuncs& f) {
#define BXPAGE_KEEP(field) KeepIfFilled(f, offsetof(NPPluginFuncs, field), f.field)
    BXPAGE_KEEP(newp);
    BXPAGE_KEEP(destroy);
    BXPAGE_KEEP(setwindow);
    BXPAGE_KEEP(newstream);
    BXPAGE_KEEP(destroystream);
    BXPAGE_KEEP(asfile);
    BXPAGE_KEEP(writeready);
    BXPAGE_KEEP(write);
    BXPAGE_KEEP(print);
    BXPAGE_KEEP(event);
    BXPAGE_KEEP(urlnotify);
#undef BXPAGE_KEEP
}

std::string LoaderError(const char* fallback) {
    const char* message = dlerror();
    return message ? message : fallback;
}

} // namespace

struct PluginHost::Instance {
    NPP_t npp;
    NPWindow window;
    bool destroying = false;
    // What NPP_New was given, kept for the instance's life: a plug-in may
    // hold on to the pointers.
    std::string type;
    std::vector<std::string> names;
    std::vector<std::optional<std::string>> values;
    std::vector<char*> argn;
    std::vector<char*> argv;
};

std::string PluginPath(const std::string& given) {
    if (!given.empty())
        // A bare file name would send the loader to its search path.
        return given.find('/') == std::string::npos ? "./" + given : given;
    const char* directory = std::getenv("BINOXA_PLUGIN_DIR");
    if (directory && *directory)
        return std::string(directory) + "/" + kPluginFileName;
    return BXPAGE_INSTALLED_PLUGIN;
}

std::unique_ptr<PluginHost> PluginHost::Load(const std::string& path, Services& services,
                                             std::string* error) {
    if (current) {
        *error = "a plug-in is loaded already";
        return nullptr;
    }
    dlerror();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        *error = LoaderError("the library cannot be loaded");
        return nullptr;
    }
    const auto symbol = [library](const char* name) {
        dlerror();
        return dlsym(library, name);
    };
    const auto getEntryPoints =
        reinterpret_cast<NP_GetEntryPointsFunc>(symbol("NP_GetEntryPoints"));
    const auto initialize = reinterpret_cast<NP_InitializeFunc>(symbol("NP_Initialize"));
    const auto shutdown = reinterpret_cast<NP_ShutdownFunc>(symbol("NP_Shutdown"));
    if (!getEntryPoints || !initialize || !shutdown) {
        *error = LoaderError("an entry point is missing");
        dlclose(library);
        return nullptr;
    }
    std::unique_ptr<PluginHost> host(new PluginHost(services));
    host->library = library;
    host->functions = NPPluginFuncs{};
    host->functions.size = sizeof(NPPluginFuncs);
    if (const NPError result = getEntryPoints(&host->functions); result != NPERR_NO_ERROR) {
        *error = "NP_GetEntryPoints: result " + std::to_string(result);
        return nullptr;
    }
    DropUnfilled(host->functions);
    if (!host->functions.newp || !host->functions.destroy) {
        *error = "NP_GetEntryPoints gave no NPP_New or NPP_Destroy";
        return nullptr;
    }
    current = host.get();
    if (const NPError result = initialize(BrowserFunctions()); result != NPERR_NO_ERROR) {
        *error = "NP_Initialize: result " + std::to_string(result);
        return nullptr;
    }
    host->shutdown = shutdown;
    return host;
}

PluginHost::PluginHost(Services& services) : services(services) {}

PluginHost::~PluginHost() {
    DestroyAll();
    if (shutdown)
        shutdown();
    if (current == this)
        current = nullptr;
    if (library)
        dlclose(library);
}

NPP PluginHost::NewInstance(const std::string& type, const Embed& embed, NPError* error) {
    auto instance = std::make_unique<Instance>();
    instance->npp.ndata = instance.get();
    instance->type = type;
    for (const Attribute& attribute : embed.attributes) {
        instance->names.push_back(attribute.name);
        instance->values.push_back(attribute.value);
    }
    for (std::size_t i = 0; i < instance->names.size(); ++i) {
        instance->argn.push_back(instance->names[i].data());
        instance->argv.push_back(instance->values[i] ? instance->values[i]->data() : nullptr);
    }
    const auto argc = static_cast<int16_t>(std::min<std::size_t>(instance->argn.size(), INT16_MAX));
    // Ended by null as well, for plug-ins that look for the end.
    instance->argn.push_back(nullptr);
    instance->argv.push_back(nullptr);
    // Live during NPP_New already: the plug-in may call back from it.
    Instance* made = instances.emplace_back(std::move(instance)).get();
    const NPError result = functions.newp(made->type.data(), &made->npp, NP_EMBED, argc,
                                          made->argn.data(), made->argv.data(), nullptr);
    *error = result;
    if (result == NPERR_NO_ERROR)
        return &made->npp;
    services.Gone(&made->npp);
    std::erase_if(instances, [made](const auto& held) { return held.get() == made; });
    return nullptr;
}

void PluginHost::SetWindow(NPP instance, const NPWindow& window) {
    for (const auto& held : instances) {
        if (&held->npp != instance || held->destroying)
            continue;
        held->window = window;
        if (functions.setwindow)
            functions.setwindow(&held->npp, &held->window);
        return;
    }
}

void PluginHost::Destroy(NPP instance) {
    const auto found =
        std::find_if(instances.begin(), instances.end(),
                     [instance](const auto& held) { return &held->npp == instance; });
    if (found == instances.end() || (*found)->destroying)
        return;
    Instance* dying = found->get();
    dying->destroying = true;
    NPSavedData* saved = nullptr;
    functions.destroy(&dying->npp, &saved);
    // Nothing is restored later; the plug-in allocated this with memalloc.
    if (saved) {
        std::free(saved->buf);
        std::free(saved);
    }
    services.Gone(&dying->npp);
    std::erase_if(instances, [dying](const auto& held) { return held.get() == dying; });
}

void PluginHost::DestroyAll() {
    while (!instances.empty()) {
        const auto next = std::find_if(instances.begin(), instances.end(),
                                       [](const auto& held) { return !held->destroying; });
        if (next == instances.end())
            break;
        Destroy(&(*next)->npp);
    }
}

bool PluginHost::IsLive(NPP instance) const {
    return instance && std::any_of(instances.begin(), instances.end(),
                                   [instance](const auto& held) { return &held->npp == instance; });
}

} // namespace bxpage
