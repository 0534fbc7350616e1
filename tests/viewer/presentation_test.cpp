// Presentations in a full-screen view: scripts run against the view with
// the user's clicks and keys queued for it, and containers shown through the
// viewer's own entry, with what each block kind does.
#include "../display/displayfixture.h"
#include "../platform/dialogs/scriptedprompts.h"
#include "../support/thrownmessage.h"

#include "bxpack/pxrwriter.h"
#include "platform/win/messages.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "viewer/bxscript.h"
#include "viewer/preferences.h"
#include "viewer/presentation.h"
#include "viewer/pxrinput.h"
#include "viewer/showfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTesselClassic = 1;
constexpr int32_t kCrossEye = 4;
constexpr uint16_t kUnknownBlock = 77;

// A view that notes the width of every picture it is given and counts the
// animation frames blitted to it.
class RecordingView : public BxView {
public:
    int ShowImage(const pxImage& stereoImage, const pxPalette* palette, uint32_t layout,
                  int32_t methodId) override {
        shown.push_back(stereoImage.GetWidth());
        return BxView::ShowImage(stereoImage, palette, layout, methodId);
    }
    int BltImage(const pxImage& image, const win::BITMAPINFO* header,
                 const px2Pnt* point) override {
        ++blits;
        return BxView::BltImage(image, header, point);
    }
    std::vector<int> shown;
    int blits = 0;
};

class Presentation : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        UseProfile("mode 640x480x32\ndesktop 640x480x32\n");
        WithDirectDraw(true);
        TheViewerSettings().stereoView = GetStereoMethodByID(kCrossEye);
        view.Create(DisplayGDI, DDSurfSingle, ModeType{ModeFixed, 640, 480, 32, 0}, 0);
    }
    void TearDown() override {
        if (view.IsActive())
            view.Destroy(0);
        TheViewerSettings().stereoView = nullptr;
        DisplayTest::TearDown();
    }

    // A side-by-side pair of one colour, width pixels wide, in the scratch
    // folder.
    std::string Picture(const std::string& name, int width, unsigned char red) {
        const std::string path = scratch.File(name);
        std::ofstream file(path, std::ios::binary);
        file << "P6\n" << width << " 60\n255\n";
        for (int p = 0; p < width * 60; ++p)
            file << static_cast<char>(red) << '\0' << '\x40';
        return path;
    }

    void Post(win::UINT message, win::WPARAM wParam = 0) {
        win::PostMessage(view.GetSafeHwnd(), message, wParam, 0);
    }

    // A container of the blocks in a file of the scratch folder.
    std::string Container(const std::string& name, const std::vector<PxrOutBlock>& blocks) {
        const std::string path = scratch.File(name);
        PxrWriter writer(path);
        for (const PxrOutBlock& block : blocks)
            writer.Add(block);
        writer.Finish();
        return path;
    }
    static PxrOutBlock Script(const std::string& text, bool compressed = false) {
        return {PXR_BLOCK_SCRIPT, compressed, std::nullopt, std::nullopt, PxrTextBody(text)};
    }
    static PxrOutBlock Wrapped(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        const PxrBytes contents{std::istreambuf_iterator<char>(file), {}};
        return {PXR_BLOCK_WRAP, true, std::nullopt, std::nullopt,
                PxrWrapBody(std::filesystem::path(path).filename().string(), contents)};
    }
    // Files the presentation left in the temporary folder.
    std::vector<std::string> TemporaryFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temporary.Path()))
            if (entry.path().filename().string().rfind("pxr", 0) == 0)
                names.push_back(entry.path().filename().string());
        return names;
    }

    systest::ScratchDirectory temporary;
    systest::ScopedEnvironment tmpdir{"TMPDIR", temporary.Path().c_str()};
    dialogtest::ScriptedPrompts prompts;
    RecordingView view;
};

TEST_F(Presentation, AScriptShowsPicturesInTurnWaitsForTheUserAndLoopsUntilEscape) {
    Picture("first.ppm", 200, 0xF0);
    Picture("second.ppm", 320, 0x80);
    BxScript script(scratch.Path());
    const std::string text = "image first\nimage second\n"
                             "first.load first.ppm\n"
                             "second.LOAD \"" +
                             scratch.File("second.ppm") +
                             "\"\n"
                             "label top\n"
                             "display first\n"
                             "wait { on click anywhere do goto top }\n"
                             "display second\n"
                             "wait { on key anywhere do goto top\n on rightclick x do goto top }\n"
                             "goto top\n";
    script.Build(text.c_str());
    // Two rounds: a click, a key, a click, a right click; then Escape,
    // which ends the presentation though keys are awaited.
    Post(win::WM_LBUTTONDOWN);
    Post(win::WM_CHAR, 'n');
    Post(win::WM_LBUTTONDOWN);
    Post(win::WM_RBUTTONDOWN);
    Post(win::WM_LBUTTONDOWN);
    Post(win::WM_CHAR, 27);
    EXPECT_EQ(script.Execute(view), 1);
    EXPECT_EQ(view.shown, (std::vector<int>{200, 320, 200, 320, 200, 320}));
    EXPECT_FALSE(view.IsActive());
    const std::string logged = log.Text();
    EXPECT_NE(logged.find("StatementWait::Execute -- wait on event: 4 513\n"), std::string::npos);
    EXPECT_NE(logged.find("BxScript::Execute -- searching for top for the next statement to "
                          "execute\n"),
              std::string::npos);
    EXPECT_NE(logged.find("StatmentWait::Execute -- done\n"), std::string::npos);
}

TEST_F(Presentation, AScriptThatLoopsWithoutWaitingEndsWhenTheUserClosesTheView) {
    BxScript script;
    script.Build("label spin\ngoto spin");
    Post(win::WM_CHAR, 27);
    EXPECT_EQ(script.Execute(view), 1);
    EXPECT_FALSE(view.IsActive());
}

TEST_F(Presentation, RuntimeErrorsAndTheQuietCases) {
    Picture("pic.ppm", 200, 0xF0);
    const auto run = [&](const char* text) {
        return ThrownMessage([&] {
            BxScript script(scratch.Path());
            script.Build(text);
            script.Execute(view);
        });
    };
    EXPECT_EQ(run("label a\ngoto nowhere"), "No such statement: 'nowhere'.  Cannot continue.");
    EXPECT_EQ(run("image pic\npic.show x"), "RUNTIME ERROR: Unsupported object function: show");
    EXPECT_EQ(run("image pic\npic.LOAD"),
              "RUNTIME ERROR:  Cannot LOAD image, no image name specified");
    EXPECT_EQ(run("image pic\ndisplay pic"),
              "RUNTIME ERROR: Image 'pic' was not loaded before DISPLAY.");
    EXPECT_NE(run("image pic\npic.load missing.jps"), "");
    // Hot spots and rectangles take any call; a wait without clauses
    // returns once nothing is queued; a label alone runs.
    EXPECT_EQ(run("hotspot h\nrectangle r\nh.glow 1\nr.anything\nwait {}\nlabel end"), "");
    EXPECT_TRUE(view.IsActive());
    BxScript empty;
    empty.Build("image pic # no statements");
    EXPECT_EQ(empty.Execute(view), 0);
    EXPECT_NE(log.Text().find("BxScript::Execute -- no statements!  returning.\n"),
              std::string::npos);
    // A relative name is taken from the presentation's folder.
    EXPECT_EQ(run("image pic\npic.load pic.ppm\ndisplay pic"), "");
    EXPECT_EQ(view.shown.back(), 200);
}

TEST_F(Presentation, TheFirstScriptRunsAfterUnknownBlocksAndTheViewIsClosedAfterIt) {
    Picture("pic.ppm", 200, 0xF0);
    Picture("other.ppm", 320, 0x80);
    const std::string file =
        Container("show.pxr", {{kUnknownBlock, false, 5u, "ignored", PxrBytes(100, 'x')},
                               {kUnknownBlock, true, std::nullopt, std::nullopt, PxrBytes(300)},
                               Script("image p\np.load pic.ppm\ndisplay p\nwait {}", true),
                               Script("image o\no.load other.ppm\ndisplay o")});
    ShowPresentationFile(file.c_str(), view);
    EXPECT_EQ(view.shown, std::vector<int>{200});
    EXPECT_FALSE(view.IsActive());
    const std::string logged = log.Text();
    const std::string unsupported = "ReadAndDisplayFile:  Unsupported PXR Block [77]\n";
    const size_t first = logged.find(unsupported);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(logged.find(unsupported, first + 1), std::string::npos);
    EXPECT_EQ(logged.find(unsupported, logged.find(unsupported, first + 1) + 1), std::string::npos);
    for (const char* line : {"script is 40 bytes\n", "---------------  Object Dump  ",
                             "done BxScript\n", "don done done\n"})
        EXPECT_NE(logged.find(line), std::string::npos) << line;
}

TEST_F(Presentation, TextsEmptyAndCutShortContainersEndWithTheirMessages) {
    const auto shown = [&](const std::string& file) {
        return ThrownMessage([&] { ShowPresentationFile(file.c_str(), view); });
    };
    EXPECT_EQ(shown(Container("message.pxr",
                              {{PXR_BLOCK_TEXT, true, std::nullopt, std::nullopt,
                                PxrTextBody("This presentation needs 100% of your attention.")},
                               Script("label never")})),
              "This presentation needs 100% of your attention.");
    EXPECT_TRUE(view.IsActive());

    // An empty text ends the presentation quietly.
    EXPECT_EQ(shown(Container("empty.pxr", {{PXR_BLOCK_TEXT, false, std::nullopt, std::nullopt,
                                             PxrTextBody("")}})),
              "");
    EXPECT_FALSE(view.IsActive());

    EXPECT_EQ(shown(Container("nothing.pxr", {}))
                  .rfind("This PXR file does not contain any "
                         "supported block types.  The file may be "
                         "corrupt, but more likely you need to "
                         "obtain an updated version of Binoxa.",
                         0),
              0u);
    EXPECT_NE(log.Text().find("ReadAndDisplayFile:  No supported block type found\n"),
              std::string::npos);

    // A script cut short: the file ends inside its block.
    const std::string whole = Container("whole.pxr", {Script("label a\nlabel b\nlabel c")});
    std::filesystem::resize_file(whole, std::filesystem::file_size(whole) - 14);
    EXPECT_EQ(shown(whole), "This PXR file ends in the middle of a block.  The file is "
                            "incomplete or corrupt.");
    // A script longer than its block is refused before anything is allocated.
    EXPECT_EQ(shown(Container("liar.pxr", {{PXR_BLOCK_SCRIPT, false, std::nullopt, std::nullopt,
                                            PxrBytes{0xF0, 0xFF, 0xFF, 0xFF, 'g', 'o'}}})),
              "Error loading PXR block.  This PXR file may be corrupt.");
    // A container wrapping a container is refused rather than followed.
    const std::string inner = Container("inner.pxr", {Script("label a")});
    EXPECT_EQ(shown(Container("outer.pxr", {Wrapped(inner)})),
              "This PXR file wraps another PXR file, which cannot be shown.");
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

TEST_F(Presentation, AWrappedAnimationNeedsTheShutterGlassesAndLeavesNoTemporaryFile) {
    const std::string file = Container("orbit.pxr", {Wrapped(BINOXA_SAMPLES_DIR "/orbit.avi")});
    // Under Crosseye the notification names the methods that can show it.
    ShowPresentationFile(file.c_str(), view);
    EXPECT_FALSE(view.IsActive());
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    const win::DialogPrompt& dialog = prompts.dialogs[0];
    EXPECT_EQ(dialog.caption, "Binoxa PXR File Notification");
    EXPECT_EQ(dialog.Control(1001)->text, "Crosseye");
    EXPECT_EQ(dialog.Control(1002)->items,
              (std::vector<std::string>{"Tessel Classic", "Tessel Web (OSPI)"}));
    EXPECT_EQ(dialog.Control(1003)->text.rfind("Please change your viewing method to one of the "
                                               "above methods.",
                                               0),
              0u);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});

    // With the shutter glasses it plays to its end and closes the view.
    systest::ScopedEnvironment configHome("XDG_CONFIG_HOME", scratch.Path().c_str());
    systest::WriteFile(scratch.File("binoxa/z_tessel.ini"), "[INSTALL]\nFinished_Install=yes\n");
    TheViewerSettings().stereoView = GetStereoMethodByID(kTesselClassic);
    RecordingView tesselView;
    tesselView.Create(DisplayGDI, DDSurfSingle, ModeType{ModeFixed, 640, 480, 32, 0}, 0);
    ShowPresentationFile(file.c_str(), tesselView);
    EXPECT_FALSE(tesselView.IsActive());
    EXPECT_GT(tesselView.blits, 0) << "no frame reached the view";
    EXPECT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

} // namespace
