#include "driverconfig.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace drivers {

namespace {

constexpr std::string_view blanks = " \t\r";

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t start = line.find_first_not_of(blanks);
    while (start != std::string_view::npos) {
        const std::size_t end = line.find_first_of(blanks, start);
        words.emplace_back(line.substr(start, end - start));
        start = end == std::string_view::npos ? end : line.find_first_not_of(blanks, end);
    }
    return words;
}

} // namespace

std::vector<ConfigLine> ParseConfig(std::string_view text) {
    std::vector<ConfigLine> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        std::vector<std::string> words = SplitWords(line);
        if (!words.empty()) {
            ConfigLine parsed{std::move(words.front()), {}};
            parsed.values.assign(std::make_move_iterator(words.begin() + 1),
                                 std::make_move_iterator(words.end()));
            lines.push_back(std::move(parsed));
        }
    }
    return lines;
}

std::vector<ConfigLine> ReadConfig(const char* environmentVariable) {
    const char* path = std::getenv(environmentVariable);
    if (!path || !*path) {
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return ParseConfig(text.str());
}

std::optional<long> ParseNumber(std::string_view text, long minimum, long maximum) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    // Compared as magnitudes first, so no value overflows on the way.
    const unsigned long limit =
        negative ? 0UL - static_cast<unsigned long>(minimum) : static_cast<unsigned long>(maximum);
    if ((negative && minimum >= 0) || (!negative && maximum < 0) || magnitude > limit) {
        return std::nullopt;
    }
    const long value = negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
    if (value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<long>> ParseNumbers(const ConfigLine& line, std::size_t count,
                                              long minimum, long maximum) {
    if (line.values.size() != count) {
        return std::nullopt;
    }
    std::vector<long> numbers;
    for (const std::string& value : line.values) {
        const std::optional<long> number = ParseNumber(value, minimum, maximum);
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
    }
    return numbers;
}

} // namespace drivers
