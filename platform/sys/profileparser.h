// The text of a private profile (".ini") file: "[section]" lines, each
// followed by "key=value" lines; ';' starts a comment line. Names compare
// without regard to case and the first of equal names counts, as in Win32.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win::internal {

struct ProfileEntry {
    std::string key;
    std::string value; // without surrounding blanks and one pair of enclosing quotes
};

struct ProfileSection {
    std::string name;
    std::vector<ProfileEntry> entries;
};

using Profile = std::vector<ProfileSection>;

Profile ParseProfile(std::string_view text);
const ProfileSection* FindSection(const Profile& profile, std::string_view name);
const ProfileEntry* FindEntry(const ProfileSection& section, std::string_view key);

} // namespace win::internal
