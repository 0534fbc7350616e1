#include "platform/sys/windowsname.h"

#include <algorithm>
#include <cctype>

namespace win::internal {

namespace {

constexpr std::string_view dllExtension = ".dll";

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - ending.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string ToLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string MapName(std::string_view windowsName, bool bareNameIsLibrary) {
    std::string path(windowsName);
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::size_t fileStart = path.rfind('/') + 1; // 0 when there is no directory
    const std::string_view file = std::string_view(path).substr(fileStart);
    std::string_view stem;
    if (EndsWithIgnoringCase(file, dllExtension)) {
        stem = file.substr(0, file.size() - dllExtension.size());
    } else if (bareNameIsLibrary && !file.empty() && file.find('.') == std::string_view::npos) {
        stem = file;
    } else {
        return path;
    }
    return path.substr(0, fileStart) + "lib" + ToLower(stem) + ".so";
}

} // namespace

std::string NativeFileName(std::string_view windowsName) {
    return MapName(windowsName, false);
}

std::string NativeLibraryName(std::string_view windowsName) {
    return MapName(windowsName, true);
}

bool HasDirectoryPart(std::string_view name) {
    return name.find('/') != std::string_view::npos;
}

} // namespace win::internal
