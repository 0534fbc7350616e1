// The excluded modes kept in the registry.
#include "display/excludedmodes.h"
#include "displayfixture.h"

#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr const char* kKey = "Software\\Norvane\\BinoxaViewer\\Preferences\\ExModes";

class ExcludedModes : public DisplayTest {
protected:
    void AddValue(const char* name) {
        win::HKEY key = nullptr;
        ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                      win::KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  win::ERROR_SUCCESS);
        const win::DWORD one = 1;
        win::RegSetValueEx(key, name, 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&one),
                           sizeof one);
        win::RegCloseKey(key);
    }

    static int32_t Load(std::unique_ptr<ModeStruct[]>& modes) {
        ModeStruct* loaded = nullptr;
        int32_t count = -1;
        LoadExcludedModes(kKey, &loaded, &count);
        modes.reset(loaded);
        return count;
    }
};

} // namespace

TEST_F(ExcludedModes, LoadsOneModePerValueNameAndClearsThemAll) {
    AddValue("640x480x8");
    AddValue("800x600x16");
    std::unique_ptr<ModeStruct[]> modes;
    ASSERT_EQ(Load(modes), 2);
    EXPECT_EQ(modes[0].width, 640u);
    EXPECT_EQ(modes[0].height, 480u);
    EXPECT_EQ(modes[0].bpp, 8u);
    EXPECT_EQ(modes[0].refresh, 0u);
    EXPECT_EQ(modes[1].width, 800u);
    EXPECT_EQ(modes[1].height, 600u);
    EXPECT_EQ(modes[1].bpp, 16u);

    ClearExcludedModes(kKey);
    EXPECT_EQ(Load(modes), 0);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ExcludedModes, OddNamesLoadWithoutOverflowAndKeysThatCannotBeOpenedAreLogged) {
    AddValue("99999999999x-5x");
    AddValue("1024");
    std::unique_ptr<ModeStruct[]> modes;
    ASSERT_EQ(Load(modes), 2);
    EXPECT_EQ(modes[0].width, 2147483647u);
    EXPECT_EQ(modes[0].height, static_cast<uint32_t>(-5));
    EXPECT_EQ(modes[0].bpp, 0u);
    EXPECT_EQ(modes[1].width, 1024u);
    EXPECT_EQ(modes[1].height, 0u);

    ClearExcludedModes("Software\\Norvane\\NoSuchKey");
    EXPECT_EQ(log.Text(), "ClearExcludedModes -- ERROR: opening key: 2\n");

    // A key that cannot be made leaves the caller's list and count alone.
    ModeStruct kept{1, 2, 3, 4};
    ModeStruct* list = &kept;
    int32_t count = 7;
    LoadExcludedModes("Software\\Norvane\nExModes", &list, &count);
    EXPECT_EQ(list, &kept);
    EXPECT_EQ(count, 7);
    EXPECT_NE(log.Text().find("LoadExcludedModes -- ERROR: creating/opening key: 87 "
                              "'Software\\Norvane\nExModes'\n"),
              std::string::npos);
}
