#include "imaging/pxdisp.h"

#include "imaging/font.h"
#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Pixels = std::vector<std::vector<uint8_t>>;

Pixels Snapshot(const pxImage& image) {
    Pixels rows;
    const size_t rowBytes = static_cast<size_t>(image.GetWidth() * image.GetBytesPerPixel());
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        rows.emplace_back(image.Row(y), image.Row(y) + rowBytes);
    return rows;
}

void FillPattern(pxImage& image) {
    const int32_t rowBytes = image.GetWidth() * image.GetBytesPerPixel();
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t i = 0; i < rowBytes; ++i)
            image.Row(y)[i] = static_cast<uint8_t>(7 * i + 13 * y + 1);
}

std::vector<std::string> events;

void RecordWait(int keyboardMessages) {
    events.push_back("wait " + std::to_string(keyboardMessages));
}

// Records every refresh, and what the frame showed at the first full refresh.
class RecordingDisp : public pxDisp {
public:
    void Refresh() override {
        events.push_back("Refresh");
        if (shown.empty())
            shown = Snapshot(whole);
    }
    void RefreshRect(const px2Rect& rect) override { rects.push_back(rect); }

    std::vector<px2Rect> rects;
    Pixels shown;
};

class TextRecordingDisp : public pxDisp {
public:
    void Message(const char* text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        events.clear();
        pxSetKeyWaitHook(RecordWait);
    }
    void TearDown() override { pxSetKeyWaitHook(nullptr); }

    // Shows text on a patterned frame of the given size and depth and checks
    // that the frame comes back exactly; returns what the frame showed.
    Pixels Show(const char* text, px2Size size, int32_t depth = 1, int32_t bottomUp = 0) {
        events.clear();
        RecordingDisp display;
        display.Resize(size, PAIR_SIDE_BY_SIDE_LEFT_FIRST, depth, 4, bottomUp);
        FillPattern(display.whole);
        const Pixels before = Snapshot(display.whole);
        display.Message(text);
        EXPECT_EQ(Snapshot(display.whole), before) << "frame not restored";
        EXPECT_EQ(events, (std::vector<std::string>{"Refresh", "wait 2", "Refresh"}));
        return display.shown;
    }
};

bool GlyphPixel(unsigned char character, int32_t x, int32_t y) {
    return pxFontImage().Row(character * kCharHeight + y)[x] != 0;
}

// Reads back the characters of one text line of a 1-byte message box: the
// cells from x = 8, drawn over the box's 0, matched against the font.
std::string ReadLine(const Pixels& shown, int32_t top, int cells) {
    std::string line;
    for (int cell = 0; cell < cells; ++cell) {
        const int32_t left = kCharWidth * (cell + 1);
        char found = '?';
        for (int c = 126; c >= 32; --c) {
            bool same = true;
            for (int32_t y = 0; y < kCharHeight && same; ++y)
                for (int32_t x = 0; x < kCharWidth && same; ++x)
                    same = (shown[static_cast<size_t>(top + y)][static_cast<size_t>(left + x)] !=
                            0) == GlyphPixel(static_cast<unsigned char>(c), x, y);
            if (same)
                found = static_cast<char>(c);
        }
        line += found;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// The text lines of a message box on an 80-pixel-wide frame: 8 characters each.
std::vector<std::string> ShownLines(const char* text) {
    RecordingDisp display;
    display.Resize({80, 200}, PAIR_SIDE_BY_SIDE_LEFT_FIRST, 1, 4, 0);
    FillPattern(display.whole);
    display.Message(text);
    std::vector<std::string> lines;
    for (int32_t top = 9; top + kCharHeight < 200; top += 18) {
        const std::string line = ReadLine(display.shown, top, 8);
        if (line == "Press En")
            break;
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(PxDisp, DefaultsBuildTheFrameAndRefuseTheRest) {
    pxDisp display;
    display.Resize({8, 6}, PAIR_OVER_UNDER_LEFT_TOP, 3, 4, 1);
    EXPECT_EQ(display.whole.GetSize().width, 8);
    EXPECT_EQ(display.whole.GetBytesPerPixel(), 3);
    EXPECT_EQ(display.whole.GetBuff()->GetBytesPerRow(), 24);
    EXPECT_EQ(display.whole.GetBottomUp(), 1);
    EXPECT_EQ(display.left.GetHeight(), 3);
    EXPECT_EQ(display.right.GetY(), 3);
    EXPECT_EQ(display.right.GetBuff(), display.whole.GetBuff());

    EXPECT_EQ(ThrownMessage([&] { display.SetPalette(pxPalette()); }),
              "SetPalette not supported for this display");
    EXPECT_EQ(ThrownMessage([&] {
                  display.SetBufferOffset({1, 2});
              }),
              "SetBufferOffset not supported for this display");
    EXPECT_EQ(ThrownMessage([&] { display.Refresh(); }), "pxDisp Function not Implemented");
    EXPECT_EQ(ThrownMessage([&] {
                  display.RefreshRect({0, 0, 1, 1});
              }),
              "pxDisp Function not Implemented");
    EXPECT_EQ(ThrownMessage([&] {
                  display.RefreshPair({0, 0}, {1, 1}, {0, 0}, {1, 1});
              }),
              "pxDisp Function not Implemented");
}

TEST(PxDisp, RefreshPairJoinsOverlappingEyeRectangles) {
    auto refreshed = [](int32_t pairType, px2Pnt leftPoint, px2Size leftSize, px2Pnt rightPoint,
                        px2Size rightSize) {
        RecordingDisp display;
        display.Resize({20, 10}, pairType, 1, 1, 0);
        display.RefreshPair(leftPoint, leftSize, rightPoint, rightSize);
        std::vector<std::vector<int32_t>> rects;
        for (const px2Rect& r : display.rects)
            rects.push_back({r.x, r.y, r.width, r.height});
        return rects;
    };
    using Rects = std::vector<std::vector<int32_t>>;

    // Side by side: the right eye starts at x 10.
    EXPECT_EQ(refreshed(PAIR_SIDE_BY_SIDE_LEFT_FIRST, {2, 1}, {5, 3}, {0, 1}, {5, 3}),
              (Rects{{2, 1, 5, 3}, {10, 1, 5, 3}}));
    // Over/under halves only touch: two rectangles.
    EXPECT_EQ(refreshed(PAIR_OVER_UNDER_LEFT_TOP, {0, 0}, {20, 5}, {0, 0}, {20, 5}),
              (Rects{{0, 0, 20, 5}, {0, 5, 20, 5}}));
    // Field views: 2 rows of the even field from row 2 cover frame rows 2-4,
    // 2 rows of the odd field from row 3 cover 3-5; they overlap, so one union.
    EXPECT_EQ(refreshed(PAIR_INTERLEAVED_LEFT_FIRST, {1, 1}, {4, 2}, {2, 1}, {4, 2}),
              (Rects{{1, 2, 5, 4}}));
    // Odd-field left eye (right first): row 0 of the left eye is frame row 1.
    EXPECT_EQ(refreshed(PAIR_INTERLEAVED_RIGHT_FIRST, {0, 0}, {3, 1}, {5, 4}, {3, 1}),
              (Rects{{0, 1, 3, 1}, {5, 8, 3, 1}}));
}

TEST(PxDisp, PrintfFormatsAndCutsTheText) {
    TextRecordingDisp display;
    display.Printf("%d %s%%", 42, "done");
    const std::string longText(300, 'x');
    display.Printf("%s", longText.c_str());
    ASSERT_EQ(display.messages.size(), 2u);
    EXPECT_EQ(display.messages[0], "42 done%");
    EXPECT_EQ(display.messages[1], longText.substr(0, 255));
}

TEST_F(MessageTest, BoxShowsBorderTextAndPromptThenFrameIsRestored) {
    const Pixels shown = Show("hello world", {80, 100}, 1, /*bottomUp=*/1);
    // Two text lines and the prompt: box height (2 + 2) x 18.
    const int32_t boxHeight = 72;
    for (int32_t y = 0; y < boxHeight; ++y)
        for (int32_t x = 0; x < 80; ++x) {
            const bool border = x == 0 || x == 79 || y == 0 || y == boxHeight - 1;
            const uint8_t value = shown[static_cast<size_t>(y)][static_cast<size_t>(x)];
            if (border)
                ASSERT_EQ(value, 255) << x << "," << y;
            else
                ASSERT_TRUE(value == 0 || value == 255) << x << "," << y;
        }
    EXPECT_EQ(ReadLine(shown, 9, 8), "hello");
    EXPECT_EQ(ReadLine(shown, 27, 8), "world");
    EXPECT_EQ(ReadLine(shown, 45, 8), "Press En");
    // An empty text shows only the prompt, in a box of two line heights.
    const Pixels empty = Show("", {200, 50});
    EXPECT_EQ(ReadLine(empty, 9, 23), "Press Enter to continue");
    EXPECT_EQ(empty[35][100], 255);
    EXPECT_NE(empty[36][100], 255);
}

TEST_F(MessageTest, LinesBreakAtBlanksNewlinesOrTheLimit) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(ShownLines("hello world"), (Lines{"hello", "world"}));
    EXPECT_EQ(ShownLines("abcde\tfghij"), (Lines{"abcde", "fghij"}));
    EXPECT_EQ(ShownLines("abcdefghijkl"), (Lines{"abcdefgh", "ijkl"}));
    // The only blank lies before half the line: break hard.
    EXPECT_EQ(ShownLines("ab cdefghijk"), (Lines{"ab cdefg", "hijk"}));
    // A blank right at the limit; blanks and newlines after a break are skipped.
    EXPECT_EQ(ShownLines("abcdefgh \n x"), (Lines{"abcdefgh", "x"}));
    EXPECT_EQ(ShownLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    // Colour codes count as characters of the line but are not drawn.
    EXPECT_EQ(ShownLines("^Rab^w c"), (Lines{"ab c"}));
}

TEST_F(MessageTest, DeepFramesAndTinyFramesWork) {
    for (const int32_t depth : {3, 4}) {
        const Pixels shown = Show("hi", {64, 60}, depth);
        const auto pixel = [&](int32_t x, int32_t y) {
            const auto* p = &shown[static_cast<size_t>(y)][static_cast<size_t>(x * depth)];
            return std::vector<uint8_t>(p, p + depth);
        };
        // Blue, green, red of the default palette; a fourth byte is cleared.
        std::vector<uint8_t> white(static_cast<size_t>(depth), 255);
        std::vector<uint8_t> black(static_cast<size_t>(depth), 0);
        if (depth == 4)
            white[3] = 0;
        EXPECT_EQ(pixel(0, 0), white);
        EXPECT_EQ(pixel(63, 30), white);
        EXPECT_EQ(pixel(1, 1), black);
    }

    // Too narrow for even one character per line, or shorter than the box.
    for (const px2Size size : {px2Size{1, 1}, px2Size{16, 200}, px2Size{23, 5}, px2Size{3, 40}}) {
        Show("a long text that has to break somewhere", size, 3);
        Show("a long text that has to break somewhere", size, 1);
    }
}

TEST_F(MessageTest, FrameIsRestoredWhenRefreshFails) {
    pxDisp display;
    display.Resize({40, 40}, PAIR_SIDE_BY_SIDE_LEFT_FIRST, 1, 1, 0);
    FillPattern(display.whole);
    const Pixels before = Snapshot(display.whole);
    EXPECT_EQ(ThrownMessage([&] { display.Message("text"); }), "pxDisp Function not Implemented");
    EXPECT_EQ(Snapshot(display.whole), before);
    EXPECT_TRUE(events.empty());

    display.Resize({40, 40}, PAIR_SIDE_BY_SIDE_LEFT_FIRST, 2, 1, 0);
    FillPattern(display.whole);
    const Pixels twoBytes = Snapshot(display.whole);
    EXPECT_EQ(ThrownMessage([&] { display.Message("text"); }),
              "pxFillRect/Image:  Invalid image bpp (2).");
    EXPECT_EQ(Snapshot(display.whole), twoBytes);

    // Without a frame there is nothing to show and nothing to wait for.
    RecordingDisp unsized;
    unsized.Message("text");
    EXPECT_TRUE(events.empty());
}
