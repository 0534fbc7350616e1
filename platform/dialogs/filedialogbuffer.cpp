#include "platform/dialogs/filedialogbuffer.h"

#include <algorithm>
#include <cstring>

namespace win::internal {
namespace {

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

WORD Offset(std::size_t offset) {
    return static_cast<WORD>(std::min<std::size_t>(offset, 0xFFFF));
}

// Where the extension starts: after the name's last full stop; the
// terminator when there is none; 0 when the name ends with the full stop.
std::size_t ExtensionOffset(const std::string& path, std::size_t nameOffset) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameOffset)
        return path.size();
    return dot + 1 == path.size() ? 0 : dot + 1;
}

void WriteTitle(OPENFILENAME& dialog, const std::string& name) {
    if (!dialog.lpstrFileTitle || dialog.nMaxFileTitle == 0)
        return;
    const std::size_t copied = std::min<std::size_t>(name.size(), dialog.nMaxFileTitle - 1);
    std::memcpy(dialog.lpstrFileTitle, name.data(), copied);
    dialog.lpstrFileTitle[copied] = '\0';
}

} // namespace

std::vector<FileFilterPrompt> ParseFilters(const char* filters) {
    std::vector<FileFilterPrompt> parsed;
    if (!filters)
        return parsed;
    const char* at = filters;
    while (*at) {
        FileFilterPrompt filter;
        filter.description = at;
        at += filter.description.size() + 1;
        if (!*at)
            break;
        filter.pattern = at;
        at += filter.pattern.size() + 1;
        parsed.push_back(std::move(filter));
    }
    return parsed;
}

std::string StartingName(const OPENFILENAME& dialog) {
    if (!dialog.lpstrFile || dialog.nMaxFile == 0)
        return {};
    return std::string(dialog.lpstrFile, strnlen(dialog.lpstrFile, dialog.nMaxFile));
}

std::string WithDefaultExtension(const std::string& path, const char* defaultExtension) {
    if (!defaultExtension || !*defaultExtension || NameOf(path).find('.') != std::string::npos)
        return path;
    return path + "." + std::string(defaultExtension, strnlen(defaultExtension, 3));
}

DWORD WriteResult(OPENFILENAME& dialog, const std::vector<std::string>& files) {
    if (files.empty())
        return FNERR_INVALIDFILENAME;
    std::string result;
    if (files.size() == 1) {
        const std::string& path = files.front();
        result = path + '\0';
        // A multiple-selection result always ends with an empty text.
        if (dialog.Flags & OFN_ALLOWMULTISELECT)
            result += '\0';
        const std::size_t nameOffset = path.size() - NameOf(path).size();
        dialog.nFileOffset = Offset(nameOffset);
        dialog.nFileExtension = Offset(ExtensionOffset(path, nameOffset));
    } else {
        const std::string directory = DirectoryOf(files.front());
        result = directory + '\0';
        for (const std::string& path : files) {
            if (DirectoryOf(path) != directory)
                return FNERR_INVALIDFILENAME;
            result += NameOf(path) + '\0';
        }
        result += '\0';
        dialog.nFileOffset = Offset(directory.size() + 1);
        dialog.nFileExtension = 0;
    }
    if (!dialog.lpstrFile || result.size() > dialog.nMaxFile) {
        if (dialog.lpstrFile && dialog.nMaxFile >= 2) {
            const WORD needed = Offset(result.size());
            dialog.lpstrFile[0] = static_cast<char>(needed & 0xFF);
            dialog.lpstrFile[1] = static_cast<char>(needed >> 8);
        }
        return FNERR_BUFFERTOOSMALL;
    }
    std::memcpy(dialog.lpstrFile, result.data(), result.size());
    WriteTitle(dialog, NameOf(files.front()));
    return 0;
}

} // namespace win::internal
