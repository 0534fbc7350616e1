// The file names of this system on Linux for the Windows names the callers
// use: "winspex3d.dll" is libwinspex3d.so, "dir\npbx32.DLL" is dir/libnpbx32.so.
#pragma once

#include <string>
#include <string_view>

namespace win::internal {

// Backslashes become slashes; a file part ending in ".dll" (any case) becomes
// lib<stem>.so with the stem in lower case, as our libraries are named (Windows
// names ignore case, Linux ones do not). Any other name keeps its file part.
std::string NativeFileName(std::string_view windowsName);

// As NativeFileName, and a file part without any extension counts as ".dll",
// the default extension of the Win32 loader.
std::string NativeLibraryName(std::string_view windowsName);

// Whether the (native) name names a directory too, so no search applies.
bool HasDirectoryPart(std::string_view name);

} // namespace win::internal
