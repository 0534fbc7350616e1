// The bxpage program on pages written here, with the fake plug-in's log of
// every call it was given: instances and their windows, streams from files
// and from a local web server delivered whole and in order (or ended as the
// server ends them), the rate, the plug-in's own requests, closing early,
// hostile pages, and the command line's errors.
#include "../support/programrun.h"
#include "../support/sysfixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "bxpage-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
    }
    ~Scratch() {
        systest::KeepTestFiles(dir.string());
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const fs::path path = dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Url(const std::string& name) const { return "file://" + Path(name); }

private:
    fs::path dir;
};

// The same bytes for the same seed, every value among them.
std::string Bytes(std::size_t count, unsigned seed) {
    std::string bytes(count, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string Crc(const std::string& bytes) {
    return std::to_string(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int Count(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.rfind(start, 0) == 0;
    }));
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

// The instance's lines, without its number.
std::vector<std::string> Of(const std::vector<std::string>& lines, int instance) {
    const std::string prefix = "[" + std::to_string(instance) + "] ";
    std::vector<std::string> own;
    for (const std::string& line : lines)
        if (line.rfind(prefix, 0) == 0)
            own.push_back(line.substr(prefix.size()));
    return own;
}

struct Write {
    long long offset = 0;
    long long length = 0;
    long long at = 0; // milliseconds
};

std::vector<Write> WritesOf(const std::vector<std::string>& own) {
    std::vector<Write> writes;
    for (const std::string& line : own) {
        Write write;
        if (std::sscanf(line.c_str(), "write %lld %lld at %lld", &write.offset, &write.length,
                        &write.at) == 3)
            writes.push_back(write);
    }
    return writes;
}

// Every stream of the instance (in the order they came) arrived whole, in
// order, each write within what the plug-in said it was ready for, with
// offsets advancing by what it took (at most `take` a call).
void ExpectDelivered(const std::vector<std::string>& lines, int instance,
                     const std::vector<std::string>& contents, long long take = 1LL << 40) {
    SCOPED_TRACE("instance " + std::to_string(instance));
    const std::vector<std::string> own = Of(lines, instance);
    std::size_t stream = 0;
    long long offset = 0;
    long long ready = -1;
    for (const std::string& line : own) {
        long long value = 0;
        Write write;
        if (line.rfind("newstream ", 0) == 0) {
            offset = 0;
        } else if (std::sscanf(line.c_str(), "writeready -> %lld", &value) == 1) {
            ready = value;
        } else if (std::sscanf(line.c_str(), "write %lld %lld", &write.offset, &write.length) ==
                   2) {
            EXPECT_GT(ready, 0) << "written without being ready: " << line;
            EXPECT_LE(write.length, ready) << line;
            EXPECT_GT(write.length, 0) << line;
            EXPECT_EQ(write.offset, offset) << line;
            offset += std::min(write.length, take);
            ready = -1;
        } else if (line.rfind("destroystream ", 0) == 0) {
            ASSERT_LT(stream, contents.size()) << "more streams than expected";
            EXPECT_EQ(line, "destroystream 0");
            EXPECT_EQ(offset, static_cast<long long>(contents[stream].size()));
        } else if (line.rfind("bytes ", 0) == 0) {
            EXPECT_EQ(line, "bytes " + std::to_string(contents[stream].size()) + " crc " +
                                Crc(contents[stream]));
            ++stream;
        }
    }
    EXPECT_EQ(stream, contents.size());
}

struct PageRun {
    ProgramRun run;
    std::vector<std::string> log;
};

// bxpage with the fake plug-in from BINOXA_PLUGIN_DIR; env holds more
// variables (NAME='value' ...).
PageRun RunPage(const Scratch& scratch, const std::string& env, const std::string& arguments) {
    const std::string log = scratch.Path("plugin.log");
    std::remove(log.c_str());
    const std::string program = "env FAKE_PLUGIN_LOG='" + log + "' BINOXA_PLUGIN_DIR='" +
                                FAKE_PLUGIN_DIR + "' " + env + " " + BXPAGE_PROGRAM;
    PageRun result;
    result.run = RunProgram(program, arguments, scratch.Path("stderr.txt"));
    result.log = Lines(log);
    return result;
}

// A program in the background, its standard output in a file; stopped
// when this goes.
class Background {
public:
    Background(const std::string& command, const std::string& outputPath) {
        pid = ::fork();
        if (pid == 0) {
            if (std::freopen(outputPath.c_str(), "w", stdout))
                ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), nullptr);
            ::_exit(127);
        }
    }
    ~Background() {
        if (pid > 0 && !exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    void Signal(int signal) const { ::kill(pid, signal); }
    // The exit status, or -1 when it does not end in time (it is killed).
    int WaitForExit(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

private:
    pid_t pid = -1;
    bool exited = false;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// tests/bxpage/testserver.py serving the scratch directory.
class TestServer {
public:
    explicit TestServer(const Scratch& scratch)
        : process(std::string(PYTHON) + " '" + TEST_SERVER + "' '" + scratch.Path("") + "'",
                  scratch.Path("server.out")) {
        const std::string output = scratch.Path("server.out");
        WaitFor(
            [&] {
                const std::vector<std::string> lines = Lines(output);
                return !lines.empty() && std::sscanf(lines[0].c_str(), "port %d", &port) == 1;
            },
            std::chrono::seconds(20));
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + "/" + path;
    }
    bool Running() const { return port > 0; }

private:
    Background process;
    int port = 0;
};

} // namespace

TEST(Bxpage, TwoEmbedsGetTheirAttributesWindowsAndWholeStreams) {
    const Scratch scratch;
    const std::string left = Bytes(70000, 1);
    const std::string right = Bytes(30001, 2);
    scratch.Write("left.jps", left);
    scratch.Write("sub/right.pns", right);
    const std::string page = scratch.Write(
        "page.html", "<html><head><title>Two pictures</title></head><body>\n"
                     "<p>Left and right: <EMBED SRC=\"left.jps\" Width=200 HEIGHT=\"100\" "
                     "palette=foreground hidden> and <embed type=image/x-pns src='sub/right.pns' "
                     "width=300 height=150></p></body></html>\n");
    // Not ready at times, and taking less than it was given.
    const PageRun result =
        RunPage(scratch, "FAKE_PLUGIN_READY=0,5000,1200,70000 FAKE_PLUGIN_TAKE=3000",
                "--until-loaded --size 800x600 '" + page + "'");
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    const std::vector<std::string>& log = result.log;
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(log[0], "entrypoints");
    EXPECT_EQ(log[1], "initialize");
    EXPECT_EQ(log[2], "uagent bxpage/1.0");
    EXPECT_EQ(log[3], "[1] new image/x-jps 1 5 src=left.jps width=200 height=100 "
                      "palette=foreground hidden");
    EXPECT_EQ(log[4], "[1] setwindow 200 100");
    EXPECT_EQ(log[5], "[2] new image/x-pns 1 4 type=image/x-pns src=sub/right.pns width=300 "
                      "height=150");
    EXPECT_EQ(log[6], "[2] setwindow 300 150");
    EXPECT_EQ(Count(log, "[1] setwindow"), 1);
    EXPECT_EQ(Count(log, "[2] setwindow"), 1);
    EXPECT_TRUE(Has(log, "[1] newstream image/x-jps " + scratch.Url("left.jps") + " 70000"));
    EXPECT_TRUE(Has(log, "[2] newstream image/x-pns " + scratch.Url("sub/right.pns") + " 30001"));
    EXPECT_GT(Count(log, "[1] writeready -> 0"), 0);
    ExpectDelivered(log, 1, {left}, 3000);
    ExpectDelivered(log, 2, {right}, 3000);
    // Instances go after their streams, the plug-in after its instances.
    ASSERT_EQ(log.back(), "shutdown");
    EXPECT_LT(IndexOf(log, "[1] destroystream 0"), IndexOf(log, "[1] destroy"));
    EXPECT_LT(IndexOf(log, "[2] destroystream 0"), IndexOf(log, "[2] destroy"));
    EXPECT_LT(IndexOf(log, "[2] destroy"), log.size() - 1);
    EXPECT_NE(result.run.err.find("bxpage: status: streaming " + scratch.Url("left.jps") + "\n"),
              std::string::npos);
}

TEST(Bxpage, HostilePageIsClampedAndCapped) {
    const Scratch scratch;
    scratch.Write("tiny.jps", "0123456789");
    std::string html = "<html><body><p>broken <b><i>unclosed <table><tr><td>"
                       "<embed width=99999999 height=-5 hidden palette=\"\x01\xff\">"
                       "<embed type=application/x-refused src=tiny.jps>"
                       "<embed src=none.jps width=abc height=\"\">";
    for (int i = 0; i < 5000; ++i)
        html += "<embed src=tiny.jps width=" + std::to_string(i) + "></embed><div>";
    html += "<p <embed src=";
    const std::string page = scratch.Write("hostile.html", html);
    const PageRun result =
        RunPage(scratch, "FAKE_PLUGIN_REFUSE_NEW=application/x-refused", "--until-loaded " + page);
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    const std::vector<std::string>& log = result.log;
    const std::string& err = result.run.err;
    EXPECT_NE(err.find("bxpage: only the first 64 embedded files are shown\n"), std::string::npos);
    EXPECT_EQ(Count(log, "[1] new application/octet-stream 1 4 width=99999999 height=-5 hidden "
                         "palette="),
              1);
    EXPECT_TRUE(Has(log, "[1] setwindow 4096 1"));
    EXPECT_EQ(Count(log, "[1] newstream"), 0);
    EXPECT_NE(err.find("bxpage: the plug-in refused EMBED #2 (error 9)\n"), std::string::npos);
    EXPECT_EQ(Count(log, "[2] setwindow"), 0);
    EXPECT_EQ(Count(log, "[2] destroy"), 0);
    EXPECT_TRUE(Has(log, "[3] setwindow 320 240"));
    EXPECT_EQ(Count(log, "[3] newstream"), 0);
    EXPECT_NE(err.find("bxpage: cannot read " + scratch.Url("none.jps") + ": no such file\n"),
              std::string::npos);
    // Width 0 is held to 1.
    EXPECT_TRUE(Has(log, "[4] setwindow 1 240"));
    int news = 0;
    for (int i = 1; i <= 100; ++i)
        news += Count(log, "[" + std::to_string(i) + "] new ");
    EXPECT_EQ(news, 64);
    EXPECT_EQ(Count(log, "[64] new image/x-jps 1 2 src=tiny.jps width=60"), 1);
    for (int i = 4; i <= 64; ++i)
        ExpectDelivered(log, i, {"0123456789"});
    for (int i : {1, 3, 4, 64})
        EXPECT_TRUE(Has(log, "[" + std::to_string(i) + "] destroy")) << i;
    EXPECT_EQ(Count(log, "[65]"), 0);
    EXPECT_EQ(log.back(), "shutdown");
}

TEST(Bxpage, HttpStreamsEndAsTheServerEndsThem) {
    const Scratch scratch;
    const TestServer server(scratch);
    ASSERT_TRUE(server.Running());
    const std::string big = Bytes(40960, 3);
    const std::string noise = Bytes(12345, 4);
    const std::string small = Bytes(5000, 5);
    scratch.Write("big.jps", big);
    scratch.Write("noise.jps", noise);
    scratch.Write("small.pns", small);
    scratch.Write("page.html", "<title>Web</title><embed src=\"cut/big.jps\"><embed "
                               "src=missing.jps><embed src=long/big.jps><embed src=noise.jps>"
                               "<embed src='/small.pns?x=1'>");
    const PageRun result = RunPage(scratch, "FAKE_PLUGIN_REFUSE=text/html",
                                   "--until-loaded " + server.Url("page.html"));
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    const std::vector<std::string>& log = result.log;
    // Hung up half way: a network error, after the half that came.
    EXPECT_TRUE(Has(log, "[1] newstream image/x-jps " + server.Url("cut/big.jps") + " 40960"));
    EXPECT_TRUE(Has(log, "[1] destroystream 1"));
    EXPECT_TRUE(Has(log, "[1] bytes 20480 crc " + Crc(big.substr(0, 20480))));
    // The server's error page arrives as what it is, and is refused.
    EXPECT_EQ(Count(log, "[2] newstream text/html " + server.Url("missing.jps") + " "), 1);
    EXPECT_EQ(Count(log, "[2] write"), 0);
    EXPECT_EQ(Count(log, "[2] destroystream"), 0);
    // More bytes than announced: what was announced, whole.
    EXPECT_TRUE(Has(log, "[3] newstream image/x-jps " + server.Url("long/big.jps") + " 20480"));
    ExpectDelivered(log, 3, {big.substr(0, 20480)});
    ExpectDelivered(log, 4, {noise});
    EXPECT_TRUE(Has(log, "[5] newstream image/x-pns " + server.Url("small.pns?x=1") + " 5000"));
    ExpectDelivered(log, 5, {small});
    EXPECT_EQ(log.back(), "shutdown");

    // A page the server does not have is not shown at all.
    const PageRun missing = RunPage(scratch, "", "--until-loaded " + server.Url("gone.html"));
    EXPECT_EQ(missing.run.status, 1);
    EXPECT_NE(missing.run.err.find("bxpage: cannot read " + server.Url("gone.html") + ": "),
              std::string::npos);
    EXPECT_TRUE(missing.log.empty());
    // Nor does a page from the network read local files.
    scratch.Write("local.html", "<embed src='" + scratch.Url("big.jps") + "'>");
    const PageRun local = RunPage(scratch, "", "--until-loaded " + server.Url("local.html"));
    EXPECT_EQ(local.run.status, 0);
    EXPECT_EQ(Count(local.log, "[1] newstream"), 0);
    EXPECT_NE(local.run.err.find("a page from the network may not read local files"),
              std::string::npos);
}

TEST(Bxpage, RateSpreadsDeliveryOverTime) {
    const Scratch scratch;
    const std::string picture = Bytes(40960, 6);
    scratch.Write("slow.jps", picture);
    const std::string page = scratch.Write("page.html", "<embed src=slow.jps>");
    const PageRun result = RunPage(scratch, "", "--rate 20000 --until-loaded " + page);
    ASSERT_EQ(result.run.status, 0) << result.run.err;
    ExpectDelivered(result.log, 1, {picture});
    const std::vector<Write> writes = WritesOf(Of(result.log, 1));
    ASSERT_GT(writes.size(), 10u);
    // 40960 bytes at 20000 a second: two seconds, less a first burst.
    EXPECT_GE(writes.back().at - writes.front().at, 1500);
    // Never ahead of the rate by more than a burst of a tenth of a second.
    long long delivered = 0;
    for (const Write& write : writes) {
        delivered += write.length;
        EXPECT_LE(delivered, 20000 * (write.at - writes.front().at) / 1000 + 4000)
            << "at " << write.at;
    }
}

TEST(Bxpage, PluginRequestsAreResolvedAgainstThePage) {
    const Scratch scratch;
    const std::string first = Bytes(3000, 7);
    const std::string extra = Bytes(7000, 8);
    scratch.Write("sub/first.jps", first);
    scratch.Write("sub/extra.jps", extra);
    const std::string page = scratch.Write("sub/page.html", "<embed src=first.jps>");
    const std::string openLog = scratch.Path("open.log");

    // For a window: opened, the address made whole, and told of.
    const PageRun opened = RunPage(scratch,
                                   "BXPAGE_OPEN_LOG='" + openLog +
                                       "' FAKE_PLUGIN_GETURL='../other/next.html?a=1' "
                                       "FAKE_PLUGIN_GETURL_NOTIFY=1",
                                   "--until-loaded " + page);
    ASSERT_EQ(opened.run.status, 0) << opened.run.err;
    EXPECT_EQ(Lines(openLog),
              (std::vector<std::string>{"open " + scratch.Url("other/next.html?a=1") + " _blank"}));
    EXPECT_TRUE(Has(opened.log, "[1] geturl -> 0"));
    EXPECT_TRUE(Has(opened.log, "[1] urlnotify ../other/next.html?a=1 0"));
    ExpectDelivered(opened.log, 1, {first});

    // For no window: a second stream to the plug-in, then its notice.
    const PageRun streamed = RunPage(scratch,
                                     "BXPAGE_OPEN_LOG='" + openLog +
                                         "' FAKE_PLUGIN_GETURL=extra.jps "
                                         "FAKE_PLUGIN_GETURL_TARGET=- FAKE_PLUGIN_GETURL_NOTIFY=1",
                                     "--until-loaded " + page);
    ASSERT_EQ(streamed.run.status, 0) << streamed.run.err;
    EXPECT_TRUE(
        Has(streamed.log, "[1] newstream image/x-jps " + scratch.Url("sub/extra.jps") + " 7000"));
    ExpectDelivered(streamed.log, 1, {first, extra});
    EXPECT_LT(IndexOf(streamed.log, "[1] bytes 7000 crc " + Crc(extra)),
              IndexOf(streamed.log, "[1] urlnotify extra.jps 0"));
    EXPECT_EQ(Lines(openLog).size(), 1u);

    // Addresses we cannot open are refused, and nothing is opened.
    const PageRun refused =
        RunPage(scratch, "BXPAGE_OPEN_LOG='" + openLog + "' FAKE_PLUGIN_GETURL='javascript:1'",
                "--until-loaded " + page);
    ASSERT_EQ(refused.run.status, 0) << refused.run.err;
    EXPECT_TRUE(Has(refused.log, "[1] geturl -> 10"));
    EXPECT_EQ(Lines(openLog).size(), 1u);
}

TEST(Bxpage, ClosingMidDownloadIsTheUsersBreak) {
    const Scratch scratch;
    scratch.Write("slow.jps", Bytes(40960, 9));
    const std::string page = scratch.Write("page.html", "<embed src=slow.jps>");
    const std::string log = scratch.Path("plugin.log");
    Background bxpage("env FAKE_PLUGIN_LOG='" + log + "' BINOXA_PLUGIN_DIR='" + FAKE_PLUGIN_DIR +
                          "' " + BXPAGE_PROGRAM + " --rate 2000 '" + page + "' 2>'" +
                          scratch.Path("stderr.txt") + "'",
                      scratch.Path("stdout.txt"));
    ASSERT_TRUE(
        WaitFor([&] { return Count(Of(Lines(log), 1), "write ") >= 2; }, std::chrono::seconds(30)));
    // As the window's close button does.
    bxpage.Signal(SIGTERM);
    EXPECT_EQ(bxpage.WaitForExit(std::chrono::seconds(30)), 0);
    const std::vector<std::string> lines = Lines(log);
    EXPECT_TRUE(Has(lines, "[1] destroystream 2"));
    EXPECT_LT(IndexOf(lines, "[1] destroystream 2"), IndexOf(lines, "[1] destroy"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "shutdown");
}

TEST(Bxpage, CommandLineAndLoadErrors) {
    const Scratch scratch;
    const std::string page = scratch.Write("page.html", "<p>Nothing embedded.");
    const ProgramRun help = RunProgram(BXPAGE_PROGRAM, "--help", scratch.Path("stderr.txt"));
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"Usage: bxpage", "--rate", "--plugin", "--size", "--until-loaded",
                             "BINOXA_PLUGIN_DIR", "libnpbx32.so"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    for (const char* arguments :
         {"", "--rate", "--rate 0 x.html", "--rate abc x.html", "--size 640 x.html",
          "--size 0x10 x.html", "--bogus x.html", "a.html b.html"}) {
        const ProgramRun run = RunProgram(BXPAGE_PROGRAM, arguments, scratch.Path("stderr.txt"));
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.err.rfind("bxpage: ", 0), 0u) << arguments;
        EXPECT_NE(run.err.find("Usage: bxpage"), std::string::npos) << arguments;
    }

    const PageRun unread = RunPage(scratch, "", "--until-loaded " + scratch.Path("nothere.html"));
    EXPECT_EQ(unread.run.status, 1);
    EXPECT_NE(unread.run.err.find("bxpage: cannot read " + scratch.Path("nothere.html") +
                                  ": no such file\n"),
              std::string::npos);

    const PageRun noPlugin =
        RunPage(scratch, "", "--until-loaded --plugin /nonexistent/libnpbx32.so " + page);
    EXPECT_EQ(noPlugin.run.status, 1);
    EXPECT_NE(noPlugin.run.err.find("bxpage: cannot load the plug-in /nonexistent/libnpbx32.so: "),
              std::string::npos);
    EXPECT_NE(noPlugin.run.err.find("No such file"), std::string::npos) << noPlugin.run.err;

    const PageRun failing = RunPage(scratch, "FAKE_PLUGIN_INIT_FAIL=3", "--until-loaded " + page);
    EXPECT_EQ(failing.run.status, 1);
    EXPECT_NE(failing.run.err.find("bxpage: cannot load the plug-in " +
                                   std::string(FAKE_PLUGIN_DIR) +
                                   "/libnpbx32.so: NP_Initialize: result 3\n"),
              std::string::npos)
        << failing.run.err;
    EXPECT_FALSE(Has(failing.log, "shutdown"));

    // --plugin wins over the directory; a page without embeds still loads
    // and shuts the plug-in down.
    const PageRun named = RunPage(scratch, "BINOXA_PLUGIN_DIR=/nonexistent",
                                  "--until-loaded --plugin " + std::string(FAKE_PLUGIN_DIR) +
                                      "/libnpbx32.so " + page);
    EXPECT_EQ(named.run.status, 0) << named.run.err;
    EXPECT_EQ(named.log, (std::vector<std::string>{"entrypoints", "initialize", "shutdown"}));
}
