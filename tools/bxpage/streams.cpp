#include "bxpage/streams.h"

#include "bxpage/page.h"
#include "platform/win/messages.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace bxpage {
namespace {

using Clock = std::chrono::steady_clock;

// A download that gets nothing for this long while we wait for data ends.
constexpr auto kStallTimeout = std::chrono::seconds(60);
// What one stream is given in one tick at most, so that a fast local file
// leaves the window time to answer.
constexpr std::size_t kMaxPerTick = std::size_t{4} << 20;

QNetworkRequest RequestFor(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, "bxpage/1.0");
    // The bytes as sent, so that Content-Length counts what we deliver.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

std::string Trimmed(const QByteArray& bytes) {
    return bytes.trimmed().toStdString();
}

// "text/html; charset=utf-8" is text/html.
std::string MediaTypeOf(const QByteArray& contentType) {
    std::string type = Trimmed(contentType.left(contentType.indexOf(';')));
    std::transform(type.begin(), type.end(), type.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return type;
}

// Digits only; anything else is a length we do not know.
std::uint64_t LengthOf(const QByteArray& contentLength) {
    const std::string text = Trimmed(contentLength);
    if (text.empty() || text.size() > 19 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoull(text);
}

} // namespace

// Where a stream's bytes come from.
class Source {
public:
    virtual ~Source() = default;
    // The type and length are known.
    virtual bool Ready() = 0;
    // Cannot be read at all (before Ready): why.
    virtual bool Failed(std::string* why) = 0;
    virtual std::string Type() const = 0;
    virtual std::uint64_t Length() const = 0; // 0 when unknown
    // What has arrived, at most `most` bytes.
    virtual std::size_t Read(char* into, std::size_t most) = 0;
    // Nothing more will come.
    virtual bool Ended() = 0;
    // Ended without an error, with as many bytes as announced.
    virtual bool Complete() const = 0;
    // Waited too long for data that does not come.
    virtual bool Stalled() const { return false; }
};

namespace {

// Read as the plug-in takes the data, never all at once.
class FileSource : public Source {
public:
    explicit FileSource(const QUrl& url) : file(url.toLocalFile()), type(MimeTypeOfUrl(url)) {
        const QFileInfo info(file.fileName());
        if (!info.exists())
            error = "no such file";
        else if (!info.isFile())
            error = "not a file"; // a device or pipe might never end
        else if (!file.open(QIODevice::ReadOnly))
            error = file.errorString().toStdString();
        else if (file.size() <= UINT32_MAX)
            length = static_cast<std::uint64_t>(file.size());
    }

    bool Ready() override { return error.empty(); }
    bool Failed(std::string* why) override {
        *why = error;
        return !error.empty();
    }
    std::string Type() const override { return type; }
    std::uint64_t Length() const override { return length; }

    std::size_t Read(char* into, std::size_t most) override {
        if (ended || most == 0)
            return 0;
        const qint64 got =
            file.read(into, static_cast<qint64>(std::min<std::size_t>(most, INT_MAX)));
        if (got <= 0) {
            ended = true;
            readError = got < 0;
            return 0;
        }
        return static_cast<std::size_t>(got);
    }

    bool Ended() override { return ended; }
    bool Complete() const override { return !readError; }

private:
    QFile file;
    std::string type;
    std::string error;
    std::uint64_t length = 0;
    bool ended = false;
    bool readError = false;
};

// Polled on every tick: the reply's own buffer is held to kMaxBuffered, so
// that the network stops reading while the plug-in is slow.
class HttpSource : public Source {
public:
    HttpSource(QNetworkAccessManager& network, const QUrl& url)
        : reply(network.get(RequestFor(url))), fallbackType(MimeTypeOfUrl(url)) {
        reply->setReadBufferSize(static_cast<qint64>(StreamSet::kMaxBuffered));
    }

    ~HttpSource() override {
        reply->abort();
        reply->deleteLater();
    }

    bool Ready() override {
        if (headers)
            return true;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return false;
        // A redirection being followed is not the answer yet.
        const int code = status.toInt();
        if (code >= 300 && code < 400 && !reply->isFinished())
            return false;
        headers = true;
        type = MediaTypeOf(reply->rawHeader("Content-Type"));
        if (type.empty())
            type = fallbackType;
        announced = LengthOf(reply->rawHeader("Content-Length"));
        return true;
    }

    bool Failed(std::string* why) override {
        if (Ready())
            return false;
        if (reply->isFinished()) {
            *why = reply->errorString().toStdString();
            return true;
        }
        if (Clock::now() - lastData > kStallTimeout) {
            *why = "no answer";
            return true;
        }
        return false;
    }

    std::string Type() const override { return type; }
    std::uint64_t Length() const override { return announced <= UINT32_MAX ? announced : 0; }

    std::size_t Read(char* into, std::size_t most) override {
        const qint64 got =
            reply->read(into, static_cast<qint64>(std::min<std::size_t>(most, INT_MAX)));
        if (got <= 0)
            return 0;
        received += static_cast<std::uint64_t>(got);
        lastData = Clock::now();
        return static_cast<std::size_t>(got);
    }

    bool Ended() override { return reply->isFinished() && reply->bytesAvailable() == 0; }

    bool Complete() const override {
        // An error page (404, 500) that arrived whole is a complete stream;
        // the plug-in has seen its type.
        const QNetworkReply::NetworkError error = reply->error();
        const bool httpStatus = (error >= QNetworkReply::ContentAccessDenied &&
                                 error <= QNetworkReply::UnknownContentError) ||
                                (error >= QNetworkReply::InternalServerError &&
                                 error <= QNetworkReply::UnknownServerError);
        return (error == QNetworkReply::NoError || httpStatus) && received >= announced;
    }

    bool Stalled() const override {
        return !reply->isFinished() && Clock::now() - lastData > kStallTimeout;
    }

private:
    QNetworkReply* reply;
    std::string fallbackType;
    std::string type;
    bool headers = false;
    std::uint64_t announced = 0;
    std::uint64_t received = 0;
    Clock::time_point lastData = Clock::now();
};

} // namespace

struct StreamSet::Stream {
    NPP instance = nullptr;
    const NPPluginFuncs* functions = nullptr;
    std::string url;
    std::string requested; // for urlnotify
    bool notify = false;
    void* notifyData = nullptr;
    std::unique_ptr<Source> source;
    enum class State { Opening, Open, Ended } state = State::Opening;
    std::string type;
    NPStream record;
    // Read, not yet taken: bytes [start, end) of buffer.
    std::string buffer;
    std::size_t start = 0;
    std::int32_t offset = 0;

    std::size_t Buffered() const { return buffer.size() - start; }
};

bool FetchPage(const QUrl& url, QNetworkAccessManager& network, std::string* html,
               std::string* error) {
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        const QFileInfo info(file.fileName());
        if (!info.exists()) {
            *error = "no such file";
            return false;
        }
        if (!info.isFile()) {
            *error = "not a file";
            return false;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString().toStdString();
            return false;
        }
        if (static_cast<std::uint64_t>(file.size()) > kMaxPageBytes) {
            *error = "larger than 16 MB";
            return false;
        }
        const QByteArray bytes = file.read(static_cast<qint64>(kMaxPageBytes) + 1);
        if (static_cast<std::size_t>(bytes.size()) > kMaxPageBytes) {
            *error = "larger than 16 MB";
            return false;
        }
        html->assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return true;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != "http" && scheme != "https") {
        *error = "not a file or web address";
        return false;
    }
    QNetworkRequest request = RequestFor(url);
    request.setTransferTimeout(30000);
    QNetworkReply* reply = network.get(request);
    bool tooLarge = false;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        const QByteArray part = reply->readAll();
        if (html->size() + static_cast<std::size_t>(part.size()) > kMaxPageBytes) {
            tooLarge = true;
            reply->abort();
            return;
        }
        html->append(part.constData(), static_cast<std::size_t>(part.size()));
    });
    // The message loop waits for messages; this one says the page is in.
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [] { win::PostMessage(nullptr, win::WM_NULL, 0, 0); });
    while (!reply->isFinished()) {
        win::MSG message;
        if (win::GetMessage(&message, nullptr, 0, 0) <= 0)
            break;
        win::DispatchMessage(&message);
    }
    const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError && !tooLarge;
    if (tooLarge)
        *error = "larger than 16 MB";
    else if (!ok)
        *error = reply->errorString().toStdString();
    reply->disconnect();
    reply->abort();
    delete reply;
    return ok;
}

std::string MimeTypeOfUrl(const QUrl& url) {
    const std::string type = MimeTypeOfName(url.path().toStdString());
    return type.empty() ? "application/octet-stream" : type;
}

StreamSet::StreamSet(QNetworkAccessManager& network, std::int64_t bytesPerSecond)
    : network(network), bytesPerSecond(std::max<std::int64_t>(0, bytesPerSecond)),
      refilled(Clock::now()) {}

StreamSet::~StreamSet() = default;

void StreamSet::Open(NPP instance, const NPPluginFuncs& functions, const QUrl& url, bool notify,
                     void* notifyData, const std::string& requested) {
    auto stream = std::make_unique<Stream>();
    stream->instance = instance;
    stream->functions = &functions;
    stream->url = url.toString(QUrl::FullyEncoded).toStdString();
    stream->notify = notify;
    stream->notifyData = notifyData;
    stream->requested = requested;
    if (url.isLocalFile())
        stream->source = std::make_unique<FileSource>(url);
    else
        stream->source = std::make_unique<HttpSource>(network, url);
    streams.push_back(std::move(stream));
}

void StreamSet::Notify(NPP instance, const NPPluginFuncs& functions, const std::string& url,
                       NPReason reason, void* notifyData) {
    notifications.push_back({instance, &functions, url, reason, notifyData});
}

bool StreamSet::Idle() const {
    return streams.empty() && notifications.empty();
}

void StreamSet::Refill() {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - refilled).count();
    refilled = now;
    if (bytesPerSecond == 0)
        return;
    // A tenth of a second's worth at most, and always room for one byte.
    const double most = std::max(static_cast<double>(bytesPerSecond) / 10, 1.0);
    tokens = std::min(most, tokens + static_cast<double>(bytesPerSecond) * seconds);
}

void StreamSet::Pump() {
    if (pumping)
        return;
    pumping = true;
    Refill();
    // Taken out first: urlnotify may ask for more.
    const std::vector<Notification> due = std::exchange(notifications, {});
    for (const Notification& notification : due)
        if (notification.functions->urlnotify)
            notification.functions->urlnotify(notification.instance, notification.url.c_str(),
                                              notification.reason, notification.notifyData);
    // Streams opened from inside the plug-in wait for the next tick. Each
    // tick starts with the next stream, so that a rate is shared out.
    const std::size_t count = streams.size();
    for (std::size_t k = 0; k < count; ++k)
        Advance(*streams[(rotation + k) % count]);
    if (count > 0)
        rotation = (rotation + 1) % count;
    std::erase_if(streams,
                  [](const auto& stream) { return stream->state == Stream::State::Ended; });
    pumping = false;
}

void StreamSet::Advance(Stream& stream) {
    if (stream.state == Stream::State::Opening) {
        std::string why;
        if (stream.source->Failed(&why)) {
            std::fprintf(stderr, "bxpage: cannot read %s: %s\n", stream.url.c_str(), why.c_str());
            stream.source.reset();
            stream.state = Stream::State::Ended;
            if (stream.notify)
                Notify(stream.instance, *stream.functions, stream.requested, NPRES_NETWORK_ERR,
                       stream.notifyData);
            return;
        }
        if (!stream.source->Ready())
            return;
        stream.type = stream.source->Type();
        stream.record.ndata = &stream;
        stream.record.url = stream.url.c_str();
        stream.record.end = static_cast<uint32_t>(stream.source->Length());
        stream.record.lastmodified = 0;
        stream.record.notifyData = stream.notifyData;
        stream.record.headers = nullptr;
        uint16_t type = NP_NORMAL;
        NPError result = NPERR_GENERIC_ERROR;
        if (stream.functions->newstream)
            result = stream.functions->newstream(stream.instance, stream.type.data(),
                                                 &stream.record, 0, &type);
        if (result != NPERR_NO_ERROR) {
            // Refused: the download stops and nothing more is said of it.
            stream.source.reset();
            stream.state = Stream::State::Ended;
            if (stream.notify)
                Notify(stream.instance, *stream.functions, stream.requested, NPRES_NETWORK_ERR,
                       stream.notifyData);
            return;
        }
        stream.state = Stream::State::Open;
    }
    if (stream.state == Stream::State::Open)
        Deliver(stream);
}

void StreamSet::Fill(Stream& stream) {
    if (!stream.source || stream.Buffered() >= kReadPiece)
        return;
    // Taken bytes are dropped once they are the larger part.
    if (stream.start > 0 && stream.start >= stream.Buffered()) {
        stream.buffer.erase(0, stream.start);
        stream.start = 0;
    }
    piece.resize(kReadPiece);
    const std::size_t got = stream.source->Read(piece.data(), piece.size());
    stream.buffer.append(piece.data(), got);
}

void StreamSet::Deliver(Stream& stream) {
    const NPPluginFuncs& functions = *stream.functions;
    std::size_t given = 0;
    while (stream.state == Stream::State::Open) {
        Fill(stream);
        if (stream.Buffered() == 0) {
            if (stream.source->Ended())
                End(stream, stream.source->Complete() ? NPRES_DONE : NPRES_NETWORK_ERR);
            else if (stream.source->Stalled())
                End(stream, NPRES_NETWORK_ERR);
            return;
        }
        if (given >= kMaxPerTick || (bytesPerSecond > 0 && tokens < 1))
            return;
        // The offset is 32 bits: a stream ends before it would wrap.
        if (stream.offset == INT32_MAX) {
            End(stream, NPRES_NETWORK_ERR);
            return;
        }
        const int32_t ready = functions.writeready
                                  ? functions.writeready(stream.instance, &stream.record)
                                  : INT32_MAX;
        if (ready <= 0 || stream.state != Stream::State::Open)
            return; // asked again on the next tick
        std::size_t n =
            std::min({static_cast<std::size_t>(ready), stream.Buffered(), kMaxPerTick - given,
                      static_cast<std::size_t>(INT32_MAX - stream.offset)});
        if (bytesPerSecond > 0)
            n = std::min(n, static_cast<std::size_t>(tokens));
        const int32_t taken =
            functions.write
                ? functions.write(stream.instance, &stream.record, stream.offset,
                                  static_cast<int32_t>(n), stream.buffer.data() + stream.start)
                : -1;
        if (stream.state != Stream::State::Open)
            return;
        if (taken <= 0) {
            End(stream, NPRES_NETWORK_ERR);
            return;
        }
        const std::size_t consumed = std::min(static_cast<std::size_t>(taken), n);
        stream.start += consumed;
        stream.offset += static_cast<int32_t>(consumed);
        given += consumed;
        if (bytesPerSecond > 0)
            tokens -= static_cast<double>(consumed);
    }
}

void StreamSet::End(Stream& stream, NPReason reason) {
    stream.source.reset();
    const bool wasOpen = stream.state == Stream::State::Open;
    stream.state = Stream::State::Ended;
    stream.buffer = {};
    stream.start = 0;
    if (wasOpen && stream.functions->destroystream)
        stream.functions->destroystream(stream.instance, &stream.record, reason);
    if (stream.notify)
        Notify(stream.instance, *stream.functions, stream.requested, reason, stream.notifyData);
}

void StreamSet::EndAll(NPReason reason) {
    // Notifications are told now, since no tick follows.
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i]->state != Stream::State::Ended)
            End(*streams[i], reason);
    std::erase_if(streams,
                  [](const auto& stream) { return stream->state == Stream::State::Ended; });
    const std::vector<Notification> due = std::exchange(notifications, {});
    for (const Notification& notification : due)
        if (notification.functions->urlnotify)
            notification.functions->urlnotify(notification.instance, notification.url.c_str(),
                                              notification.reason, notification.notifyData);
}

void StreamSet::Forget(NPP instance) {
    for (const auto& stream : streams) {
        if (stream->instance != instance)
            continue;
        stream->source.reset();
        stream->state = Stream::State::Ended;
    }
    // A pump under way drops them itself.
    if (!pumping)
        std::erase_if(streams,
                      [](const auto& stream) { return stream->state == Stream::State::Ended; });
    std::erase_if(notifications, [instance](const Notification& notification) {
        return notification.instance == instance;
    });
}

} // namespace bxpage
