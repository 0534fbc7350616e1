// The viewer's command line, as any caller could give it: the bytes split at
// NUL into arguments after the program's name.
#include "viewer/preferences.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments{"bxviewer"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    arguments.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());

    ViewerSettings settings;
    ParseCommandLine(argc, argv.data(), settings);
    // Display methods are GDI, DirectDraw or "don't care".
    if (settings.displayMethod < DisplayGDI || settings.displayMethod > DisplayDontCare)
        std::abort();
    FileArgument(argc, argv.data());
    return 0;
}
