#include "platform/dialogs/filedialog.h"

#include "platform/dialogs/messagebox.h"
#include "scriptedprompts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace win;
using dialogtest::ScriptedPrompts;
namespace fs = std::filesystem;

const char kFilters[] = "Binoxa files (*.jps, *.pns)\0*.jps;*.pns\0"
                        "Stereo JPEG files (*.jps)\0*.jps\0"
                        "All files (*.*)\0*.*\0";

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/filedialogXXXXXX";
        directory = mkdtemp(pattern);
        for (const char* name : {"a.jps", "b.pns", "c.bmp"})
            std::ofstream(directory + "/" + name) << "x";
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string Path(const char* name) const { return directory + "/" + name; }

    static FileDialogAnswer Chose(std::vector<std::string> files, int filterIndex = 1) {
        FileDialogAnswer answer;
        answer.ok = true;
        answer.files = std::move(files);
        answer.filterIndex = filterIndex;
        return answer;
    }

    OPENFILENAME OpenDialog(DWORD size) {
        OPENFILENAME dialog;
        buffer.assign(size, '\0');
        dialog.lpstrFilter = kFilters;
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = size;
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
        return dialog;
    }

    std::string directory;
    std::string buffer;
    ScriptedPrompts prompts;
};

TEST_F(FileDialogTest, SeveralFilesComeBackAsTheDirectoryAndTheirNames) {
    prompts.fileAnswers.push_back(Chose({Path("a.jps"), Path("b.pns"), Path("c.bmp")}, 3));
    OPENFILENAME dialog = OpenDialog(300);
    ASSERT_TRUE(GetOpenFileName(&dialog));
    const std::string expected =
        directory + '\0' + "a.jps" + '\0' + "b.pns" + '\0' + "c.bmp" + '\0' + '\0';
    EXPECT_EQ(buffer.substr(0, expected.size()), expected);
    EXPECT_EQ(dialog.nFileOffset, directory.size() + 1);
    EXPECT_EQ(dialog.nFileExtension, 0);
    EXPECT_EQ(dialog.nFilterIndex, 3u);
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    const FileDialogPrompt& shown = prompts.fileDialogs[0];
    EXPECT_FALSE(shown.save);
    EXPECT_EQ(shown.title, "Open");
    ASSERT_EQ(shown.filters.size(), 3u);
    EXPECT_EQ(shown.filters[0].description, "Binoxa files (*.jps, *.pns)");
    EXPECT_EQ(shown.filters[0].pattern, "*.jps;*.pns");
    EXPECT_EQ(shown.filters[2].pattern, "*.*");
    EXPECT_EQ(shown.filterIndex, 1); // index 0 shows the first filter
    EXPECT_EQ(shown.fileName, "");
    EXPECT_EQ(shown.flags, dialog.Flags);
}

TEST_F(FileDialogTest, OneFileComesBackAsItsFullPathWithOffsetsAndTitle) {
    prompts.fileAnswers.push_back(Chose({Path("a.jps")}, 2));
    OPENFILENAME dialog = OpenDialog(300);
    char title[4];
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = sizeof title;
    dialog.nFilterIndex = 2;
    ASSERT_TRUE(GetOpenFileName(&dialog));
    const std::string path = Path("a.jps");
    EXPECT_EQ(buffer.substr(0, path.size() + 2), path + '\0' + '\0');
    EXPECT_EQ(dialog.nFileOffset, directory.size() + 1);
    EXPECT_EQ(dialog.nFileExtension, path.size() - 3);
    EXPECT_STREQ(title, "a.j");
    EXPECT_EQ(prompts.fileDialogs[0].filterIndex, 2);
    EXPECT_EQ(dialog.nFilterIndex, 2u);
}

TEST_F(FileDialogTest, ABufferTooSmallGetsTheSizeNeededAndCancelIsNoError) {
    prompts.fileAnswers.push_back(Chose({Path("a.jps"), Path("b.pns")}));
    OPENFILENAME dialog = OpenDialog(10);
    EXPECT_FALSE(GetOpenFileName(&dialog));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    const std::size_t needed = directory.size() + 1 + 6 + 6 + 1;
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]) | static_cast<unsigned char>(buffer[1]) << 8,
              static_cast<int>(needed));
    EXPECT_EQ(buffer.substr(2), std::string(8, '\0')); // nothing else written

    // Cancel: FALSE with no error.
    EXPECT_FALSE(GetOpenFileName(&dialog));
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    OPENFILENAME wrongSize = OpenDialog(300);
    wrongSize.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileName(&wrongSize));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);

    prompts.fileAnswers.push_back(Chose({Path("a.jps"), "/elsewhere/b.pns"}));
    OPENFILENAME mixed = OpenDialog(300);
    mixed.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    EXPECT_FALSE(GetOpenFileName(&mixed));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
}

TEST_F(FileDialogTest, AMissingFileIsRefusedAndTheUserChoosesAgain) {
    prompts.fileAnswers.push_back(Chose({Path("missing.jps")}));
    prompts.fileAnswers.push_back(Chose({Path("b.pns")}));
    OPENFILENAME dialog = OpenDialog(300);
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ASSERT_TRUE(GetOpenFileName(&dialog));
    EXPECT_EQ(std::string(buffer.c_str()), Path("b.pns"));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              Path("missing.jps") +
                  "\nFile not found.\nPlease verify the correct file name was given.");
    EXPECT_EQ(prompts.boxes[0].caption, "Open");
    EXPECT_EQ(prompts.fileDialogs.size(), 2u);
}

TEST_F(FileDialogTest, SavingAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    prompts.fileAnswers.push_back(Chose({Path("a")}));     // becomes a.jps, which exists
    prompts.fileAnswers.push_back(Chose({Path("a.jps")})); // exists: replace
    prompts.boxAnswers = {IDNO, IDYES};
    OPENFILENAME dialog = OpenDialog(300);
    std::string start = "picture.jps";
    std::copy(start.begin(), start.end(), buffer.begin());
    dialog.lpstrFilter = "All Files (*.*)\0*.*\0";
    dialog.lpstrTitle = "Save As...";
    dialog.lpstrDefExt = "jpsx";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    ASSERT_TRUE(GetSaveFileName(&dialog));
    EXPECT_EQ(std::string(buffer.c_str()), Path("a.jps"));
    ASSERT_EQ(prompts.fileDialogs.size(), 2u);
    EXPECT_TRUE(prompts.fileDialogs[0].save);
    EXPECT_EQ(prompts.fileDialogs[0].title, "Save As...");
    EXPECT_EQ(prompts.fileDialogs[0].fileName, "picture.jps");
    EXPECT_EQ(prompts.fileDialogs[0].defaultExtension, "jpsx");
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[0].text,
              Path("a.jps") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(prompts.boxes[0].type, MB_YESNO | MB_ICONEXCLAMATION);

    // A name without an extension and no existing file: no question.
    prompts.fileAnswers.push_back(Chose({Path("new")}));
    OPENFILENAME fresh = OpenDialog(300);
    fresh.lpstrDefExt = "pns";
    fresh.Flags = OFN_OVERWRITEPROMPT;
    ASSERT_TRUE(GetSaveFileName(&fresh));
    EXPECT_EQ(std::string(buffer.c_str()), Path("new.pns"));
    EXPECT_EQ(prompts.boxes.size(), 2u);

    // A directory that does not exist is refused.
    prompts.fileAnswers.push_back(Chose({"/no/such/directory/x.jps"}));
    OPENFILENAME lost = OpenDialog(300);
    lost.Flags = OFN_PATHMUSTEXIST;
    EXPECT_FALSE(GetSaveFileName(&lost));
    ASSERT_EQ(prompts.boxes.size(), 3u);
    EXPECT_EQ(prompts.boxes[2].text, "/no/such/directory/x.jps\nPath does not exist.\n"
                                     "Please verify the correct path was given.");
}

} // namespace
