// The test browser of the plug-in tests: it starts the plug-in with the
// preferences stored, makes instances for EMBED attributes, gives them
// windows and streams files to them in the packets the plug-in asks for.
#pragma once

#include "../display/displayfixture.h"
#include "../platform/dialogs/scriptedprompts.h"
#include "../support/registrywords.h"
#include "../support/slurp.h"

#include "platform/npapi/npapi.h"
#include "platform/win/window.h"
#include "plugin/plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* functions);
NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browser);
NP_EXPORT NPError NP_Shutdown();

inline constexpr const char* kCommonKey = "Software\\Norvane\\Common\\Preferences";
inline constexpr const char* kUserKey = "Software\\Norvane\\Binoxa\\Preferences";
inline const std::string kScene = std::string(BINOXA_SAMPLES_DIR) + "/scene.jps";

inline std::vector<std::string> opened; // what the plug-in asked the browser to open

inline NPError GetUrl(NPP, const char* url, const char* target) {
    opened.push_back(std::string(url) + " " + target);
    return NPERR_NO_ERROR;
}

class Plugin : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseProfile("mode 1024x768x32\ndesktop 1024x768x32\n");
        ThePlugin() = PluginState{};
        opened.clear();
        browser.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        browser.memalloc = [](uint32_t size) { return std::malloc(size); };
        browser.memfree = [](void* memory) { std::free(memory); };
        browser.geturl = GetUrl;
        win::WNDCLASS windowClass;
        windowClass.lpfnWndProc = win::DefWindowProc;
        windowClass.lpszClassName = "TestPage";
        win::RegisterClass(&windowClass);
    }
    void TearDown() override {
        for (NPP_t& instance : instances)
            if (instance.pdata)
                functions.destroy(&instance, nullptr);
        NP_Shutdown();
        for (const win::HWND window : windows)
            win::DestroyWindow(window);
        DisplayTest::TearDown();
    }

    // Loads the plug-in as a browser does; its answer to NP_Initialize.
    NPError Start() {
        EXPECT_EQ(NP_GetEntryPoints(&functions), NPERR_NO_ERROR);
        return NP_Initialize(&browser);
    }

    // An instance for an EMBED with these attributes, in their order.
    NPP New(std::vector<std::pair<const char*, const char*>> attributes, uint16_t mode = NP_EMBED) {
        std::vector<char*> names, values;
        for (auto& [name, value] : attributes) {
            names.push_back(const_cast<char*>(name));
            values.push_back(const_cast<char*>(value));
        }
        NPP instance = &instances.emplace_back();
        EXPECT_EQ(functions.newp(nullptr, instance, mode, static_cast<int16_t>(names.size()),
                                 names.data(), values.data(), nullptr),
                  NPERR_NO_ERROR);
        return instance;
    }

    static PluginInstance& Of(NPP instance) {
        return *static_cast<PluginInstance*>(instance->pdata);
    }

    // The instance's window: a top-level one, or a child of the page's.
    win::HWND Window(NPP instance, int width, int height, win::HWND page = nullptr) {
        const win::DWORD style = (page ? win::WS_CHILD : win::WS_POPUP) | win::WS_VISIBLE;
        const win::HWND window = win::CreateWindowEx(0, "TestPage", "page", style, 0, 0, width,
                                                     height, page, nullptr, nullptr, nullptr);
        windows.push_back(window);
        NPWindow& record = records.emplace_back();
        record.window = window;
        record.width = static_cast<uint32_t>(width);
        record.height = static_cast<uint32_t>(height);
        EXPECT_EQ(functions.setwindow(instance, &record), NPERR_NO_ERROR);
        return window;
    }

    // Streams the bytes in the packet sizes the plug-in asks for, up to
    // stopAt, and ends the stream unless told to leave it open; the sizes
    // asked, in order.
    std::vector<int32_t> Stream(NPP instance, const std::string& type, const std::string& url,
                                const std::string& bytes, bool announceLength = true,
                                size_t stopAt = std::string::npos, bool endStream = true) {
        NPStream stream;
        stream.url = url.c_str();
        stream.end = announceLength ? static_cast<uint32_t>(bytes.size()) : 0;
        uint16_t streamType = NP_NORMAL;
        std::vector<int32_t> asked;
        if (functions.newstream(instance, const_cast<char*>(type.c_str()), &stream, 0,
                                &streamType) != NPERR_NO_ERROR)
            return asked;
        const size_t end = std::min(stopAt, bytes.size());
        size_t offset = 0;
        while (offset < end) {
            const int32_t ready = functions.writeready(instance, &stream);
            asked.push_back(ready);
            const auto size = std::min<size_t>(static_cast<size_t>(ready), end - offset);
            const int32_t taken = functions.write(instance, &stream, static_cast<int32_t>(offset),
                                                  static_cast<int32_t>(size),
                                                  const_cast<char*>(bytes.data() + offset));
            if (taken <= 0)
                break;
            offset += static_cast<size_t>(taken);
        }
        if (endStream)
            functions.destroystream(instance, &stream,
                                    offset == bytes.size() ? NPRES_DONE : NPRES_USER_BREAK);
        return asked;
    }

    std::vector<std::string> TemporaryFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temporary.Path()))
            if (entry.is_regular_file() && entry.path().extension() != ".profile")
                names.push_back(entry.path().filename().string());
        return names;
    }

    systest::ScratchDirectory temporary;
    systest::ScopedEnvironment tmpdir{"TMPDIR", temporary.Path().c_str()};
    dialogtest::ScriptedPrompts prompts;
    NPNetscapeFuncs browser;
    NPPluginFuncs functions;
    std::deque<NPP_t> instances;
    std::deque<NPWindow> records;
    std::vector<win::HWND> windows;
};
