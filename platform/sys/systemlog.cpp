#include "platform/sys/systemlog.h"

#include <cstdio>

namespace win::internal {

void AppendLogLine(std::string_view line) {
    if (FILE* file = std::fopen("TAMBER.LOG", "a+")) {
        std::fprintf(file, "%.*s\n", static_cast<int>(line.size()), line.data());
        std::fclose(file);
    }
}

} // namespace win::internal
