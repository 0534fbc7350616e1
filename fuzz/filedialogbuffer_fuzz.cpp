// Feeds arbitrary filter lists, starting names and chosen files through the
// file dialogs' text layouts, into result buffers of every small size.
#include "platform/dialogs/filedialogbuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const std::size_t fileSize = data[0];
    const std::size_t titleSize = data[1] % 16;
    const bool multiple = (data[2] & 1) != 0;
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);

    // The first line is the filter list; the others are the chosen files.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = rest.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(rest.substr(start, end - start));
    lines.push_back(rest.substr(start));
    std::string filters = lines.front();
    filters.append(2, '\0');
    win::internal::ParseFilters(filters.c_str());

    // The caller's buffer, possibly without a terminator.
    std::vector<char> file(fileSize);
    for (std::size_t i = 0; i < file.size() && i < lines.front().size(); ++i)
        file[i] = lines.front()[i];
    std::vector<char> title(titleSize);
    win::OPENFILENAME dialog;
    dialog.lpstrFile = file.empty() ? nullptr : file.data();
    dialog.nMaxFile = static_cast<win::DWORD>(file.size());
    dialog.lpstrFileTitle = title.empty() ? nullptr : title.data();
    dialog.nMaxFileTitle = static_cast<win::DWORD>(title.size());
    dialog.Flags = multiple ? win::OFN_ALLOWMULTISELECT : 0;
    win::internal::StartingName(dialog);

    std::vector<std::string> files(lines.begin() + 1, lines.end());
    for (std::string& chosen : files)
        chosen = win::internal::WithDefaultExtension(chosen, "jpsx");
    win::internal::WriteResult(dialog, files);
    return 0;
}
