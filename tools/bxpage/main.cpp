// bxpage: shows a web page with the Binoxa browser plug-in in its embedded
// files, as a browser of the plug-in's time would.
#include "bxpage/page.h"
#include "bxpage/pluginhost.h"
#include "bxpage/session.h"
#include "bxpage/streams.h"

#include "platform/win/application.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QSocketNotifier>
#include <QUrl>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "Usage: bxpage [options] PAGE-OR-URL\n"
    "Shows a web page (a file, or a file:, http: or https: address) in a window of its\n"
    "own, with the Binoxa browser plug-in showing its embedded files (EMBED elements):\n"
    "the page's text in reading order, and each embedded file in its WIDTH x HEIGHT\n"
    "where it stands, its data streamed to the plug-in.\n"
    "\n"
    "Options:\n"
    "  --rate BYTES-PER-SECOND  hand the plug-in no more than this much data a second,\n"
    "                           to watch a slow download (default: as fast as it takes it)\n"
    "  --plugin FILE            load this plug-in library\n"
    "  --size WxH               the window's size (default 1024x768)\n"
    "  --until-loaded           close once every embedded file has been delivered\n"
    "  --help                   show this text and exit\n"
    "\n"
    "The plug-in is FILE of --plugin, else libnpbx32.so in the directory\n"
    "BINOXA_PLUGIN_DIR names, else " BXPAGE_INSTALLED_PLUGIN ".\n"
    "\n"
    "Environment:\n"
    "  BINOXA_PLUGIN_DIR  the directory of the plug-in (libnpbx32.so)\n"
    "  BXPAGE_OPEN_LOG    a file to append \"open URL TARGET\" lines to instead of opening\n"
    "                     the addresses the plug-in asks for in the desktop's browser\n";

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "bxpage: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

std::optional<long long> Number(std::string_view text, long long low, long long high) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

struct Options {
    std::string page;
    std::string plugin;
    long long rate = 0;
    int width = 1024;
    int height = 768;
    bool untilLoaded = false;
};

// Usage problems as text; empty when the options are good.
std::string ParseOptions(int argc, char** argv, Options* options, bool* help) {
    bool pageGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::optional<std::string_view> inlineValue;
        if (argument.starts_with("--") && argument.find('=') != std::string_view::npos) {
            inlineValue = argument.substr(argument.find('=') + 1);
            argument = argument.substr(0, argument.find('='));
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < argc)
                return std::string_view(argv[++i]);
            return std::nullopt;
        };
        const auto noValue = [&] { return !inlineValue; };
        if (argument == "--help" && noValue()) {
            *help = true;
            return {};
        }
        if (argument == "--until-loaded" && noValue()) {
            options->untilLoaded = true;
        } else if (argument == "--rate") {
            const auto text = value();
            if (!text)
                return "--rate needs a number of bytes a second";
            const auto rate = Number(*text, 1, 1'000'000'000'000LL);
            if (!rate)
                return "--rate needs a whole number of bytes a second above 0, not '" +
                       std::string(*text) + "'";
            options->rate = *rate;
        } else if (argument == "--plugin") {
            const auto file = value();
            if (!file || file->empty())
                return "--plugin needs a file";
            options->plugin = *file;
        } else if (argument == "--size") {
            const auto text = value();
            if (!text)
                return "--size needs WxH";
            const std::size_t x = text->find_first_of("xX");
            const auto width =
                x == std::string_view::npos ? std::nullopt : Number(text->substr(0, x), 1, 16384);
            const auto height = width ? Number(text->substr(x + 1), 1, 16384) : std::nullopt;
            if (!width || !height)
                return "--size needs WxH, each 1 to 16384, not '" + std::string(*text) + "'";
            options->width = static_cast<int>(*width);
            options->height = static_cast<int>(*height);
        } else if (argument == "--" && noValue() && i + 1 < argc && !pageGiven) {
            options->page = argv[++i];
            pageGiven = true;
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return "unknown option '" + std::string(argv[i]) + "'";
        } else if (pageGiven) {
            return "one page only, not also '" + std::string(argument) + "'";
        } else {
            options->page = argument;
            pageGiven = true;
        }
    }
    if (!pageGiven)
        return "no page given";
    return {};
}

// An address when it names one of ours, otherwise a file's path.
QUrl PageUrl(const std::string& page) {
    const QString text = QString::fromLocal8Bit(page.c_str());
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == "http" || scheme == "https" || scheme == "file"))
        return url;
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

std::string TitleOf(const bxpage::Page& page, const QUrl& url, const std::string& given) {
    if (!page.title.empty())
        return page.title;
    if (!url.fileName().isEmpty())
        return url.fileName().toStdString();
    if (!url.host().isEmpty())
        return url.host().toStdString();
    return given;
}

// Interrupting or terminating closes the window as the user would, so that
// the plug-in is shut down in order.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void CloseOnSignals(bxpage::PageSession& session, std::optional<QSocketNotifier>& notifier) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier.emplace(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&*notifier, &QSocketNotifier::activated, [&session] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        session.Close();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    if (const std::string problem = ParseOptions(argc, argv, &options, &help); !problem.empty())
        return UsageError(problem);
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    win::internal::EnsureApplication();
    QNetworkAccessManager network;
    const QUrl pageUrl = PageUrl(options.page);
    std::string html;
    std::string error;
    if (!bxpage::FetchPage(pageUrl, network, &html, &error)) {
        std::fprintf(stderr, "bxpage: cannot read %s: %s\n", options.page.c_str(), error.c_str());
        return 1;
    }
    bxpage::Page page = bxpage::ParsePage(html);
    html = {};

    bxpage::SessionOptions sessionOptions;
    sessionOptions.pageUrl = pageUrl;
    sessionOptions.title = TitleOf(page, pageUrl, options.page);
    sessionOptions.width = options.width;
    sessionOptions.height = options.height;
    sessionOptions.bytesPerSecond = options.rate;
    sessionOptions.untilLoaded = options.untilLoaded;

    // The plug-in outlives the session, whose windows it may have taken over.
    std::unique_ptr<bxpage::PluginHost> plugin;
    bxpage::PageSession session(std::move(page), sessionOptions, network);
    const std::string pluginPath = bxpage::PluginPath(options.plugin);
    plugin = bxpage::PluginHost::Load(pluginPath, session, &error);
    if (!plugin) {
        std::fprintf(stderr, "bxpage: cannot load the plug-in %s: %s\n", pluginPath.c_str(),
                     error.c_str());
        return 1;
    }
    if (!session.Start(*plugin)) {
        std::fprintf(stderr, "bxpage: cannot open the page's window\n");
        return 1;
    }
    std::optional<QSocketNotifier> notifier;
    CloseOnSignals(session, notifier);
    return session.Run();
}
