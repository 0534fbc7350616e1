// An adapter profile is a text file of one statement per line. '#' starts a
// comment that runs to the end of the line; blank lines are ignored.
//
//   mode WxHxB[@R]           a mode the adapter offers: width, height, bits per
//                            pixel (8, 16, 24 or 32) and refresh in hertz
//                            (default 60), listed in the order given
//   desktop WxHxB[@R]        the desktop mode, where the adapter starts (default:
//                            the first mode); without @R the first listed mode of
//                            that size and depth; added to the modes if absent
//   video-memory BYTES       video memory for DirectDraw surfaces (default 64 MiB)
//   hardware-stereo yes|no   whether DirectDraw reports stereo caps (default no)
//   refuse CALL WxHxB[@R]    make CALL refuse that mode (without @R: at any refresh)
//   refuse CALL all          make CALL refuse every mode
//       CALL is change-display    ChangeDisplaySettings fails, though CDS_TEST allows it
//               test-display      the mode is unsupported: CDS_TEST and changes refuse it
//               set-display-mode  DirectDraw's SetDisplayMode refuses it
//   fail CALL                make a DirectDraw call answer DDERR_GENERIC every time
//       CALL is direct-draw-create      DirectDrawCreate
//               create-primary          CreateSurface of a primary without back buffers
//               create-flip-chain       CreateSurface of a primary with back buffers
//               create-left-primary     CreateSurface of the left primary
//               enum-attached-surfaces  a surface's EnumAttachedSurfaces
//               get-caps                GetCaps
//               set-entries             a palette's SetEntries
//
// Widths and heights run from 1 to 8192, refresh rates from 1 to 1000. A
// profile must offer at least one mode (a desktop line alone will do).
//
// Example:
//   mode 640x480x8@60
//   mode 800x600x16
//   desktop 1024x768x32
//   video-memory 4194304
//   hardware-stereo yes
//   refuse set-display-mode 800x600x16
//   fail enum-attached-surfaces
#include "platform/display/adapterprofile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace win::internal {
namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxRefresh = 1000;
constexpr std::size_t kMaxQuoted = 40;

struct LineError {
    std::string text;
};

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    const char* blanks = " \t\r\v\f";
    std::size_t at = line.find_first_not_of(blanks);
    while (at != std::string_view::npos) {
        const std::size_t end = line.find_first_of(blanks, at);
        words.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        at = end == std::string_view::npos ? end : line.find_first_not_of(blanks, end);
    }
    return words;
}

// A word as it appears in a message: quoted and cut to a readable length.
std::string Quoted(std::string_view word) {
    if (word.size() > kMaxQuoted)
        return "'" + std::string(word.substr(0, kMaxQuoted)) + "...'";
    return "'" + std::string(word) + "'";
}

// Reads a decimal number that takes up the whole of text.
template <typename Number> bool ReadNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && !text.empty();
}

// WxHxB with an optional @R; refresh stays 0 without it.
DisplayMode ReadMode(std::string_view word) {
    const LineError malformed{Quoted(word) + " is not a mode WIDTHxHEIGHTxBITS[@HERTZ]"};
    DisplayMode mode;
    std::string_view rest = word;
    const std::size_t at = rest.find('@');
    if (at != std::string_view::npos) {
        if (!ReadNumber(rest.substr(at + 1), mode.refresh))
            throw malformed;
        rest = rest.substr(0, at);
    }
    const std::size_t firstX = rest.find('x');
    const std::size_t secondX =
        firstX == std::string_view::npos ? firstX : rest.find('x', firstX + 1);
    if (secondX == std::string_view::npos || !ReadNumber(rest.substr(0, firstX), mode.width) ||
        !ReadNumber(rest.substr(firstX + 1, secondX - firstX - 1), mode.height) ||
        !ReadNumber(rest.substr(secondX + 1), mode.bitsPerPixel))
        throw malformed;
    if (mode.width < 1 || mode.width > kMaxSide || mode.height < 1 || mode.height > kMaxSide)
        throw LineError{"the mode " + Quoted(word) + " must be 1 to " + std::to_string(kMaxSide) +
                        " pixels each way"};
    if (mode.bitsPerPixel != 8 && mode.bitsPerPixel != 16 && mode.bitsPerPixel != 24 &&
        mode.bitsPerPixel != 32)
        throw LineError{"the mode " + Quoted(word) + " must have 8, 16, 24 or 32 bits per pixel"};
    if (at != std::string_view::npos && (mode.refresh < 1 || mode.refresh > kMaxRefresh))
        throw LineError{"the mode " + Quoted(word) + " must refresh at 1 to " +
                        std::to_string(kMaxRefresh) + " hertz"};
    return mode;
}

RefusedCall ReadCall(std::string_view word) {
    if (word == "change-display")
        return RefusedCall::ChangeDisplay;
    if (word == "test-display")
        return RefusedCall::TestDisplay;
    if (word == "set-display-mode")
        return RefusedCall::SetDisplayMode;
    throw LineError{"'refuse' takes change-display, test-display or set-display-mode, not " +
                    Quoted(word)};
}

FailingCall ReadFailingCall(std::string_view word) {
    constexpr std::pair<std::string_view, FailingCall> kCalls[] = {
        {"direct-draw-create", FailingCall::DirectDrawCreate},
        {"create-primary", FailingCall::CreatePrimary},
        {"create-flip-chain", FailingCall::CreateFlipChain},
        {"create-left-primary", FailingCall::CreateLeftPrimary},
        {"enum-attached-surfaces", FailingCall::EnumAttachedSurfaces},
        {"get-caps", FailingCall::GetCaps},
        {"set-entries", FailingCall::SetEntries},
    };
    for (const auto& [name, call] : kCalls)
        if (word == name)
            return call;
    throw LineError{"'fail' takes direct-draw-create, create-primary, create-flip-chain, "
                    "create-left-primary, enum-attached-surfaces, get-caps or set-entries, not " +
                    Quoted(word)};
}

void ExpectWords(const std::vector<std::string_view>& words, std::size_t count, const char* usage) {
    if (words.size() != count)
        throw LineError{"'" + std::string(words[0]) + "' is written " + usage};
}

void ReadStatement(const std::vector<std::string_view>& words, AdapterProfile& profile) {
    const std::string_view keyword = words[0];
    if (keyword == "mode") {
        ExpectWords(words, 2, "'mode WxHxB[@R]'");
        DisplayMode mode = ReadMode(words[1]);
        if (mode.refresh == 0)
            mode.refresh = AdapterProfile::kDefaultRefresh;
        profile.modes.push_back(mode);
    } else if (keyword == "desktop") {
        ExpectWords(words, 2, "'desktop WxHxB[@R]'");
        profile.desktop = ReadMode(words[1]);
    } else if (keyword == "video-memory") {
        ExpectWords(words, 2, "'video-memory BYTES'");
        if (!ReadNumber(words[1], profile.videoMemoryBytes))
            throw LineError{"'video-memory' needs a number of bytes up to 4294967295, not " +
                            Quoted(words[1])};
    } else if (keyword == "hardware-stereo") {
        ExpectWords(words, 2, "'hardware-stereo yes' or 'hardware-stereo no'");
        if (words[1] != "yes" && words[1] != "no")
            throw LineError{"'hardware-stereo' takes yes or no, not " + Quoted(words[1])};
        profile.hardwareStereo = words[1] == "yes";
    } else if (keyword == "refuse") {
        ExpectWords(words, 3, "'refuse CALL WxHxB[@R]' or 'refuse CALL all'");
        ModeRefusal refusal;
        refusal.call = ReadCall(words[1]);
        refusal.everyMode = words[2] == "all";
        if (!refusal.everyMode)
            refusal.mode = ReadMode(words[2]);
        profile.refusals.push_back(refusal);
    } else if (keyword == "fail") {
        ExpectWords(words, 2, "'fail CALL'");
        profile.failures.push_back(ReadFailingCall(words[1]));
    } else {
        throw LineError{"unknown statement " + Quoted(keyword)};
    }
}

} // namespace

ProfileResult ParseAdapterProfile(std::string_view text) {
    ProfileResult result;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        const std::vector<std::string_view> words = SplitWords(line);
        if (words.empty())
            continue;
        try {
            ReadStatement(words, result.profile);
        } catch (const LineError& failure) {
            result.error = "line " + std::to_string(lineNumber) + ": " + failure.text;
            return result;
        }
    }
    if (result.profile.modes.empty() && result.profile.desktop.width == 0)
        result.error = "the profile offers no mode";
    return result;
}

ProfileResult ReadAdapterProfile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ProfileResult result;
        result.error = std::string("cannot open it: ") + std::strerror(errno);
        return result;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseAdapterProfile(text.str());
}

} // namespace win::internal
