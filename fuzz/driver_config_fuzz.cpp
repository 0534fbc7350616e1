// Parses arbitrary bytes as a simulated driver's configuration file and reads
// every line's values as numbers the way the drivers do.
#include "drivers/support/driverconfig.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const drivers::ConfigLine& line : drivers::ParseConfig(text)) {
        drivers::ParseNumbers(line, line.values.size(), -0x80000000L, 0xFFFFFFFFL);
        drivers::ParseNumbers(line, 5, 0, 0xFFFF);
        for (const std::string& value : line.values) {
            drivers::ParseNumber(value, -1, 1);
        }
    }
    return 0;
}
