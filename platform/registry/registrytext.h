// The registry file's text: the REGEDIT4 format that regedit exports.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Norvane\Common\Preferences]
//   "StereoView"=dword:00000004
//   "QuickMenu"="1,4,5,"
//   "Bytes"=hex:01,02,ff
//   @="C:\\Program Files\\OSPI\\"
//
// Strings escape \ and " with a backslash; a string holding a line break, or
// a value of any other type, is written as hex(<type>):<bytes>. Reading also
// takes comment lines (;), hex lists continued over lines with a trailing
// backslash, CR LF line ends and a UTF-8 byte-order mark.
#pragma once

#include "platform/registry/registrytree.h"

#include <optional>
#include <string>
#include <string_view>

namespace win::internal {

struct RegistryParseResult {
    std::optional<RegistryTree> tree; // none when the text is not REGEDIT4
    int line = 0;                     // the first line that could not be read
    std::string problem;
};

RegistryParseResult ParseRegistryText(std::string_view text);

std::string PrintRegistryText(const RegistryTree& tree);

} // namespace win::internal
