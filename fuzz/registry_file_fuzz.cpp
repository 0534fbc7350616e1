// Reads arbitrary bytes as a registry file. Whatever parses must print to a
// text that parses to the same keys and values and prints the same again.
#include "platform/registry/registrytext.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace win::internal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RegistryParseResult parsed =
        ParseRegistryText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.tree)
        return 0;
    const std::string printed = PrintRegistryText(*parsed.tree);
    const RegistryParseResult again = ParseRegistryText(printed);
    if (!again.tree || !(*again.tree == *parsed.tree) || PrintRegistryText(*again.tree) != printed)
        std::abort();
    return 0;
}
