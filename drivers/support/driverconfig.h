// The configuration file of a simulated driver, named by an environment
// variable. The format, shared by every driver:
//
//   # a comment runs to the end of the line
//   keyword value value ...
//
// One setting per line; keyword and values are separated by blanks or tabs;
// blank lines are skipped. Numbers are decimal or 0x-prefixed hexadecimal,
// with an optional minus sign. Each driver documents its keywords and skips
// lines it does not understand, so a file never stops a driver from loading.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drivers {

struct ConfigLine {
    std::string keyword;
    std::vector<std::string> values;
};

std::vector<ConfigLine> ParseConfig(std::string_view text);

// The lines of the file the variable names; none when it is unset or the
// file cannot be read.
std::vector<ConfigLine> ReadConfig(const char* environmentVariable);

// A whole value as a number in [minimum, maximum], or nothing.
std::optional<long> ParseNumber(std::string_view text, long minimum, long maximum);

// The line's values as numbers in [minimum, maximum] when there are exactly
// `count` of them and all parse.
std::optional<std::vector<long>> ParseNumbers(const ConfigLine& line, std::size_t count,
                                              long minimum, long maximum);

} // namespace drivers
