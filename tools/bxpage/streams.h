// Data for the plug-in: the page itself, and the streams of embedded files
// (local files and http/https downloads) handed to the plug-in as fast as it
// says it is ready for them, and no faster than the rate given.
#pragma once

#include "platform/npapi/npapi.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QUrl;

namespace bxpage {

// A page larger than this is not read.
constexpr std::size_t kMaxPageBytes = std::size_t{16} << 20;

// Reads a local file, or fetches an http(s) address while the message loop
// runs; false with the reason when that fails.
bool FetchPage(const QUrl& url, QNetworkAccessManager& network, std::string* html,
               std::string* error);

// The type a stream gets without a Content-Type: by its extension, or
// application/octet-stream.
std::string MimeTypeOfUrl(const QUrl& url);

class Source;

class StreamSet {
public:
    static constexpr unsigned kTickMs = 20;
    // A download's bytes waiting in the network's buffer, at most; the
    // network stops reading while it is full.
    static constexpr std::size_t kMaxBuffered = std::size_t{1} << 20;
    // A stream's bytes read but not yet taken by the plug-in stay below
    // twice this.
    static constexpr std::size_t kReadPiece = std::size_t{64} << 10;

    // bytesPerSecond 0: as fast as the plug-in takes the data.
    StreamSet(QNetworkAccessManager& network, std::int64_t bytesPerSecond);
    ~StreamSet();
    StreamSet(const StreamSet&) = delete;
    StreamSet& operator=(const StreamSet&) = delete;

    // Starts reading url (file: or http(s):) for the instance; NPP_NewStream
    // follows on a later Pump, once the type and length are known. With
    // notify, urlnotify follows the stream's end, with the address as the
    // plug-in asked for it.
    void Open(NPP instance, const NPPluginFuncs& functions, const QUrl& url, bool notify = false,
              void* notifyData = nullptr, const std::string& requested = {});
    // urlnotify on the next Pump (never from inside the plug-in's own call).
    void Notify(NPP instance, const NPPluginFuncs& functions, const std::string& url,
                NPReason reason, void* notifyData);

    // Moves everything along; to be called every kTickMs. Does nothing when
    // called again from inside the plug-in.
    void Pump();
    bool Pumping() const { return pumping; }
    // Nothing open and nothing to tell the plug-in.
    bool Idle() const;

    // Ends every stream the plug-in took with the reason, and tells of the
    // others; nothing follows for them.
    void EndAll(NPReason reason);
    // Drops the instance's streams without calling the plug-in.
    void Forget(NPP instance);

private:
    struct Stream;
    struct Notification {
        NPP instance;
        const NPPluginFuncs* functions;
        std::string url;
        NPReason reason;
        void* notifyData;
    };

    void Advance(Stream& stream);
    void Deliver(Stream& stream);
    void Fill(Stream& stream);
    void End(Stream& stream, NPReason reason);
    void Refill();

    QNetworkAccessManager& network;
    const std::int64_t bytesPerSecond;
    double tokens = 0;
    std::chrono::steady_clock::time_point refilled;
    std::vector<std::unique_ptr<Stream>> streams;
    std::vector<Notification> notifications;
    std::vector<char> piece; // what a source is read into
    std::size_t rotation = 0;
    bool pumping = false;
};

} // namespace bxpage
