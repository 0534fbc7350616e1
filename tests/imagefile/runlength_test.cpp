#include "imagefile/plainfixtures.h"

#include "imagefile/runlength.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace fixtures;
using plainread::ByteCursor;

namespace {

// Decodes codes into a width x height picture first filled with 9s; returns
// its rows one after another.
Bytes DecodeBmp(const Bytes& codes, int32_t width, int32_t height, bool nibbles) {
    pxImage picture({width, height}, 1, 4);
    for (int32_t y = 0; y < height; ++y)
        std::memset(picture.Row(y), 9, size_t(width));
    ByteCursor in(codes);
    plainread::DecodeBmpRle(in, picture, nibbles);
    Bytes pixels;
    for (int32_t y = 0; y < height; ++y)
        pixels.insert(pixels.end(), picture.Row(y), picture.Row(y) + width);
    return pixels;
}

} // namespace

TEST(DecodeBmpRle, EveryCode) {
    // A run, end of row, an absolute run of 3 with its pad byte, a delta of
    // (1, 1), a run, end of picture.
    EXPECT_EQ(DecodeBmp({2, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 1, 5, 0, 1}, 5, 3, false),
              (Bytes{7, 7, 9, 9, 9, /**/ 1, 2, 3, 9, 9, /**/ 9, 9, 9, 9, 5}));
    // Nibbles: runs alternate the two nibbles; an absolute run of 5 takes 3
    // bytes and a pad byte, one of 4 takes 2 bytes and none.
    EXPECT_EQ(DecodeBmp({5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0xFF, 0, 0, 0, 4, 0xAB, 0xCD, 0, 1},
                        6, 3, true),
              (Bytes{1, 2, 1, 2, 1, 9, /**/ 3, 4, 5, 6, 7, 9, /**/ 0xA, 0xB, 0xC, 0xD, 9, 9}));
    // The rows done end the data without an end-of-picture code.
    EXPECT_EQ(DecodeBmp({1, 4, 0, 0, 0xFF}, 1, 1, false), (Bytes{4}));
}

TEST(DecodeBmpRle, CodesReachingOutsideThePictureAreCut) {
    // Runs and absolute runs past the right edge drop their extra pixels (the
    // absolute run's bytes are still passed over).
    EXPECT_EQ(DecodeBmp({255, 1, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 0, 2, 2, 0, 1, 6, 0, 1}, 3, 3,
                        false),
              (Bytes{1, 1, 1, /**/ 1, 2, 3, /**/ 9, 9, 6}));
    // A delta past the right edge drops the rest of the row; one past the
    // bottom ends the picture.
    EXPECT_EQ(DecodeBmp({0, 2, 200, 0, 1, 8, 0, 0, 1, 3, 0, 2, 0, 255, 1, 8}, 2, 3, false),
              (Bytes{9, 9, /**/ 3, 9, /**/ 9, 9}));
    // Deltas cannot carry the column beyond the edge, however many there are.
    Bytes deltas;
    for (int i = 0; i < 100000; ++i)
        deltas.insert(deltas.end(), {0, 2, 255, 0});
    deltas.insert(deltas.end(), {0, 0, 1, 4, 0, 1});
    EXPECT_EQ(DecodeBmp(deltas, 2, 2, false), (Bytes{9, 9, 4, 9}));
}

TEST(DecodeBmpRle, ShortDataAndUnfitPictures) {
    EXPECT_EQ(ThrownMessage([] { DecodeBmp({2, 1, 0, 0}, 2, 2, false); }), "Cannot read 2 bytes");
    EXPECT_EQ(ThrownMessage([] { DecodeBmp({0, 2, 1}, 2, 2, false); }), "Cannot read 2 bytes");
    EXPECT_EQ(ThrownMessage([] {
                  DecodeBmp({0, 4, 1, 2, 3}, 4, 2, false);
              }),
              "Cannot read 4 bytes");
    EXPECT_EQ(ThrownMessage([] { DecodeBmp({0, 5, 1, 2}, 5, 2, true); }), "Cannot read 4 bytes");
    const Bytes codes = {1, 1};
    EXPECT_EQ(ThrownMessage([&] {
                  ByteCursor in(codes);
                  plainread::DecodeBmpRle(in, pxImage({2, 2}, 3), false);
              }),
              "Run-length bitmap data needs a picture of 1 byte per pixel");
    EXPECT_EQ(ThrownMessage([&] {
                  ByteCursor in(codes);
                  plainread::DecodeBmpRle(in, pxImage(), false);
              }),
              "Run-length bitmap data needs a picture of 1 byte per pixel");
}

TEST(DecodeTgaRow, PacketsFillRowsAndNeverCrossThem) {
    // Rows of two 2-byte pixels: a run packet, then a raw and a run packet of
    // one pixel each, then a packet of three pixels.
    const Bytes packets = {0x81, 1, 2, 0x00, 3, 4, 0x80, 5, 6, 0x02, 7, 8, 9, 10, 11, 12};
    ByteCursor in(packets);
    Bytes row(4);
    plainread::DecodeTgaRow(in, row, 2);
    EXPECT_EQ(row, (Bytes{1, 2, 1, 2}));
    plainread::DecodeTgaRow(in, row, 2);
    EXPECT_EQ(row, (Bytes{3, 4, 5, 6}));
    EXPECT_EQ(ThrownMessage([&] { plainread::DecodeTgaRow(in, row, 2); }),
              "Bad compressed Targa file");

    const Bytes shortRaw = {0x01, 1, 2, 3};
    ByteCursor shortIn(shortRaw);
    EXPECT_EQ(ThrownMessage([&] { plainread::DecodeTgaRow(shortIn, row, 2); }),
              "Cannot read 4 bytes");
    EXPECT_EQ(ThrownMessage([&] { plainread::DecodeTgaRow(shortIn, row, 0); }),
              "Bad Targa pixel size 0");
    EXPECT_EQ(ThrownMessage([&] { plainread::DecodeTgaRow(shortIn, row, 5); }),
              "Bad Targa pixel size 5");
}
