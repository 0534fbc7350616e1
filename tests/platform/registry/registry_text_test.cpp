// The REGEDIT4 text of the registry file: what is written, what is read
// back, and which texts are refused.
#include "platform/registry/registry.h"
#include "platform/registry/registrytext.h"

#include <gtest/gtest.h>

using namespace win;
using namespace win::internal;

namespace {

std::vector<BYTE> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

RegistryTree SampleTree() {
    RegistryTree tree;
    bool created = false;
    RegistryKey& prefs =
        tree.currentUser.FindOrCreate({"Software", "Norvane", "Common", "Preferences"}, created);
    prefs.SetValue("StereoView", REG_DWORD, {0x2A, 0, 0, 0});
    prefs.SetValue("Quote\"And\\Slash", REG_SZ, Bytes({"say \"hi\" C:\\dir\\\0", 17}));
    prefs.SetValue("Bytes", REG_BINARY, {0x01, 0xAB, 0x00});
    prefs.SetValue("NoBytes", REG_BINARY, {});
    prefs.SetValue("Lines", REG_SZ, Bytes({"a\nb\0", 4}));
    prefs.SetValue("Short", REG_DWORD, {1, 2});
    prefs.SetValue("Multi", 7, {'x', 0, 0});
    tree.currentUser.FindOrCreate({"Software", "Empty"}, created);
    tree.classesRoot.FindOrCreate({"OSPI"}, created)
        .SetValue("", REG_SZ, Bytes({"C:\\OSPI\\\0", 9}));
    tree.currentUser.SetValue("AtRoot", REG_DWORD, {1, 0, 0, 0});
    return tree;
}

} // namespace

TEST(RegistryText, PrintsTheRegeditExportFormat) {
    EXPECT_EQ(PrintRegistryText(SampleTree()), "REGEDIT4\n"
                                               "\n"
                                               "[HKEY_CLASSES_ROOT\\OSPI]\n"
                                               "@=\"C:\\\\OSPI\\\\\"\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER]\n"
                                               "\"AtRoot\"=dword:00000001\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\Empty]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\Norvane]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\Norvane\\Common]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\Norvane\\Common\\"
                                               "Preferences]\n"
                                               "\"StereoView\"=dword:0000002a\n"
                                               "\"Quote\\\"And\\\\Slash\"=\"say \\\"hi\\\" "
                                               "C:\\\\dir\\\\\"\n"
                                               "\"Bytes\"=hex:01,ab,00\n"
                                               "\"NoBytes\"=hex:\n"
                                               "\"Lines\"=hex(1):61,0a,62,00\n"
                                               "\"Short\"=hex(4):01,02\n"
                                               "\"Multi\"=hex(7):78,00,00\n"
                                               "\n");
    EXPECT_EQ(PrintRegistryText(RegistryTree{}), "REGEDIT4\n\n");
}

TEST(RegistryText, ReadsBackWhatItPrints) {
    const RegistryTree tree = SampleTree();
    const RegistryParseResult parsed = ParseRegistryText(PrintRegistryText(tree));
    ASSERT_TRUE(parsed.tree) << parsed.line << ": " << parsed.problem;
    EXPECT_EQ(*parsed.tree, tree);
}

TEST(RegistryText, ReadsWhatRegeditAndPeopleWrite) {
    const RegistryParseResult parsed =
        ParseRegistryText("\xEF\xBB\xBFREGEDIT4\r\n"
                          "\r\n"
                          "; written by hand\r\n"
                          "[hkey_current_user\\Software\\Norvane]\r\n"
                          "\"Wide\"=hex:01,02,\\\r\n"
                          "  03,04\r\n"
                          "\"Caps\" = DWORD:FF\r\n"
                          "  \"Spaced\"=hex: 0a , 0b\r\n"
                          "@=\"\"\r\n"
                          "[HKEY_CURRENT_USER\\SOFTWARE\\norvane]\r\n"
                          "\"caps\"=\"again\"\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Odd]Name]\r\n"
                          "\"NoTerminator\"=hex(1):61,62\r\n"
                          "\"Odd(Type)\"=hex(2a):\r\n");
    ASSERT_TRUE(parsed.tree) << parsed.line << ": " << parsed.problem;
    const RegistryKey* norvane = parsed.tree->currentUser.Find({"software", "NORVANE"});
    ASSERT_NE(norvane, nullptr);
    EXPECT_EQ(norvane->Name(), "Norvane");
    const std::vector<RegistryValue> expected = {
        {"Wide", REG_BINARY, {1, 2, 3, 4}},
        {"Caps", REG_SZ, Bytes({"again\0", 6})}, // the later line wins, the first name stays
        {"Spaced", REG_BINARY, {0x0A, 0x0B}},
        {"", REG_SZ, {0}},
    };
    EXPECT_EQ(norvane->Values(), expected);
    const RegistryKey* odd = parsed.tree->currentUser.Find({"Software", "Odd]Name"});
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->Values(),
              (std::vector<RegistryValue>{{"NoTerminator", REG_SZ, Bytes({"ab\0", 3})},
                                          {"Odd(Type)", 0x2A, {}}}));

    const RegistryParseResult empty = ParseRegistryText(" \n\n");
    ASSERT_TRUE(empty.tree);
    EXPECT_EQ(*empty.tree, RegistryTree{});
}

TEST(RegistryText, RefusesTextsThatAreNotRegedit4WithTheLineAndTheProblem) {
    const struct {
        const char* text;
        int line;
        const char* problem;
    } cases[] = {
        {"Windows Registry Editor Version 5.00\n", 1, "the first line is not REGEDIT4"},
        {"REGEDIT4\n\"a\"=dword:1\n", 2, "a value before the first key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n", 2, "unknown root key 'HKEY_LOCAL_MACHINE'"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x\n", 2, "a key line does not end with ]"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\\\x]\n", 2, "an empty key name"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\nvalue=1\n", 3, "expected [key], \"name\"= or @="},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"\n", 3, "expected = after the value name"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a=1\n", 3, "a text without its closing quote"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"C:\\dir\"\n", 3,
         "only \\\\ and \\\" may follow a backslash in quotes"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"x\" y\n", 3, "text after the closing quote"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:123456789\n", 3,
         "dword: needs 1 to 8 hex digits"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:\n", 3, "dword: needs 1 to 8 hex digits"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:1,,2\n", 3,
         "a hex list needs bytes of 1 or 2 hex digits between commas"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:100\n", 3,
         "a hex list needs bytes of 1 or 2 hex digits between commas"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex(z):00\n", 3,
         "hex( needs a hex type number and ):"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\\n", 3,
         "a hex list continued past the end"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=str:x\n", 3, "unknown value data"},
    };
    std::string deep = "REGEDIT4\n[HKEY_CURRENT_USER";
    for (int i = 0; i < 513; ++i)
        deep += "\\k";
    deep += "]\n";
    const RegistryParseResult tooDeep = ParseRegistryText(deep);
    EXPECT_FALSE(tooDeep.tree);
    EXPECT_EQ(tooDeep.problem, "a key more than 512 levels deep");
    for (const auto& c : cases) {
        const RegistryParseResult parsed = ParseRegistryText(c.text);
        EXPECT_FALSE(parsed.tree) << c.text;
        EXPECT_EQ(parsed.line, c.line) << c.text;
        EXPECT_EQ(parsed.problem, c.problem) << c.text;
    }
}
