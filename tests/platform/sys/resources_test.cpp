#include "platform/sys/resources.h"

#include "platform/sys/libraries.h"
#include "platform/win/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::byte> Record(std::uint32_t type, std::uint32_t id, const std::string& data,
                              std::uint32_t statedSize) {
    std::vector<std::byte> out;
    for (char c : std::string("BXRS"))
        out.push_back(static_cast<std::byte>(c));
    for (std::uint32_t word : {type, id, statedSize})
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::byte>(word >> (8 * i)));
    for (char c : data)
        out.push_back(static_cast<std::byte>(c));
    return out;
}

std::string Text(const std::optional<std::vector<std::byte>>& data) {
    return data ? std::string(reinterpret_cast<const char*>(data->data()), data->size()) : "<none>";
}

TEST(Resources, RecordsAreFoundByTypeAndIdAcrossPaddingAndCheckedAgainstTheSection) {
    std::vector<std::byte> section = Record(2, 152, "credits", 7);
    section.insert(section.end(), 5, std::byte{0}); // padding between objects
    const std::vector<std::byte> second = Record(2, 133, "logo", 4);
    section.insert(section.end(), second.begin(), second.end());
    using win::internal::FindResourceRecord;
    EXPECT_EQ(Text(FindResourceRecord(section, 2, 152)), "credits");
    EXPECT_EQ(Text(FindResourceRecord(section, 2, 133)), "logo");
    EXPECT_EQ(Text(FindResourceRecord(section, 3, 133)), "<none>");
    EXPECT_EQ(Text(FindResourceRecord(section, 2, 7)), "<none>");

    // A size past the end, a cut header and a stranger's bytes find nothing.
    EXPECT_EQ(Text(FindResourceRecord(Record(2, 152, "credits", 8), 2, 152)), "<none>");
    EXPECT_EQ(Text(FindResourceRecord(Record(2, 152, "credits", 0xFFFFFFFF), 2, 152)), "<none>");
    std::vector<std::byte> cut = Record(2, 152, "", 0);
    cut.resize(10);
    EXPECT_EQ(Text(FindResourceRecord(cut, 2, 152)), "<none>");
    std::vector<std::byte> foreign = section;
    foreign[0] = std::byte{'X'};
    EXPECT_EQ(Text(FindResourceRecord(foreign, 2, 133)), "<none>");

    // A binary without resources has none to give.
    EXPECT_FALSE(
        win::internal::LoadModuleResource(nullptr, win::RT_BITMAP, win::MAKEINTRESOURCE(1)));
}

} // namespace
