#include "bxpage/session.h"

#include <QDesktopServices>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace bxpage {
namespace {

// What a plug-in may have opened outside the page.
bool MayOpen(const QUrl& url, bool localPage) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "mailto" ||
           (scheme == "file" && localPage);
}

QUrl Resolved(const QUrl& base, const std::string& address) {
    return base.resolved(
        QUrl(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())).trimmed()));
}

} // namespace

PageSession::PageSession(Page page, const SessionOptions& options, QNetworkAccessManager& network)
    : page(std::move(page)), options(options), streams(network, options.bytesPerSecond),
      window(this->page, *this), instances(this->page.embeds.size(), nullptr) {}

PageSession::~PageSession() {
    TearDown();
}

bool PageSession::Start(PluginHost& plugin) {
    host = &plugin;
    if (page.embedsLeftOut > 0)
        std::fprintf(stderr, "bxpage: only the first %zu embedded files are shown\n",
                     page.embeds.size());
    if (!window.Create("bxpage - " + options.title, options.width, options.height))
        return false;
    for (std::size_t i = 0; i < page.embeds.size(); ++i) {
        const Embed& embed = page.embeds[i];
        const std::string* src = embed.Find("src");
        const bool hasSource = src && src->find_first_not_of(" \t\r\n\f") != std::string::npos;
        const QUrl source = hasSource ? Resolved(options.pageUrl, *src) : QUrl();
        const std::string* typeAttribute = embed.Find("type");
        std::string type = typeAttribute
                               ? QString::fromUtf8(typeAttribute->c_str()).trimmed().toStdString()
                               : std::string();
        if (type.empty())
            type = hasSource ? MimeTypeOfUrl(source) : "application/octet-stream";
        NPError error = NPERR_NO_ERROR;
        const NPP instance = host->NewInstance(type, embed, &error);
        if (!instance) {
            std::fprintf(stderr, "bxpage: the plug-in refused EMBED #%zu (error %d)\n", i + 1,
                         static_cast<int>(error));
            continue;
        }
        instances[i] = instance;
        host->SetWindow(instance, window.Where(i));
        if (!hasSource)
            continue;
        if (!source.isValid() || !MayRead(source)) {
            std::fprintf(stderr, "bxpage: EMBED #%zu: cannot read %s: %s\n", i + 1, src->c_str(),
                         source.isLocalFile() ? "a page from the network may not read local files"
                                              : "not a file or web address");
            continue;
        }
        streams.Open(instance, host->Functions(), source);
    }
    window.StartTicks(StreamSet::kTickMs);
    return true;
}

int PageSession::Run() {
    const int code = PageWindow::RunMessageLoop();
    TearDown();
    return code;
}

void PageSession::Close() {
    if (streams.Pumping()) {
        closePending = true;
        window.StartTicks(StreamSet::kTickMs);
        return;
    }
    TearDown();
    window.Destroy();
}

bool PageSession::Closing() {
    // Not from inside the plug-in's own call: once it has returned.
    if (streams.Pumping()) {
        closePending = true;
        window.StartTicks(StreamSet::kTickMs);
        return false;
    }
    TearDown();
    return true;
}

void PageSession::TearDown() {
    if (tornDown || !host)
        return;
    tornDown = true;
    window.StopTicks();
    streams.EndAll(NPRES_USER_BREAK);
    host->DestroyAll();
    std::fill(instances.begin(), instances.end(), nullptr);
}

void PageSession::Placed(std::size_t embed, const NPWindow& where) {
    // Also while the window is made, before there are instances.
    if (host && !tornDown && embed < instances.size() && instances[embed])
        host->SetWindow(instances[embed], where);
}

void PageSession::Tick() {
    streams.Pump();
    if (streams.Pumping())
        return; // a tick from a message loop the plug-in runs
    if (closePending) {
        closePending = false;
        Close();
        return;
    }
    if (!streams.Idle())
        return;
    if (options.untilLoaded)
        Close();
    else
        window.StopTicks(); // until the plug-in asks for something
}

bool PageSession::MayRead(const QUrl& url) const {
    const QString scheme = url.scheme().toLower();
    // A page from the network reads no local files through the plug-in.
    return scheme == "http" || scheme == "https" ||
           (url.isLocalFile() && options.pageUrl.isLocalFile());
}

NPError PageSession::GetUrl(NPP instance, const char* url, const char* target, bool notify,
                            void* notifyData) {
    if (!url || !host || tornDown)
        return NPERR_INVALID_URL;
    const QUrl resolved = Resolved(options.pageUrl, url);
    if (!resolved.isValid() || resolved.scheme().isEmpty())
        return NPERR_INVALID_URL;
    if (!target) {
        // The plug-in's own stream, as for its embedded file.
        if (!MayRead(resolved))
            return NPERR_INVALID_URL;
        streams.Open(instance, host->Functions(), resolved, notify, notifyData, url);
        window.StartTicks(StreamSet::kTickMs);
        return NPERR_NO_ERROR;
    }
    if (!MayOpen(resolved, options.pageUrl.isLocalFile()))
        return NPERR_INVALID_URL;
    const QString address = resolved.toString(QUrl::FullyEncoded);
    if (const char* log = std::getenv("BXPAGE_OPEN_LOG"); log && *log) {
        std::ofstream(log, std::ios::app)
            << "open " << address.toStdString() << ' ' << target << '\n';
    } else {
        QDesktopServices::openUrl(resolved);
    }
    if (notify) {
        streams.Notify(instance, host->Functions(), url, NPRES_DONE, notifyData);
        window.StartTicks(StreamSet::kTickMs);
    }
    return NPERR_NO_ERROR;
}

void PageSession::Gone(NPP instance) {
    streams.Forget(instance);
}

} // namespace bxpage
