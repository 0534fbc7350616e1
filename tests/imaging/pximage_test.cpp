#include "imaging/pxerror.h"
#include "imaging/pximage.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// Numbers every byte of a 1-byte image by its buffer row (row r holds r).
void NumberRows(const pxImage& image) {
    pxImageBuff* buff = image.GetBuff();
    for (int32_t r = 0; r < buff->GetHeight(); ++r)
        for (int32_t b = 0; b < buff->GetBytesPerRow(); ++b)
            buff->GetData()[r * buff->GetBytesPerRow() + b] = static_cast<uint8_t>(r);
}

} // namespace

TEST(PxPalette, NewPaletteHoldsTheTwentySystemColours) {
    const pxPalette palette;
    ASSERT_EQ(palette.GetCount(), 256);
    EXPECT_EQ(palette[0], pxColor::Rgb(0, 0, 0));
    EXPECT_EQ(palette[1], pxColor::Rgb(128, 0, 0));
    EXPECT_EQ(palette[8], pxColor::Rgb(192, 220, 192));
    EXPECT_EQ(palette[9], pxColor::Rgb(164, 200, 240));
    EXPECT_EQ(palette[246], pxColor::Rgb(255, 251, 240));
    EXPECT_EQ(palette[247], pxColor::Rgb(160, 160, 164));
    EXPECT_EQ(palette[249], pxColor::Rgb(255, 0, 0));
    EXPECT_EQ(palette[252], pxColor::Rgb(0, 0, 255));
    EXPECT_EQ(palette[255], pxColor::Rgb(255, 255, 255));
    for (int i = 10; i <= 245; ++i)
        EXPECT_EQ(palette[i], pxColor{}) << i;

    pxPalette copy;
    copy.SetCount(16);
    copy = palette;
    EXPECT_EQ(copy.GetCount(), 256);
    EXPECT_EQ(copy[250], pxColor::Rgb(0, 255, 0));
    EXPECT_FALSE(ThrownMessage([&] { copy.SetCount(257); }).empty());

    EXPECT_EQ(pxColor::FromValue(0x00030201u), pxColor::Rgb(1, 2, 3));
    EXPECT_EQ(pxColor::Rgb(1, 2, 3).Value(), 0x00030201u);
}

TEST(PxImageBuff, ResizeRefusesBadArgumentsAndAlignsRows) {
    pxImage image;
    EXPECT_EQ(ThrownMessage([&] { image.Create({0, 5}, 3); }), "Bad Args to Resize(0,5,3,1,...)");
    EXPECT_EQ(ThrownMessage([&] { image.Create({4, 0}, 3); }), "Bad Args to Resize(4,0,3,1,...)");
    EXPECT_EQ(ThrownMessage([&] { image.Create({4, 4}, 5); }), "Bad Args to Resize(4,4,5,1,...)");
    EXPECT_EQ(ThrownMessage([&] {
                  image.Create({4, 4}, 3, 0);
              }),
              "Bad Args to Resize(4,4,3,0,...)");
    EXPECT_EQ(ThrownMessage([] {
                  pxImage failed({-1, 1}, 1);
              }),
              "Bad Args to Resize(-1,1,1,1,...)");

    const pxImage aligned({3, 2}, 3, 4);
    EXPECT_EQ(aligned.GetBuff()->GetBytesPerRow(), 12);
    EXPECT_EQ(aligned.GetStride(), 12);
    EXPECT_EQ(aligned.GetRowPad(), 3);

    // A row too long for a 32-bit stride, and more than a picture may take.
    EXPECT_EQ(ThrownMessage([] {
                  pxImage huge({1 << 30, 2}, 4);
              }).rfind("Unable to allocate ", 0),
              0u);
    EXPECT_EQ(ThrownMessage([] {
                  pxImage huge({1 << 28, 1 << 28}, 4);
              }),
              "Unable to allocate 1073741824 x 268435456 = 288230376151711744 bytes for image");
}

TEST(PxImageBuff, ReferencesAreCountedAndBorrowedMemoryIsNeverFreed) {
    EXPECT_EQ(ThrownMessage([] { pxImageBuff::AddRef(nullptr); }), "Referenced null imagebuff\n");
    EXPECT_NO_THROW(pxImageBuff::Release(nullptr));

    pxImage frame({4, 4}, 1);
    pxImageBuff* buff = frame.GetBuff();
    EXPECT_EQ(buff->GetRefCount(), 1);
    {
        const pxImage view(frame, px2Rect{1, 1, 2, 2});
        const pxImage copy = view;
        EXPECT_EQ(buff->GetRefCount(), 3);
        EXPECT_EQ(copy.GetBuff(), buff);
    }
    EXPECT_EQ(buff->GetRefCount(), 1);

    std::vector<uint8_t> memory(4 * 3, 7);
    {
        pxImage borrowed({4, 3}, 1, 1, 0, memory.data());
        EXPECT_FALSE(borrowed.GetBuff()->OwnsData());
        EXPECT_EQ(borrowed.GetPixels(), memory.data());
        borrowed.Row(2)[3] = 9;
        // Re-creating from owned memory forgets the borrowed block.
        borrowed.Create({4, 3}, 1);
        EXPECT_TRUE(borrowed.GetBuff()->OwnsData());
        EXPECT_NE(borrowed.GetPixels(), memory.data());
    }
    EXPECT_EQ(memory[11], 9);
}

TEST(PxImage, CreateOnASharedBufferResizesItForEveryView) {
    pxImage a({4, 4}, 1);
    pxImage b = a;
    a.GetPixels()[5] = 42;
    const uint8_t* before = a.GetPixels();

    // Same size: the memory and its contents are kept.
    b.Create({4, 4}, 1);
    EXPECT_EQ(b.GetPixels(), before);
    EXPECT_EQ(b.GetPixels()[5], 42);

    // A new size is seen by every view of the buffer.
    b.Create({8, 2}, 3);
    EXPECT_EQ(a.GetBuff(), b.GetBuff());
    EXPECT_EQ(a.GetBuff()->GetWidth(), 8);
    EXPECT_EQ(a.GetBuff()->GetBytesPerPixel(), 3);
    a.Attach(b);
    EXPECT_EQ(a.GetSize().width, 8);
    EXPECT_EQ(a.GetSize().height, 2);
    EXPECT_EQ(a.GetBytesPerPixel(), 3);
}

TEST(PxImage, NewPicturesStartBlackWhateverTheMemoryHeldBefore) {
    // Small pictures come from reused heap memory, large ones from fresh pages.
    for (const px2Size size : {px2Size{7, 5}, px2Size{3000, 1000}}) {
        for (int round = 0; round < 2; ++round) {
            pxImage picture(size, 3);
            const pxImageBuff& buff = *picture.GetBuff();
            const size_t bytes = size_t(buff.GetBytesPerRow()) * size_t(buff.GetHeight());
            uint8_t* pixels = buff.GetData();
            EXPECT_EQ(std::count(pixels, pixels + bytes, 0), std::ptrdiff_t(bytes));
            // Dirty the memory so that the next round would see it if reused.
            std::fill(pixels, pixels + bytes, uint8_t{0xAB});
        }
    }
}

TEST(PxImage, FieldViewsTakeEvenRowsRoundedUpAndOddRowsRoundedDown) {
    pxImage frame({3, 5}, 1);
    NumberRows(frame);

    const pxImage even(frame, FIELD_EVEN, BOTTOMUP_INHERIT);
    ASSERT_EQ(even.GetHeight(), 3);
    EXPECT_EQ(even.GetStride(), 6);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(even.Row(r)[0], 2 * r);

    const pxImage odd(frame, FIELD_ODD, BOTTOMUP_INHERIT);
    ASSERT_EQ(odd.GetHeight(), 2);
    EXPECT_EQ(odd.Row(0)[0], 1);
    EXPECT_EQ(odd.Row(1)[0], 3);

    pxImage view;
    EXPECT_EQ(ThrownMessage([&] { view.Attach(odd, FIELD_EVEN); }),
              "Bad field combination in Attach");
    view.Attach(odd, FIELD_INHERIT);
    EXPECT_EQ(view.GetFieldType(), FIELD_ODD);
    EXPECT_EQ(view.GetHeight(), 2);
    view.Attach(odd, FIELD_ODD);
    EXPECT_EQ(view.GetHeight(), 2);

    // A rectangle of a field view counts in field rows.
    const pxImage second(odd, px2Rect{1, 1, 2, 1});
    EXPECT_EQ(second.Row(0)[0], 3);
    EXPECT_EQ(second.GetPixels(), frame.Row(3) + 1);

    EXPECT_EQ(odd.ToFrame({2, 1}).x, 2);
    EXPECT_EQ(odd.ToFrame({2, 1}).y, 3);
    EXPECT_EQ(even.ToFrame({0, 2}).y, 4);
    EXPECT_EQ(frame.ToFrame({1, 4}).y, 4);
}

TEST(PxImage, BottomUpViewsWalkThePictureTopToBottom) {
    pxImage frame({2, 4}, 3, 4, 1);
    ASSERT_EQ(frame.GetBuff()->GetBytesPerRow(), 8);
    NumberRows(frame);
    EXPECT_EQ(frame.GetStride(), -8);
    EXPECT_EQ(frame.GetRowPad(), -14);
    // The picture's row 0 is the last row in memory.
    EXPECT_EQ(frame.GetPixels(), frame.GetBuff()->GetData() + 3 * 8);

    // Walking pixel by pixel with rowPad after each row visits rows 3, 2, 1, 0 of memory.
    const uint8_t* p = frame.GetPixels();
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 2; ++col, p += 3)
            EXPECT_EQ(*p, 3 - row);
        p += frame.GetRowPad();
    }

    // Field views of a bottom-up frame: even picture rows are memory rows 3 and 1.
    const pxImage even(frame, FIELD_EVEN, BOTTOMUP_INHERIT);
    EXPECT_EQ(even.GetStride(), -16);
    EXPECT_EQ(even.Row(0)[0], 3);
    EXPECT_EQ(even.Row(1)[0], 1);

    // The same memory seen top-down.
    const pxImage topDown(frame, FIELD_BOTH, 0);
    EXPECT_EQ(topDown.Row(0)[0], 0);
}

TEST(PxImage, RectanglesMustLieInsideTheBuffer) {
    const pxImage frame({10, 6}, 1);
    pxImage view;
    EXPECT_NO_THROW(view.SetRect(frame, {5, 0, 5, 6}));
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {5, 0, 6, 6});
              }),
              "Image rectangle exceeds buffer bounds!");
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {-1, 0, 2, 2});
              }),
              "Image rectangle exceeds buffer bounds!");
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {0, 1, 2, 6});
              }),
              "Image rectangle exceeds buffer bounds!");
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {0, 0, -3, 2});
              }),
              "Image rectangle exceeds buffer bounds!");
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {2147483647, 0, 2, 2});
              }),
              "Image rectangle exceeds buffer bounds!");
    // Odd rows of 6: 1, 3, 5; a fourth odd row would be row 7.
    EXPECT_NO_THROW(view.SetRect(frame, {0, 0, 10, 3}, FIELD_ODD));
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetRect(frame, {0, 0, 10, 4}, FIELD_ODD);
              }),
              "Image rectangle exceeds buffer bounds!");
    EXPECT_EQ(ThrownMessage([] {
                  pxImage bad(pxImage({2, 2}, 1), px2Rect{1, 1, 2, 2});
              }),
              "Image rectangle exceeds buffer bounds!");

    // A view re-cut from itself keeps its buffer.
    pxImage self(frame, px2Rect{2, 2, 6, 4});
    const int32_t references = frame.GetBuff()->GetRefCount();
    self.SetRect(self, {1, 1, 2, 2});
    EXPECT_EQ(self.GetPixels(), frame.Row(3) + 3);
    EXPECT_EQ(frame.GetBuff()->GetRefCount(), references);
}

TEST(PxImage, CopiesOfViewsWithoutABufferAreEmptyOrVirtual) {
    const pxImage empty;
    const pxImage copy = empty;
    EXPECT_FALSE(copy.HasBuffer());
    EXPECT_EQ(copy.GetWidth(), 0);
    EXPECT_EQ(ThrownMessage([&] { pxImage view(empty, FIELD_BOTH, 0); }),
              "Referenced null imagebuff\n");

    pxImage virt;
    virt.SetVirtual({640, 480}, {10, 20, 100, 50}, 2, FIELD_INHERIT, BOTTOMUP_INHERIT);
    pxImage again;
    again = virt;
    EXPECT_TRUE(again.IsVirtual());
    EXPECT_EQ(again.GetVirtualOffset(), (20 * 640 + 10) * 2);
}

TEST(PxImage, VirtualViewsDescribeWhereARectangleLiesInAFrame) {
    pxImage whole;
    whole.SetVirtual({640, 480}, {0, 0, 640, 480}, 1, FIELD_BOTH, 0);
    EXPECT_EQ(whole.GetStride(), 640);
    EXPECT_EQ(whole.GetVirtualOffset(), 0);

    pxImage view;
    view.SetVirtual({640, 480}, {10, 3, 20, 10}, 3, FIELD_ODD, 0);
    EXPECT_EQ(view.GetStride(), 640 * 2 * 3);
    EXPECT_EQ(view.GetVirtualOffset(), (3 * 640 + 10) * 3);
    view.SetVirtual({640, 480}, {10, 3, 20, 10}, 3, FIELD_EVEN, 1);
    EXPECT_EQ(view.GetStride(), -640 * 2 * 3);
    EXPECT_EQ(view.GetVirtualOffset(), ((480 - 4 - 1) * 640 + 10) * 3);
    EXPECT_EQ(ThrownMessage([&] {
                  view.SetVirtual({64, 48}, {60, 0, 5, 1}, 1, FIELD_BOTH, 0);
              }),
              "Virtual image rectangle exceeds buffer bounds!");

    pxImage left, right;
    SetupStereoPair(whole, left, right, PAIR_SIDE_BY_SIDE_RIGHT_FIRST);
    EXPECT_TRUE(left.IsVirtual());
    EXPECT_EQ(left.GetVirtualOffset(), 320);
    EXPECT_EQ(right.GetVirtualOffset(), 0);
    EXPECT_EQ(left.GetStride(), 640);

    // A virtual window into a wider frame splits within that frame.
    pxImage window;
    window.SetVirtual({800, 600}, {0, 0, 640, 480}, 1, FIELD_BOTH, 0);
    SetupStereoPair(window, left, right, PAIR_INTERLEAVED_LEFT_FIRST);
    EXPECT_EQ(left.GetStride(), 1600);
    EXPECT_EQ(right.GetVirtualOffset(), 800);
    EXPECT_EQ(right.GetHeight(), 240);
}

TEST(SetupStereoPair, SplitsEveryPairTypeWithOddSizes) {
    pxImage frame({5, 7}, 1);
    for (int32_t r = 0; r < 7; ++r)
        for (int32_t c = 0; c < 5; ++c)
            frame.Row(r)[c] = static_cast<uint8_t>(r * 10 + c);
    pxImage left, right;

    struct Expect {
        int32_t pairType;
        int32_t width, height;
        uint8_t leftFirst, rightFirst, leftSecondRow, rightSecondRow;
    };
    const Expect cases[] = {
        {PAIR_INTERLEAVED_LEFT_FIRST, 5, 3, 0, 10, 20, 30},
        {PAIR_INTERLEAVED_RIGHT_FIRST, 5, 3, 10, 0, 30, 20},
        {PAIR_OVER_UNDER_LEFT_TOP, 5, 3, 0, 30, 10, 40},
        {PAIR_OVER_UNDER_RIGHT_TOP, 5, 3, 30, 0, 40, 10},
        {PAIR_SIDE_BY_SIDE_LEFT_FIRST, 2, 7, 0, 2, 10, 12},
        {PAIR_SIDE_BY_SIDE_RIGHT_FIRST, 2, 7, 2, 0, 12, 10},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.pairType);
        SetupStereoPair(frame, left, right, e.pairType);
        EXPECT_EQ(left.GetWidth(), e.width);
        EXPECT_EQ(left.GetHeight(), e.height);
        EXPECT_EQ(right.GetWidth(), e.width);
        EXPECT_EQ(right.GetHeight(), e.height);
        EXPECT_EQ(left.Row(0)[0], e.leftFirst);
        EXPECT_EQ(right.Row(0)[0], e.rightFirst);
        EXPECT_EQ(left.Row(1)[0], e.leftSecondRow);
        EXPECT_EQ(right.Row(1)[0], e.rightSecondRow);
    }
    // Interleaved: the last row of an odd height belongs to neither eye.
    SetupStereoPair(frame, left, right, PAIR_INTERLEAVED_LEFT_FIRST);
    EXPECT_EQ(left.Row(2)[0], 40);
    EXPECT_EQ(right.Row(2)[0], 50);

    EXPECT_EQ(ThrownMessage([&] { SetupStereoPair(frame, left, right, 6); }),
              "Unsupported PairType in SetupStereoPair");
    const pxImage odd(frame, FIELD_ODD, BOTTOMUP_INHERIT);
    EXPECT_EQ(ThrownMessage([&] { SetupStereoPair(odd, left, right, 0); }),
              "SetupStereoPair buffer must have field type BOTH");
}

TEST(PxStereoImage, CreateSplitsAndCopiesSharePixels) {
    pxStereoImage pair;
    pair.Create(PAIR_INTERLEAVED_LEFT_FIRST, {3, 5}, 3, 4, 0);
    EXPECT_EQ(pair.left.GetHeight(), 2);
    EXPECT_EQ(pair.left.GetFieldType(), FIELD_EVEN);
    EXPECT_EQ(pair.right.GetFieldType(), FIELD_ODD);
    EXPECT_EQ(pair.right.GetPixels(), pair.whole.Row(1));

    const pxStereoImage copy(pair);
    EXPECT_EQ(copy.left.GetPixels(), pair.left.GetPixels());
    EXPECT_EQ(copy.right.GetFieldType(), FIELD_ODD);
    EXPECT_EQ(pair.whole.GetBuff()->GetRefCount(), 6);

    // Re-creating with another size re-attaches the eye views.
    pair.Create(PAIR_SIDE_BY_SIDE_LEFT_FIRST, {8, 2}, 1);
    EXPECT_EQ(pair.left.GetWidth(), 4);
    EXPECT_EQ(pair.right.GetPixels(), pair.whole.GetPixels() + 4);
}
