// The text layouts of the file dialogs: the filter list given by the caller
// and the result written back into the caller's buffer.
#pragma once

#include "platform/dialogs/filedialog.h"
#include "platform/win/promptresponder.h"

#include <string>
#include <vector>

namespace win::internal {

// The description and pattern pairs up to the empty text (a description
// without its pattern is dropped).
std::vector<FileFilterPrompt> ParseFilters(const char* filters);

// The caller's starting name: lpstrFile up to its terminator, within nMaxFile.
std::string StartingName(const OPENFILENAME& dialog);

// The name with the default extension's first three characters appended
// when it has no extension of its own.
std::string WithDefaultExtension(const std::string& path, const char* defaultExtension);

// Writes the chosen files into lpstrFile, lpstrFileTitle, nFileOffset and
// nFileExtension. Answers 0 or the extended error (FNERR_BUFFERTOOSMALL
// with the size needed in the buffer's first two bytes, or
// FNERR_INVALIDFILENAME for files of more than one directory).
DWORD WriteResult(OPENFILENAME& dialog, const std::vector<std::string>& files);

} // namespace win::internal
