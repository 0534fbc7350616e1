#include "platform/sys/profileparser.h"

#include <algorithm>
#include <cctype>

namespace win::internal {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

Profile ParseProfile(std::string_view text) {
    Profile profile;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::string_view name = line.substr(1, line.find(']') - 1);
            profile.push_back({std::string(Trimmed(name)), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (profile.empty() || equals == std::string_view::npos) {
            continue; // only keys with a value inside a section count
        }
        const std::string_view key = Trimmed(line.substr(0, equals));
        if (!key.empty()) {
            const std::string_view value = WithoutQuotes(Trimmed(line.substr(equals + 1)));
            profile.back().entries.push_back({std::string(key), std::string(value)});
        }
    }
    return profile;
}

const ProfileSection* FindSection(const Profile& profile, std::string_view name) {
    const auto found = std::ranges::find_if(
        profile, [name](const ProfileSection& s) { return EqualIgnoringCase(s.name, name); });
    return found == profile.end() ? nullptr : &*found;
}

const ProfileEntry* FindEntry(const ProfileSection& section, std::string_view key) {
    const auto found = std::ranges::find_if(
        section.entries, [key](const ProfileEntry& e) { return EqualIgnoringCase(e.key, key); });
    return found == section.entries.end() ? nullptr : &*found;
}

} // namespace win::internal
