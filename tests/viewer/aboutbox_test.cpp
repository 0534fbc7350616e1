#include "viewer/aboutbox.h"

#include "platform/dialogs/messagebox.h"
#include "platform/dialogs/scriptedprompts.h"
#include "platform/gdi/bitmaps.h"
#include "platform/sys/clock.h"
#include "platform/sys/libraries.h"
#include "platform/win/bitmapresources.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "support/sysfixture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace win;

namespace {

// Each reading of the clock is 20 ms after the one before, so a step of the
// roll waits for three readings whatever the machine's speed.
class DrivenClock {
public:
    DrivenClock() {
        internal::SetClockSource([this] { return now += 20; });
    }
    ~DrivenClock() { internal::SetClockSource({}); }
    DrivenClock(const DrivenClock&) = delete;
    DrivenClock& operator=(const DrivenClock&) = delete;

private:
    DWORD now = 1000;
};

// Pixels copied out of a device context: rows of one rectangle.
struct Pixels {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int stride = 0;
    std::vector<std::uint8_t> bytes;

    std::vector<std::uint8_t> Row(int y) const {
        const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(y) * stride;
        return {start, start + static_cast<std::ptrdiff_t>(width) * bytesPerPixel};
    }
};

Pixels BitmapPixels(HBITMAP bitmap) {
    BITMAP size{};
    EXPECT_NE(GetObject(bitmap, sizeof size, &size), 0);
    Pixels pixels{size.bmWidth, size.bmHeight, size.bmBitsPixel / 8, size.bmWidthBytes, {}};
    pixels.bytes.resize(static_cast<std::size_t>(size.bmWidthBytes) * size.bmHeight);
    EXPECT_EQ(GetBitmapBits(bitmap, static_cast<LONG>(pixels.bytes.size()), pixels.bytes.data()),
              static_cast<LONG>(pixels.bytes.size()));
    return pixels;
}

// What the window shows in the rectangle of its client area.
Pixels WindowPixels(HWND window, const RECT& rect) {
    const HDC dc = GetDC(window);
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP copy = CreateCompatibleBitmap(dc, rect.right - rect.left, rect.bottom - rect.top);
    const HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, dc, rect.left, rect.top,
           SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    Pixels pixels = BitmapPixels(copy);
    DeleteObject(copy);
    return pixels;
}

RECT ClientRect(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return rect;
}

// Where the credits roll: the picture inside its one-pixel frame.
RECT RollArea(HWND picture) {
    const RECT client = ClientRect(picture);
    return {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
}

std::string TextOf(const DialogPrompt& shown, int id) {
    const DialogControlPrompt* control = shown.Control(id);
    return control ? control->text : "<no control " + std::to_string(id) + ">";
}

// "Built on Apr 28 1998 at 16:02:59", the day padded with a space.
bool LooksLikeBuildText(const std::string& text) {
    // X: capital, x: small letter, _: space or digit, 9: digit.
    const std::string pattern = "Built on Xxx _9 9999 at 99:99:99";
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool fits = pattern[i] == 'X'   ? std::isupper(c) != 0
                          : pattern[i] == 'x' ? std::islower(c) != 0
                          : pattern[i] == '_' ? (c == ' ' || std::isdigit(c) != 0)
                          : pattern[i] == '9' ? std::isdigit(c) != 0
                                              : c == static_cast<unsigned char>(pattern[i]);
        if (!fits)
            return false;
    }
    return true;
}

// The viewer's box, recording every step of the roll; a test adds what
// happens at a step.
class RecordingAbout : public CAboutDlg {
public:
    using CAboutDlg::CAboutDlg;

    std::vector<int> steps;
    int creditsCommands = 0;
    std::function<void(RecordingAbout&, int step)> atStep;

protected:
    void OnCreditsStep(int step) override {
        steps.push_back(step);
        if (atStep)
            atStep(*this, step);
    }
    bool OnCommand(int id, WORD code, HWND control) override {
        if (id == 1026)
            ++creditsCommands;
        return CAboutDlg::OnCommand(id, code, control);
    }
};

TEST(AboutBox, ShowsTheProgramsAndTheCoresVersionInformation) {
    const systest::ScopedEnvironment system("BINOXA_SYSTEM_DIR", CORE_SYSTEM_DIR);
    dialogtest::ScriptedPrompts prompts;
    EXPECT_EQ(CAboutDlg(nullptr).DoModal(), IDCANCEL);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    const DialogPrompt& shown = prompts.dialogs[0];
    EXPECT_EQ(shown.caption, "About Binoxa Viewer");
    EXPECT_EQ(TextOf(shown, 1020), "Binoxa Viewer");
    EXPECT_EQ(TextOf(shown, 1019), "Version 2.5.0.17");
    EXPECT_EQ(TextOf(shown, 1021), "Copyright Norvane 2026");
    EXPECT_EQ(TextOf(shown, 1028), "Binoxa Core Version 0.1.0.0");
    EXPECT_TRUE(LooksLikeBuildText(TextOf(shown, 1017))) << TextOf(shown, 1017);
    EXPECT_FALSE(shown.Control(1017)->visible);
    EXPECT_EQ(TextOf(shown, IDOK), "OK");
    EXPECT_EQ(TextOf(shown, 1026), "Credits");
    EXPECT_EQ(TextOf(shown, 1027), "dummy");
    EXPECT_FALSE(shown.Control(1027)->visible);
    // The picture shows bitmap 133 and takes its size.
    ASSERT_NE(shown.Control(1018), nullptr);
    ASSERT_NE(shown.Control(1018)->image, nullptr);
    const HBITMAP picture = LoadBitmap(nullptr, MAKEINTRESOURCE(133));
    ASSERT_NE(picture, nullptr);
    const Pixels expected = BitmapPixels(picture);
    DeleteObject(picture);
    const RECT pictureRect = shown.Control(1018)->rect;
    EXPECT_EQ(pictureRect.right - pictureRect.left, expected.width);
    EXPECT_EQ(pictureRect.bottom - pictureRect.top, expected.height);
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes[0].text;

    // The hidden button ends the box with its own id.
    prompts.dialogScripts.push_back([&](DialogSession& dialog) {
        const HWND handle = dialog.Shown().dialog;
        const HWND picture = GetDlgItem(handle, 1018);
        const Pixels shownPixels = WindowPixels(picture, ClientRect(picture));
        EXPECT_EQ(shownPixels.bytes, expected.bytes);
        SendMessage(handle, WM_COMMAND, MAKEWPARAM(1027, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(handle, 1027)));
    });
    EXPECT_EQ(CAboutDlg(nullptr).DoModal(), 1027);
}

TEST(AboutBox, LeavesTheCoreFieldWithoutTheCoreLibrary) {
    const systest::ScratchDirectory empty;
    const systest::ScopedEnvironment system("BINOXA_SYSTEM_DIR", empty.Path().c_str());
    dialogtest::ScriptedPrompts prompts;
    CAboutDlg(nullptr).DoModal();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(TextOf(prompts.dialogs[0], 1028), "binoxa core info");
    EXPECT_EQ(TextOf(prompts.dialogs[0], 1019), "Version 2.5.0.17");

    // Not asked for, the core version is not looked up at all.
    const systest::ScopedEnvironment withCore("BINOXA_SYSTEM_DIR", CORE_SYSTEM_DIR);
    CAboutDlg withoutCore(nullptr);
    withoutCore.showCoreVersion = false;
    withoutCore.DoModal();
    ASSERT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_EQ(TextOf(prompts.dialogs[1], 1028), "binoxa core info");
}

TEST(AboutBox, AFileWithoutVersionInformationKeepsTheInitialTexts) {
    const systest::ScopedEnvironment system("BINOXA_SYSTEM_DIR", CORE_SYSTEM_DIR);
    const HMODULE module = LoadLibrary(MODULE_WITHOUT_VERSION);
    ASSERT_NE(module, nullptr);
    dialogtest::ScriptedPrompts prompts;
    bool rolled = true;
    prompts.dialogScripts.push_back([&](DialogSession& dialog) {
        // Without the credits bitmap there is nothing to roll.
        EXPECT_TRUE(dialog.Click(1026));
        rolled = false;
    });
    CAboutBox box(ViewerAboutTemplate(), ViewerAboutControls(), nullptr, module);
    box.DoModal();
    EXPECT_FALSE(rolled);
    EXPECT_FALSE(box.RollRunning());
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    const DialogPrompt& shown = prompts.dialogs[0];
    EXPECT_EQ(TextOf(shown, 1019), "version");
    EXPECT_EQ(TextOf(shown, 1020), "program name");
    EXPECT_EQ(TextOf(shown, 1021), "program copyright");
    // The core is another file: its version still shows.
    EXPECT_EQ(TextOf(shown, 1028), "Binoxa Core Version 0.1.0.0");
    // The module has no artwork either.
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "error loading bitmap");
    EXPECT_EQ(shown.Control(1018)->image, nullptr);
    FreeLibrary(module);
}

// After step s, row r of the roll area shows row r + s + 1 of the tape: the
// picture as it was, the credits, and the picture again.
std::vector<std::uint8_t> TapeRow(const Pixels& before, const Pixels& credits, int row) {
    if (row < before.height)
        return before.Row(row);
    if (row < before.height + credits.height)
        return credits.Row(row - before.height);
    return before.Row(row - before.height - credits.height);
}

TEST(AboutBox, TheCreditsRollThroughThePictureOnceAndTheClockPacesThem) {
    const DrivenClock clock;
    dialogtest::ScriptedPrompts prompts;
    const HBITMAP creditsBitmap = LoadBitmap(nullptr, MAKEINTRESOURCE(152));
    ASSERT_NE(creditsBitmap, nullptr);
    const Pixels credits = BitmapPixels(creditsBitmap);
    DeleteObject(creditsBitmap);

    RecordingAbout box(nullptr);
    Pixels before;
    Pixels frameBefore;
    int checked = 0;
    HWND picture = nullptr;
    std::vector<DWORD> stepTimes;
    box.atStep = [&](RecordingAbout& self, int step) {
        stepTimes.push_back(timeGetTime());
        if (step == 3) {
            // Credits pressed again while the roll runs, as the user's click
            // arrives: through the queue.
            PostMessage(self.Handle(), WM_COMMAND, MAKEWPARAM(1026, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(self.Handle(), 1026)));
        }
        const int last = before.height + credits.height - 1;
        if (step == 0 || step == 5 || step == credits.height - 1 || step == credits.height + 7 ||
            step == last) {
            const Pixels now = WindowPixels(picture, RollArea(picture));
            for (int row = 0; row < now.height; ++row)
                ASSERT_EQ(now.Row(row), TapeRow(before, credits, row + step + 1))
                    << "step " << step << ", row " << row;
            ++checked;
        }
    };
    prompts.dialogScripts.push_back([&](DialogSession& dialog) {
        picture = GetDlgItem(dialog.Shown().dialog, 1018);
        before = WindowPixels(picture, RollArea(picture));
        frameBefore = WindowPixels(picture, ClientRect(picture));
        EXPECT_TRUE(dialog.Click(1026));
        EXPECT_FALSE(box.RollRunning());
        EXPECT_FALSE(dialog.Ended());
        // The picture is back as it was, its frame never touched.
        EXPECT_EQ(WindowPixels(picture, ClientRect(picture)).bytes, frameBefore.bytes);
    });
    box.DoModal();

    ASSERT_GT(before.height, 0);
    EXPECT_EQ(credits.width, before.width);
    EXPECT_EQ(checked, 5);
    // One roll of every step in turn: the second press started nothing.
    EXPECT_EQ(box.creditsCommands, 2);
    ASSERT_EQ(box.steps.size(), static_cast<std::size_t>(credits.height + before.height));
    for (std::size_t i = 0; i < box.steps.size(); ++i)
        ASSERT_EQ(box.steps[i], static_cast<int>(i));
    // More than 44 ms between steps, and no more waiting than that.
    for (std::size_t i = 1; i < stepTimes.size(); ++i) {
        EXPECT_GT(stepTimes[i] - stepTimes[i - 1], 44u);
        EXPECT_LE(stepTimes[i] - stepTimes[i - 1], 100u);
    }
}

TEST(AboutBox, ClosingOrADestroyMessageStopsTheRoll) {
    const DrivenClock clock;
    dialogtest::ScriptedPrompts prompts;

    RecordingAbout closed(nullptr);
    closed.atStep = [](RecordingAbout& self, int step) {
        if (step == 10)
            PostMessage(self.Handle(), WM_CLOSE, 0, 0);
    };
    prompts.dialogScripts.push_back([&](DialogSession& dialog) {
        dialog.Click(1026);
        EXPECT_TRUE(dialog.Ended());
    });
    EXPECT_EQ(closed.DoModal(), IDCANCEL);
    EXPECT_EQ(closed.steps.size(), 11u);
    EXPECT_FALSE(closed.RollRunning());

    RecordingAbout destroyed(nullptr);
    HWND dialogWindow = nullptr;
    destroyed.atStep = [&](RecordingAbout& self, int step) {
        if (step == 4)
            PostMessage(self.Handle(), WM_DESTROY, 0, 0);
    };
    bool reposted = false;
    prompts.dialogScripts.push_back([&](DialogSession& dialog) {
        dialogWindow = dialog.Shown().dialog;
        dialog.Click(1026);
        EXPECT_FALSE(destroyed.RollRunning());
        // The message goes back to the dialog for whoever runs it.
        MSG message;
        reposted = PeekMessage(&message, dialogWindow, WM_DESTROY, WM_DESTROY, PM_REMOVE) != FALSE;
        EXPECT_FALSE(dialog.Ended());
        // A new roll starts once the last one has stopped.
        destroyed.atStep = [](RecordingAbout& self, int step) {
            if (step == 2)
                PostMessage(self.Handle(), WM_CLOSE, 0, 0);
        };
        dialog.Click(1026);
    });
    destroyed.DoModal();
    EXPECT_TRUE(reposted);
    EXPECT_EQ(destroyed.steps, (std::vector<int>{0, 1, 2, 3, 4, 0, 1, 2}));
}

} // namespace
