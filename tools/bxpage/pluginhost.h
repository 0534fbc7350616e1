// The browser side of the plug-in API: loading the plug-in library through
// its three entry points, the table of browser functions it calls back, and
// its instances, one for each embedded file.
#pragma once

#include "bxpage/page.h"
#include "platform/npapi/npapi.h"

#include <memory>
#include <string>
#include <vector>

namespace bxpage {

constexpr const char* kPluginFileName = "libnpbx32.so";

// Where the plug-in is looked for: the file given, else the one in the
// directory BINOXA_PLUGIN_DIR names, else the one installed with bxpage.
std::string PluginPath(const std::string& given);

class PluginHost {
public:
    // What the plug-in asks of the page it is on.
    class Services {
    public:
        virtual ~Services() = default;
        // NPN_GetURL and NPN_GetURLNotify; the instance is a live one.
        virtual NPError GetUrl(NPP instance, const char* url, const char* target, bool notify,
                               void* notifyData) = 0;
        // The instance is no more (destroyed, or refused by NPP_New, from
        // which it may have asked for something already).
        virtual void Gone(NPP instance) = 0;
    };

    // Loads the library, gets its entry points and initializes it; null with
    // the reason (the loader's message or the entry point's result) when
    // that fails. There is one host at a time.
    static std::unique_ptr<PluginHost> Load(const std::string& path, Services& services,
                                            std::string* error);
    // Destroys the instances left, shuts the plug-in down and unloads it.
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    const NPPluginFuncs& Functions() const { return functions; }

    // NPP_New in embedded mode with every attribute of the EMBED; null with
    // the plug-in's error when it refuses.
    NPP NewInstance(const std::string& type, const Embed& embed, NPError* error);
    // NPP_SetWindow with the instance's own window record, which lives as
    // long as the instance.
    void SetWindow(NPP instance, const NPWindow& window);
    void Destroy(NPP instance);
    void DestroyAll();
    bool IsLive(NPP instance) const;

    // For the browser functions the plug-in calls.
    Services& TheServices() { return services; }

private:
    struct Instance;

    explicit PluginHost(Services& services);

    Services& services;
    void* library = nullptr;
    NP_ShutdownFunc shutdown = nullptr;
    NPPluginFuncs functions;
    std::vector<std::unique_ptr<Instance>> instances;
};

} // namespace bxpage
