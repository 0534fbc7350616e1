// The open dialog's result buffer as ExpandFileList reads it: a directory and
// names, each ended by NUL, the list ended by an empty name.
#include "viewer/mainwindow.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string buffer(reinterpret_cast<const char*>(data), size);
    buffer.append(2, '\0');
    ExpandFileList(buffer.c_str());
    return 0;
}
