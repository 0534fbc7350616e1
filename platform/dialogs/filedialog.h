// The open-file and save-file dialogs. The chosen file (or, with
// OFN_ALLOWMULTISELECT | OFN_EXPLORER and several files, the directory and
// then each name, each with a terminator, and a final empty text) comes back
// in lpstrFile. Each dialog goes through the prompt responder when one is set.
#pragma once

#include "platform/win/wintypes.h"

namespace win {

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// CommDlgExtendedError codes.
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAME {
    DWORD lStructSize = sizeof(OPENFILENAME);
    HWND hwndOwner = nullptr;
    HINSTANCE hInstance = nullptr;
    // Pairs of description and pattern ("*.jps;*.pns"), each terminated,
    // and an empty text at the end.
    const char* lpstrFilter = nullptr;
    char* lpstrCustomFilter = nullptr; // not offered; ignored
    DWORD nMaxCustFilter = 0;
    // The filter shown first, from 1 (0 and numbers past the list: the
    // first); on return the one the user ended with.
    DWORD nFilterIndex = 0;
    // In: the name the dialog starts with (may be empty). Out: the result.
    char* lpstrFile = nullptr;
    DWORD nMaxFile = 0;             // characters, terminators included
    char* lpstrFileTitle = nullptr; // out: the (first) file's name without its directory
    DWORD nMaxFileTitle = 0;
    const char* lpstrInitialDir = nullptr;
    const char* lpstrTitle = nullptr; // null: "Open" or "Save As"
    DWORD Flags = 0;
    WORD nFileOffset = 0;    // out: where the (first) name starts in lpstrFile
    WORD nFileExtension = 0; // out: where the extension starts after its full stop
    // Appended (its first three characters) to a name without an extension.
    const char* lpstrDefExt = nullptr;
    LPARAM lCustData = 0;
};

// TRUE when the user chose; FALSE for cancel (CommDlgExtendedError 0) or
// failure: a result that does not fit gives FNERR_BUFFERTOOSMALL with the
// size needed, in characters, in the first two bytes of lpstrFile.
// OFN_FILEMUSTEXIST and OFN_PATHMUSTEXIST refuse a missing file or directory
// and OFN_OVERWRITEPROMPT asks before an existing file is chosen, each with a
// message box, and then let the user choose again.
BOOL GetOpenFileName(OPENFILENAME* dialog);
BOOL GetSaveFileName(OPENFILENAME* dialog);
// The failure of the last file dialog; 0 after success or cancel.
DWORD CommDlgExtendedError();

} // namespace win
