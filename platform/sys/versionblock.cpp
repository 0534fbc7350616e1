#include "platform/sys/versionblock.h"

#include "platform/sys/versioninfo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>

namespace win::internal {

namespace {

constexpr DWORD blockSignature = 0x49565842; // "BXVI"
constexpr WORD usEnglish = 0x0409;
constexpr WORD unicodeCodePage = 0x04B0;
constexpr std::string_view stringPrefix = "\\StringFileInfo\\040904B0\\";
constexpr std::string_view translationPath = "\\VarFileInfo\\Translation";
constexpr std::string_view fixedInfoPath = "\\";

struct BlockHeader {
    DWORD signature;
    DWORD validBytes;
    VS_FIXEDFILEINFO fixedInfo;
    WORD language;
    WORD codePage;
};

struct Pair {
    std::string_view name;
    std::string_view value;
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The next complete pair from the front of text, which it then leaves out;
// zeros between pairs (padding of joined sections) are passed over.
std::optional<Pair> TakePair(std::string_view& text) {
    text.remove_prefix(std::min(text.find_first_not_of('\0'), text.size()));
    const std::size_t nameEnd = text.find('\0');
    if (nameEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t valueEnd = text.find('\0', nameEnd + 1);
    if (valueEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const Pair pair{text.substr(0, nameEnd), text.substr(nameEnd + 1, valueEnd - nameEnd - 1)};
    text.remove_prefix(valueEnd + 1);
    return pair;
}

std::optional<std::string_view> FindValue(std::string_view pairs, std::string_view name) {
    while (const std::optional<Pair> pair = TakePair(pairs)) {
        if (EqualIgnoringCase(pair->name, name)) {
            return pair->value;
        }
    }
    return std::nullopt;
}

// "1.2.3.4" as the two words Win32 keeps a version in; missing parts are 0.
std::pair<DWORD, DWORD> VersionWords(std::string_view text) {
    DWORD parts[4] = {};
    for (DWORD& part : parts) {
        DWORD value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
            value = std::min<DWORD>(value * 10 + static_cast<DWORD>(text[digits] - '0'), 0xFFFF);
            ++digits;
        }
        part = value;
        if (digits == 0 || digits == text.size() || text[digits] != '.') {
            break;
        }
        text.remove_prefix(digits + 1);
    }
    return {(parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]};
}

VS_FIXEDFILEINFO FixedInfo(std::string_view pairs) {
    const std::string_view fileVersion = FindValue(pairs, "FileVersion").value_or("");
    const std::string_view productVersion =
        FindValue(pairs, "ProductVersion").value_or(fileVersion);
    const auto [fileMS, fileLS] = VersionWords(fileVersion);
    const auto [productMS, productLS] = VersionWords(productVersion);
    return {VS_FFI_SIGNATURE,
            VS_FFI_STRUCVERSION,
            fileMS,
            fileLS,
            productMS,
            productLS,
            VS_FFI_FILEFLAGSMASK,
            0,
            VOS__WINDOWS32,
            VFT_UNKNOWN,
            0,
            0,
            0};
}

std::string_view AsText(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::vector<std::byte> MakeVersionBlock(std::span<const std::byte> section) {
    std::string pairs;
    std::string_view rest = AsText(section);
    while (const std::optional<Pair> pair = TakePair(rest)) {
        pairs.append(pair->name).push_back('\0');
        pairs.append(pair->value).push_back('\0');
    }
    if (pairs.empty()) {
        return {};
    }
    std::vector<std::byte> block(sizeof(BlockHeader) + pairs.size());
    const BlockHeader header{blockSignature, static_cast<DWORD>(block.size()), FixedInfo(pairs),
                             usEnglish, unicodeCodePage};
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, pairs.data(), pairs.size());
    return block;
}

bool CopyVersionBlock(std::span<const std::byte> block, void* out, DWORD size) {
    if (block.size() < sizeof(BlockHeader) || size < sizeof(BlockHeader)) {
        return false;
    }
    const DWORD kept = static_cast<DWORD>(std::min<std::size_t>(block.size(), size));
    std::memcpy(out, block.data(), kept);
    std::memcpy(static_cast<std::byte*>(out) + offsetof(BlockHeader, validBytes), &kept,
                sizeof kept);
    return true;
}

bool QueryVersionBlock(const void* block, std::string_view path, void** value, UINT* length) {
    BlockHeader header{};
    std::memcpy(&header, block, sizeof header);
    if (header.signature != blockSignature || header.validBytes < sizeof header) {
        return false;
    }
    auto* bytes = static_cast<std::byte*>(const_cast<void*>(block));
    if (path == fixedInfoPath) {
        *value = bytes + offsetof(BlockHeader, fixedInfo);
        *length = sizeof(VS_FIXEDFILEINFO);
        return true;
    }
    if (EqualIgnoringCase(path, translationPath)) {
        *value = bytes + offsetof(BlockHeader, language);
        *length = sizeof header.language + sizeof header.codePage;
        return true;
    }
    if (path.size() < stringPrefix.size() ||
        !EqualIgnoringCase(path.substr(0, stringPrefix.size()), stringPrefix)) {
        return false;
    }
    const std::string_view pairs =
        AsText(std::span(bytes + sizeof header, header.validBytes - sizeof header));
    const std::optional<std::string_view> found =
        FindValue(pairs, path.substr(stringPrefix.size()));
    if (!found) {
        return false;
    }
    *value = const_cast<char*>(found->data());
    *length = static_cast<UINT>(found->size() + 1);
    return true;
}

} // namespace win::internal
