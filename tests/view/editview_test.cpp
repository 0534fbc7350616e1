// EditView: the overlap of the two placed eyes, the keys that move and
// select them, and the overlap as it is drawn.
#include "viewfixture.h"

#include "view/editview.h"

#include "imaging/pixelops.h"

#include "platform/win/input.h"
#include "platform/win/messages.h"
#include "stereo/cpair.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kPairLayout = LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST;

win::RECT Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}

std::string Text(const win::RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

std::string Text(const px2Rect& r) {
    return "[" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) +
           "x" + std::to_string(r.height) + "]";
}

void Down(const BxView& view, win::WPARAM key) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_KEYDOWN, key, 1);
}

void Up(const BxView& view, win::WPARAM key) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_KEYUP, key, 1);
}

void Char(const BxView& view, win::UINT character) {
    win::SendMessage(view.GetSafeHwnd(), win::WM_CHAR, character, 1);
}

class EditViewTest : public ViewTest {
protected:
    static constexpr px2Size kEye{400, 300};

    std::unique_ptr<EditView> ShownView() {
        UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
        auto view = std::make_unique<EditView>();
        view->SetStatusBar(false);
        view = Created(std::move(view), 1024, 768, 24, 0, DisplayGDI);
        EXPECT_EQ(view->ShowImage(picture, nullptr, kPairLayout, kParallel), 1);
        return view;
    }

    // Both cuts, and the settings the view renders, as one line.
    static std::string Cuts(const EditView& view) {
        const ConversionSettings& settings = view.GetConversionSettings();
        std::string line = Text(view.Cut(0)) + " " + Text(view.Cut(1));
        if (!settings.leftRect || !settings.rightRect)
            return line + " (no rectangles in the settings)";
        if (Text(*settings.leftRect) != Text(view.Cut(0)) ||
            Text(*settings.rightRect) != Text(view.Cut(1)))
            line +=
                " (settings " + Text(*settings.leftRect) + " " + Text(*settings.rightRect) + ")";
        return line;
    }

    // The frame shows the left eye's cut and then the right eye's, pixel for
    // pixel, taken from the side-by-side picture.
    void ExpectDrawnCuts(const EditView& view) {
        const px2Rect left = view.Cut(0);
        const px2Rect right = view.Cut(1);
        const pxImage& frame = view.GetDisplay()->whole;
        const px2Rect drawn = DrawnArea(frame);
        ASSERT_EQ(drawn.width, left.width + right.width) << Text(drawn);
        ASSERT_EQ(drawn.height, left.height) << Text(drawn);
        for (int32_t y = 0; y < left.height; y += 13) {
            const uint8_t* shown = frame.Row(drawn.y + y) + drawn.x * 3;
            const uint8_t* fromLeft = picture.Row(left.y + y) + left.x * 3;
            const uint8_t* fromRight = picture.Row(right.y + y) + (kEye.width + right.x) * 3;
            ASSERT_EQ(std::memcmp(shown, fromLeft, static_cast<size_t>(left.width) * 3), 0) << y;
            ASSERT_EQ(std::memcmp(shown + left.width * 3, fromRight,
                                  static_cast<size_t>(right.width) * 3),
                      0)
                << y;
        }
    }

    pxImage picture = SideBySidePicture(kEye);
};

} // namespace

TEST(EditViewOverlap, CalcIntersectRectCutsTheOverlapOutOfEachPlacement) {
    struct Case {
        const char* what;
        win::RECT a, b;
        const char* inA;
        const char* inB;
    };
    const std::vector<Case> cases{
        {"the same", Rect(0, 0, 640, 480), Rect(0, 0, 640, 480), "(0,0,640,480)", "(0,0,640,480)"},
        {"b moved right", Rect(0, 0, 640, 480), Rect(10, 0, 650, 480), "(10,0,640,480)",
         "(0,0,630,480)"},
        {"b moved left and up", Rect(0, 0, 640, 480), Rect(-7, -3, 633, 477), "(0,0,633,477)",
         "(7,3,640,480)"},
        {"both moved", Rect(5, 20, 105, 70), Rect(-15, 30, 85, 80), "(0,10,80,50)",
         "(20,0,100,40)"},
        {"b inside a", Rect(0, 0, 100, 100), Rect(20, 30, 60, 70), "(20,30,60,70)", "(0,0,40,40)"},
        {"a inside b", Rect(20, 30, 60, 70), Rect(0, 0, 100, 100), "(0,0,40,40)", "(20,30,60,70)"},
        {"one column", Rect(0, 0, 100, 50), Rect(99, 0, 199, 50), "(99,0,100,50)", "(0,0,1,50)"},
    };
    for (const Case& c : cases) {
        win::RECT inA{-1, -1, -1, -1}, inB{-1, -1, -1, -1};
        CalcIntersectRect(c.a, c.b, inA, inB);
        EXPECT_EQ(Text(inA), c.inA) << c.what;
        EXPECT_EQ(Text(inB), c.inB) << c.what;
    }
    // No overlap, touching or apart, on either axis: both cuts are empty.
    const std::vector<std::pair<win::RECT, win::RECT>> apart{
        {Rect(0, 0, 100, 50), Rect(100, 0, 200, 50)},
        {Rect(0, 0, 100, 50), Rect(0, 50, 100, 100)},
        {Rect(0, 0, 100, 50), Rect(-300, 0, -200, 50)},
        {Rect(0, 0, 100, 50), Rect(30, -90, 130, -40)},
        {Rect(0, 0, 100, 50), Rect(500, 500, 600, 550)},
    };
    for (const auto& [a, b] : apart) {
        win::RECT inA{}, inB{};
        CalcIntersectRect(a, b, inA, inB);
        EXPECT_TRUE(ctopx(inA).IsEmpty()) << Text(a) << Text(b) << " -> " << Text(inA);
        EXPECT_TRUE(ctopx(inB).IsEmpty()) << Text(a) << Text(b) << " -> " << Text(inB);
        EXPECT_GE(inA.right - inA.left, 0) << Text(inA);
        EXPECT_GE(inA.bottom - inA.top, 0) << Text(inA);
        EXPECT_GE(inB.right - inB.left, 0) << Text(inB);
        EXPECT_GE(inB.bottom - inB.top, 0) << Text(inB);
    }
}

TEST_F(EditViewTest, ArrowsMoveTheSelectedEyeAndOnlyTheOverlapIsDrawn) {
    const auto view = ShownView();
    EXPECT_EQ(view->GetKeyMask(), 0xF001Fu);
    EXPECT_EQ(view->SelectedEye(), 0);
    EXPECT_EQ(Text(view->Placement(0)), "(0,0,400,300)");
    EXPECT_EQ(Text(view->Placement(1)), "(0,0,400,300)");
    EXPECT_EQ(Cuts(*view), "[0,0 400x300] [0,0 400x300]");
    // The eyes were split from the picture: the left one is red 200.
    ASSERT_TRUE(view->GetConversionSettings().left && view->GetConversionSettings().right);
    EXPECT_EQ(view->GetConversionSettings().left->Row(5)[2], 200);
    EXPECT_EQ(view->GetConversionSettings().right->Row(5)[2], 40);
    ExpectDrawnCuts(*view);

    // "R" selects the right eye; Shift + Right moves it 10 pixels.
    Char(*view, 'r');
    EXPECT_EQ(view->SelectedEye(), 1);
    Down(*view, win::VK_SHIFT);
    Down(*view, win::VK_RIGHT);
    Up(*view, win::VK_SHIFT);
    EXPECT_EQ(Text(view->Placement(1)), "(10,0,410,300)");
    EXPECT_EQ(Text(view->Placement(0)), "(0,0,400,300)");
    EXPECT_EQ(Cuts(*view), "[10,0 390x300] [0,0 390x300]");
    ExpectDrawnCuts(*view);

    // Without Shift one pixel; Up moves it up.
    Down(*view, win::VK_RIGHT);
    Down(*view, win::VK_UP);
    EXPECT_EQ(Text(view->Placement(1)), "(11,-1,411,299)");
    EXPECT_EQ(Cuts(*view), "[11,0 389x299] [0,1 389x299]");
    ExpectDrawnCuts(*view);

    // "L" selects the left eye, which Left and Down move.
    Char(*view, 'L');
    EXPECT_EQ(view->SelectedEye(), 0);
    Down(*view, win::VK_LEFT);
    Down(*view, win::VK_DOWN);
    EXPECT_EQ(Text(view->Placement(0)), "(-1,1,399,301)");
    EXPECT_EQ(Cuts(*view), "[12,0 388x298] [0,2 388x298]");
    ExpectDrawnCuts(*view);
    EXPECT_EQ(boxes.shown.size(), 2u);
    if (boxes.shown.size() == 2) {
        EXPECT_EQ(boxes.shown[0].text, "selected right image");
        EXPECT_EQ(boxes.shown[1].text, "selected left image");
    }

    // "X", typed as a key-down and translated by the pump, shows the whole
    // eyes again but keeps the placements: the next arrow starts from them.
    win::PostMessage(view->GetSafeHwnd(), win::WM_KEYDOWN, 'X', 1);
    while (view->PumpMessages(nullptr)) {
    }
    EXPECT_EQ(Cuts(*view), "[0,0 400x300] [0,0 400x300]");
    EXPECT_EQ(Text(view->Placement(0)), "(-1,1,399,301)");
    ExpectDrawnCuts(*view);
    Down(*view, win::VK_UP);
    EXPECT_EQ(Text(view->Placement(0)), "(-1,0,399,300)");
    EXPECT_EQ(Cuts(*view), "[12,0 388x299] [0,1 388x299]");
    ExpectDrawnCuts(*view);

    // A change to the picture shows at the next update: the eyes are split again.
    picture.Row(0)[12 * 3 + 2] = 0x7E;
    ASSERT_EQ(view->Update(true), 1);
    ExpectDrawnCuts(*view);

    // Far enough away nothing overlaps: both cuts are empty and nothing is drawn.
    Down(*view, win::VK_SHIFT);
    for (int i = 0; i < 45; ++i)
        Down(*view, win::VK_LEFT);
    Up(*view, win::VK_SHIFT);
    EXPECT_EQ(Text(view->Placement(0)), "(-451,0,-51,300)");
    EXPECT_TRUE(view->Cut(0).IsEmpty()) << Cuts(*view);
    EXPECT_TRUE(view->Cut(1).IsEmpty()) << Cuts(*view);
    EXPECT_TRUE(DrawnArea(view->GetDisplay()->whole).IsEmpty());
    EXPECT_TRUE(view->IsActive());
    view->Destroy(1);
}

TEST_F(EditViewTest, TheMaskBitsChooseWhichAlignmentKeysActAndViewKeysStillWork) {
    const auto view = ShownView();
    const auto unchanged = [&] {
        EXPECT_EQ(Text(view->Placement(0)), "(0,0,400,300)");
        EXPECT_EQ(Text(view->Placement(1)), "(0,0,400,300)");
        EXPECT_EQ(view->SelectedEye(), 0);
        EXPECT_TRUE(boxes.shown.empty());
    };

    // Only the view's keys: no alignment key acts, "+" still enlarges.
    view->SetKeyMask(KEY_ALL_VIEW_KEYS);
    for (const win::WPARAM key : {win::VK_LEFT, win::VK_RIGHT, win::VK_UP, win::VK_DOWN})
        Down(*view, key);
    Char(*view, 'R');
    Char(*view, 'r');
    unchanged();
    Char(*view, '+');
    EXPECT_DOUBLE_EQ(view->GetConversionSettings().zoom, 1.05);
    view->OriginalSize();

    // Sideways only: Up and Down do nothing.
    view->SetKeyMask(KEY_MOVE_SIDEWAYS);
    Down(*view, win::VK_UP);
    Down(*view, win::VK_UP);
    Down(*view, win::VK_DOWN);
    unchanged();
    Char(*view, '+');
    EXPECT_EQ(view->GetConversionSettings().zoom, 1.0) << "the view's keys are masked";
    Down(*view, win::VK_RIGHT);
    EXPECT_EQ(Text(view->Placement(0)), "(1,0,401,300)");

    // Up and down only.
    view->SetKeyMask(KEY_MOVE_UP_DOWN);
    Down(*view, win::VK_LEFT);
    Down(*view, win::VK_LEFT);
    Down(*view, win::VK_DOWN);
    EXPECT_EQ(Text(view->Placement(0)), "(1,1,401,301)");
    EXPECT_EQ(Cuts(*view), "[0,0 399x299] [1,1 399x299]");

    // Reset without its bit does nothing; with it the whole eyes show.
    Char(*view, 'X');
    EXPECT_EQ(Cuts(*view), "[0,0 399x299] [1,1 399x299]");
    view->SetKeyMask(KEY_RESET);
    Char(*view, 'x');
    EXPECT_EQ(Cuts(*view), "[0,0 400x300] [0,0 400x300]");
    ExpectDrawnCuts(*view);

    // Eye selection only.
    view->SetKeyMask(KEY_SELECT_EYE);
    Char(*view, 'R');
    EXPECT_EQ(view->SelectedEye(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "selected right image");
    Down(*view, win::VK_RIGHT);
    EXPECT_EQ(Text(view->Placement(1)), "(0,0,400,300)");

    // Shift without a move changes nothing; after its release steps are 1 again.
    view->SetKeyMask(KEY_ALL_EDIT_KEYS);
    Down(*view, win::VK_SHIFT);
    Up(*view, win::VK_SHIFT);
    Down(*view, win::VK_LEFT);
    EXPECT_EQ(Text(view->Placement(1)), "(-1,0,399,300)");

    // Escape leaves the view.
    Char(*view, 27);
    EXPECT_FALSE(view->IsActive());
}

TEST_F(EditViewTest, TwoPlacedEyesShowTheirOverlap) {
    UseProfile("mode 1024x768x24\ndesktop 1024x768x24\n");
    auto view = std::make_unique<EditView>();
    view = Created(std::move(view), 1024, 768, 24, 0, DisplayGDI);
    pxCPair pair(kPairLayout, picture);
    ASSERT_EQ(view->ShowImage(pair.left, Rect(0, 0, 400, 300), pair.right, Rect(50, 20, 450, 320),
                              nullptr, kParallel),
              1);
    EXPECT_EQ(Cuts(*view), "[50,20 350x280] [0,0 350x280]");
    ExpectDrawnCuts(*view);
    // The arrows move from the given placements.
    Down(*view, win::VK_LEFT);
    EXPECT_EQ(Text(view->Placement(0)), "(-1,0,399,300)");
    EXPECT_EQ(Cuts(*view), "[51,20 349x280] [0,0 349x280]");
    ExpectDrawnCuts(*view);

    // The whole picture shown next is split into eyes of the view's own: the
    // caller's pictures, whose pixels the eyes shared, stay as they were.
    pxImage before({800, 300}, 3, 4);
    CopyImage(before, {0, 0}, picture, picture.GetRect());
    ASSERT_EQ(view->ShowImage(picture, nullptr, kPairLayout, kParallel), 1);
    ASSERT_EQ(picture.GetWidth(), 800);
    ASSERT_EQ(picture.GetHeight(), 300);
    for (int32_t y = 0; y < 300; y += 7)
        ASSERT_EQ(std::memcmp(picture.Row(y), before.Row(y), 800 * 3), 0) << y;
    EXPECT_EQ(pair.left.GetWidth(), 400);
    EXPECT_EQ(Cuts(*view), "[0,0 400x300] [0,0 400x300]");
    ExpectDrawnCuts(*view);
    view->Destroy(1);
}
