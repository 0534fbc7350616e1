// One page shown with the plug-in: its window, an instance for each embedded
// file, their streams, and the plug-in's requests for other addresses.
#pragma once

#include "bxpage/page.h"
#include "bxpage/pagewindow.h"
#include "bxpage/pluginhost.h"
#include "bxpage/streams.h"

#include <QUrl>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QNetworkAccessManager;

namespace bxpage {

struct SessionOptions {
    QUrl pageUrl;      // what relative addresses are resolved against
    std::string title; // the window's, after "bxpage - "
    int width = 1024;
    int height = 768;
    std::int64_t bytesPerSecond = 0; // 0: no limit
    bool untilLoaded = false;        // close once every stream has ended
};

class PageSession : public PluginHost::Services, private PageWindow::Listener {
public:
    PageSession(Page page, const SessionOptions& options, QNetworkAccessManager& network);
    ~PageSession() override;

    // The window, the instances and their streams; false when the window
    // cannot be made.
    bool Start(PluginHost& host);
    // The message loop, until the window is closed; then every instance is
    // gone. The exit code.
    int Run();
    // What the window's closing does, also for a signal: streams end as the
    // user's break, instances are destroyed, the window goes.
    void Close();

    NPError GetUrl(NPP instance, const char* url, const char* target, bool notify,
                   void* notifyData) override;
    void Gone(NPP instance) override;

private:
    void Placed(std::size_t embed, const NPWindow& where) override;
    void Tick() override;
    bool Closing() override;
    void TearDown();
    // Whether a stream of this address may be read for the page.
    bool MayRead(const QUrl& url) const;

    Page page;
    SessionOptions options;
    PluginHost* host = nullptr;
    StreamSet streams;
    PageWindow window;
    std::vector<NPP> instances; // by embed; null where the plug-in refused
    bool closePending = false;
    bool tornDown = false;
};

} // namespace bxpage
