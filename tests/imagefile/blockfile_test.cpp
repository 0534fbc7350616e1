#include "imagefile/blockfixtures.h"

#include "imagefile/blockfile.h"
#include "imagefile/plainformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace fixtures;

namespace {

const Bytes kEmptyFile = PxfFile({});

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A block's data bytes 1, 2, 3, ... count.
Bytes Counting(int count) {
    Bytes bytes;
    for (int i = 1; i <= count; ++i)
        bytes.push_back(uint8_t(i));
    return bytes;
}

// Opens path and moves to its first block.
struct FirstBlock {
    explicit FirstBlock(const std::string& path) : file(path.c_str(), 'r') {
        EXPECT_TRUE(file.NextBlock());
    }
    pxFile file;
};

// The rows of image one after another.
Bytes Pixels(const pxImage& image) {
    Bytes pixels;
    const size_t rowBytes = size_t(image.GetWidth()) * image.GetBytesPerPixel();
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        pixels.insert(pixels.end(), image.Row(y), image.Row(y) + rowBytes);
    return pixels;
}

// Decodes codes into a width x height picture first filled with 9s.
Bytes DecodeRle(const pxRleImage& rle, int32_t width, int32_t height) {
    pxImage image({width, height}, rle.bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(image.Row(y), size_t(width) * rle.bytesPerPixel, uint8_t{9});
    DecodeRleImage(rle, image);
    return Pixels(image);
}

pxRleImage Rle(int32_t bytesPerPixel, int32_t width, int32_t height, int32_t x, int32_t y,
               const std::vector<int>& codes) {
    Bytes bytes;
    for (const int code : codes)
        bytes.push_back(uint8_t(code));
    return {bytesPerPixel, width, height, x, y, bytes};
}

} // namespace

TEST(BlockFile, OpeningRefusesWhatIsNotACurrentFile) {
    const TempDir dir;
    EXPECT_EQ(ThrownMessage([] { pxFile f(nullptr, 'r'); }),
              "NULL file name passed as argument to pxFile");
    const std::string path = dir.Write("a.pxf", kEmptyFile);
    EXPECT_EQ(ThrownMessage([&] { pxFile f(path.c_str(), 'x'); }),
              "Unrecognized file mode 'x' passed to pxFile");
    EXPECT_EQ(ThrownMessage([] { pxFile f("/no/such.pxf", 'R'); }),
              "Unable to open file '/no/such.pxf' for reading");
    EXPECT_EQ(ThrownMessage([] { pxFile f("/no/such/dir.pxf", 'w'); }),
              "Unable to open file '/no/such/dir.pxf' for writing");
    EXPECT_EQ(ThrownMessage([] { pxFile f("/no/such.pxf", 'a'); }),
              "Unable to open file '/no/such.pxf' for append");

    const std::string wrong = dir.Write("w.pxf", Concat({Text("TMBX"), BigEndian({0, 0})}));
    EXPECT_EQ(ThrownMessage([&] { pxFile f(wrong.c_str(), 'r'); }),
              "File '" + wrong + "' is not a TMBR file");
    const std::string shortFile = dir.Write("s.pxf", Text("TMBR"));
    EXPECT_EQ(ThrownMessage([&] { pxFile f(shortFile.c_str(), 'r'); }),
              "File '" + shortFile + "' is not a TMBR file");
    const std::string old = dir.Write("o.pxf", Concat({PxfHeader(1), BigEndian({0})}));
    EXPECT_EQ(ThrownMessage([&] { pxFile f(old.c_str(), 'r'); }),
              "File '" + old + "' is an old TMBR file");
    EXPECT_EQ(ThrownMessage([&] { pxFile f(old.c_str(), 'A'); }),
              "File '" + old + "' is not a new TMBR file");

    pxFile empty(path.c_str(), 'r');
    EXPECT_TRUE(empty.GetContents().empty());
    EXPECT_FALSE(empty.NextBlock());
    EXPECT_EQ(empty.GetState(), FILE_AT_END);
    EXPECT_FALSE(empty.NextBlock());
}

TEST(BlockFile, ContentsListBlocksWithIdentifiers) {
    const TempDir dir;
    const std::string name40(40, 'n');
    const std::string path = dir.Write(
        "c.pxf", PxfFile({PxfBlock(BLOCK_STRING, 0, Text("anon")),
                          PxfBlock(BLOCK_PALETTE, 5, PaletteData({pxColor::Rgb(1, 2, 3)})),
                          PxfBlock(77, 7, Counting(3), name40), PxfBlock(BLOCK_STRING, 9, {})}));
    pxFile file(path.c_str(), 'r');
    const std::vector<pxFileEntry>& contents = file.GetContents();
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(contents[0].id, 5);
    EXPECT_EQ(contents[0].type, BLOCK_PALETTE);
    EXPECT_EQ(contents[0].name, "");
    EXPECT_EQ(contents[0].sizePosition, 8 + 16 + 8);
    EXPECT_EQ(contents[1].id, 7);
    EXPECT_EQ(contents[1].name, name40);
    EXPECT_EQ(contents[1].type, 77);

    const auto& palette = std::get<pxPalette>(file.LoadEntry(0));
    EXPECT_EQ(palette[0], pxColor::Rgb(1, 2, 3));
    EXPECT_EQ(&std::get<pxPalette>(file.LoadEntry(0)), &palette); // loaded once
    EXPECT_EQ(ThrownMessage([&] { file.LoadEntry(1); }), "Could not find file object type 77");
    EXPECT_EQ(std::get<std::string>(file.LoadEntry(2)), "");
    EXPECT_EQ(ThrownMessage([&] { file.LoadEntry(3); }),
              "No entry 3 in the contents of file '" + path + "'");

    // The walk still sees every block, names included.
    FirstBlock walk(path);
    EXPECT_EQ(walk.file.GetType(), BLOCK_STRING);
    EXPECT_EQ(walk.file.GetId(), 0);
    EXPECT_TRUE(walk.file.NextBlock());
    EXPECT_TRUE(walk.file.NextBlock());
    EXPECT_STREQ(walk.file.GetName(), name40.c_str());
    EXPECT_EQ(walk.file.GetSizeLeft(), 3);
    EXPECT_TRUE(walk.file.NextBlock());
    EXPECT_FALSE(walk.file.NextBlock());
}

TEST(BlockFile, BadBlockHeadersThrow) {
    const TempDir dir;
    const auto openMessage = [&](const Bytes& bytes) {
        const std::string path = dir.Write("b.pxf", bytes);
        return ThrownMessage([&] { pxFile f(path.c_str(), 'r'); });
    };
    const std::string name41(41, 'n');
    EXPECT_EQ(openMessage(PxfFile({PxfBlock(BLOCK_STRING, 1, {}, name41)})),
              "String to big reading entry name");
    EXPECT_EQ(openMessage(PxfFile({PxfBlock(BLOCK_STRING, 1, {}, "ab\xff")})),
              "End of file reading entry name");
    EXPECT_EQ(openMessage(Concat({PxfHeader(), BigEndian({BLOCK_STRING, -1}), Text("abc")})),
              "End of file reading entry name");
    EXPECT_EQ(openMessage(Concat({PxfHeader(), BigEndian({BLOCK_STRING, 1, -4, 0})})),
              "Size = -4 when reading contents");
    const Bytes pastEnd = Concat({PxfHeader(), BigEndian({BLOCK_STRING, 1, 100, 0})});
    EXPECT_EQ(openMessage(pastEnd),
              "Size = 100 runs past the end of file '" + dir.Write("b.pxf", pastEnd) + "'");
    EXPECT_EQ(openMessage(Concat({PxfHeader(), BigEndian({BLOCK_STRING, INT32_MIN, 0, 0})})),
              "Bad block identifier -2147483648 in file '" + dir.Write("b.pxf", {}) + "'");
    // A file without its end type.
    const Bytes noEnd = Concat({PxfHeader(), PxfBlock(BLOCK_STRING, 1, Counting(2))});
    EXPECT_EQ(openMessage(noEnd), "Unexpected end of file '" + dir.Write("b.pxf", noEnd) + "'");
}

TEST(BlockFile, StepsOutOfOrderAndOverReadsThrow) {
    const TempDir dir;
    const std::string path = dir.Write(
        "s.pxf", PxfFile({PxfBlock(BLOCK_STRING, 3, Counting(4)), PxfBlock(BLOCK_STRING, 4, {})}));
    pxFile file(path.c_str(), 'r');
    uint8_t buffer[8];
    EXPECT_EQ(ThrownMessage([&] { file.ReadId(); }), "Attempt to read id in state 1");
    EXPECT_EQ(ThrownMessage([&] { file.ReadSize(); }), "Attempt to read size in state 1");
    EXPECT_EQ(ThrownMessage([&] { file.ReadData(buffer, 1); }),
              "Attempt to read data before block size (state 1)");
    EXPECT_EQ(file.ReadType(), BLOCK_STRING);
    EXPECT_EQ(ThrownMessage([&] { file.ReadType(); }), "Attempt to read type in state 2");
    EXPECT_EQ(ThrownMessage([&] { file.SkipData(); }),
              "Attempt to read data before block size (state 2)");
    EXPECT_EQ(file.ReadId(), 3);
    EXPECT_EQ(file.ReadSize(), 4);
    EXPECT_EQ(ThrownMessage([&] { file.ReadData(buffer, 5); }),
              "Attempted over-read in block 40::3 (5 > 4)");
    EXPECT_EQ(ThrownMessage([&] { file.ReadData(buffer, -1); }),
              "Attempted over-read in block 40::3 (-1 > 4)");
    file.ReadData(buffer, 3);
    EXPECT_EQ(file.GetState(), FILE_IN_DATA);
    file.ReadData(buffer + 3, 1);
    EXPECT_EQ(Bytes(buffer, buffer + 4), Counting(4));
    EXPECT_EQ(file.GetState(), FILE_EXPECT_TYPE);
    EXPECT_EQ(ThrownMessage([&] { file.WriteType(1); }),
              "Attempt to write to read-only file '" + path + "'");

    // The next-block step finishes a block left after any step.
    for (int steps = 0; steps < 4; ++steps) {
        SCOPED_TRACE(steps);
        pxFile walk(path.c_str(), 'r');
        if (steps > 0)
            walk.ReadType();
        if (steps > 1)
            walk.ReadId();
        if (steps > 2)
            walk.ReadSize();
        ASSERT_TRUE(walk.NextBlock());
        EXPECT_EQ(walk.GetId(), steps == 0 ? 3 : 4);
    }
}

TEST(BlockFile, WritesWhatItReadsBack) {
    const TempDir dir;
    const std::string path = dir.Write("w.pxf", {});
    const Picture picture = TrueColourPicture(5, 3, 3);
    const std::string name40(40, 'x');
    {
        pxFile out(path.c_str(), 'w');
        EXPECT_EQ(ThrownMessage([&] { out.ReadType(); }),
                  "Attempt to read from write-only file '" + path + "'");
        EXPECT_EQ(ThrownMessage([&] { out.FixSize(); }), "FixSize called at wrong time");
        out.WriteType(BLOCK_IMAGE);
        EXPECT_EQ(ThrownMessage([&] { out.WriteType(BLOCK_IMAGE); }),
                  "Attempt to write type in state 2");
        EXPECT_EQ(ThrownMessage([&] { out.WriteId(-1); }),
                  "Cannot write block identifier -1 with name ''");
        EXPECT_EQ(ThrownMessage([&] { out.WriteId(0, "zero"); }),
                  "Cannot write block identifier 0 with name 'zero'");
        EXPECT_EQ(ThrownMessage([&] { out.WriteId(2, (name40 + "y").c_str()); }),
                  "Cannot write block identifier 2 with name '" + name40 + "y'");
        out.WriteId(12, name40.c_str());
        out.WriteSize();
        for (const int32_t number : {5, 3, 3, 7, 8})
            out.WriteNumber(number);
        out.WriteData(picture.pixels.data(), int32_t(picture.pixels.size()));
        out.FixSize();
        out.WriteType(BLOCK_CLICK_REGION);
        out.WriteId(0);
        out.WriteSize();
        for (const int32_t number : {2, 1, -2, 300000, 4})
            out.WriteNumber(number);
        out.FixSize();
        out.WriteType(BLOCK_STRING);
        out.WriteId(3);
        out.WriteSize();
        out.WriteData("hello", 6);
        // Closing fixes the open size and writes the end type.
    }
    {
        pxFile more(path.c_str(), 'a');
        more.WriteType(BLOCK_ANIMATION);
        more.WriteId(4, "anim");
        more.WriteSize();
        for (const int32_t number : {2, 3, 10, 20, 30})
            more.WriteNumber(number);
        more.FixSize();
    }

    pxFile in(path.c_str(), 'r');
    ASSERT_EQ(in.GetContents().size(), 3u);
    ASSERT_TRUE(in.NextBlock());
    EXPECT_STREQ(in.GetName(), name40.c_str());
    EXPECT_EQ(in.GetId(), 12);
    pxImage image;
    px2Pnt position;
    in.ReadImage(image, 4, 1, &position);
    EXPECT_TRUE(SamePicture(picture, image, pxPalette()));
    EXPECT_EQ(image.GetBottomUp(), 1);
    EXPECT_EQ(image.GetBuff()->GetRowAlign(), 4);
    EXPECT_EQ(position.x, 7);
    EXPECT_EQ(position.y, 8);

    ASSERT_TRUE(in.NextBlock());
    const pxClickRegion points = in.ReadClickRegion();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].x, 1);
    EXPECT_EQ(points[0].y, -2);
    EXPECT_EQ(points[1].x, 300000);
    EXPECT_EQ(points[1].y, 4);

    ASSERT_TRUE(in.NextBlock());
    EXPECT_EQ(in.ReadString(), "hello");

    ASSERT_TRUE(in.NextBlock());
    const pxAnimation animation = in.ReadAnimation();
    EXPECT_EQ(animation.kind, 2);
    EXPECT_EQ(animation.frames, (std::vector<int32_t>{10, 20, 30}));
    EXPECT_EQ(animation.file, &in);
    EXPECT_TRUE(pxFile::IsOpenForReading(animation.file));
    EXPECT_FALSE(in.NextBlock());
}

TEST(BlockFile, UnfinishedWriteIsLogged) {
    const TempDir dir;
    const std::string log = dir.Write("log.txt", {});
    pxSetLogName(log.c_str());
    {
        pxFile out(dir.Write("u.pxf", {}).c_str(), 'w');
        out.WriteType(BLOCK_STRING);
    }
    pxSetLogName(nullptr);
    std::ifstream text(log);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(text), {}),
              "File closed before write complete (status 2)\n");
}

TEST(BlockFile, OpenFilesAreListedUntilDestroyed) {
    const TempDir dir;
    const std::string path = dir.Write("o.pxf", kEmptyFile);
    auto first = std::make_unique<pxFile>(path.c_str(), 'r');
    pxFile second(path.c_str(), 'r');
    const pxFile* gone = first.get();
    EXPECT_TRUE(pxFile::IsOpenForReading(gone));
    EXPECT_TRUE(pxFile::IsOpenForReading(&second));
    first.reset();
    EXPECT_FALSE(pxFile::IsOpenForReading(gone));
    EXPECT_TRUE(pxFile::IsOpenForReading(&second));
}

TEST(BlockFile, StringsAreCutToTheirRoom) {
    const TempDir dir;
    const std::string path =
        dir.Write("s.pxf", PxfFile({PxfBlock(BLOCK_STRING, 1, Text("abcdef")),
                                    PxfBlock(BLOCK_STRING, 2, Text("xy")),
                                    PxfBlock(BLOCK_STRING, 3, Concat({Text("in"), {0}, Text("z")})),
                                    PxfBlock(BLOCK_PALETTE, 4, PaletteData({}))}));
    pxFile file(path.c_str(), 'r');
    char buffer[4] = {'?', '?', '?', '?'};
    file.ReadType();
    file.ReadId();
    EXPECT_STREQ(file.ReadString(buffer, 4), "abc"); // reads the size itself
    EXPECT_EQ(file.GetState(), FILE_EXPECT_TYPE);
    ASSERT_TRUE(file.NextBlock());
    EXPECT_STREQ(file.ReadString(buffer, 4), "xy");
    ASSERT_TRUE(file.NextBlock());
    EXPECT_EQ(ThrownMessage([&] { file.ReadString(buffer, 0); }),
              "No room to read a string into from file '" + path + "'");
    EXPECT_STREQ(file.ReadString(buffer, 1), "");
    ASSERT_TRUE(file.NextBlock());
    EXPECT_EQ(ThrownMessage([&] { file.ReadString(); }),
              "Attempt to read string from block type 20");

    pxFile again(path.c_str(), 'r');
    EXPECT_EQ(std::get<std::string>(again.LoadEntry(2)), "in");
}

TEST(BlockFile, LoadersCheckTheirBlockType) {
    const TempDir dir;
    FirstBlock block(dir.Write("t.pxf", PxfFile({PxfBlock(BLOCK_STRING, 1, Counting(8))})));
    pxFile& file = block.file;
    pxImage image;
    pxPalette palette;
    EXPECT_EQ(ThrownMessage([&] { file.ReadImage(image, 1, 0); }),
              "Tried to read image from file block 40\n");
    EXPECT_EQ(ThrownMessage([&] { file.ReadRleImage(); }),
              "Tried to read RLE image from file block 40\n");
    EXPECT_EQ(ThrownMessage([&] { file.ReadPalette(palette); }),
              "Attempt to read palette from block type 40");
    EXPECT_EQ(ThrownMessage([&] { file.ReadClickRegion(); }),
              "Tried to read click region from block 40\n");
    EXPECT_EQ(ThrownMessage([&] { file.ReadAnimation(); }),
              "Tried to read animation from file block 40\n");

    EXPECT_STREQ(FindBlockType(BLOCK_END)->name, " END OF LIST/FILE");
    EXPECT_STREQ(FindBlockType(BLOCK_RLE_IMAGE)->name, "RLE IMAGE");
    EXPECT_STREQ(GetBlockType(BLOCK_CLICK_REGION).name, "CLICK REGION");
    EXPECT_EQ(FindBlockType(11), nullptr);
    EXPECT_EQ(ThrownMessage([] { GetBlockType(11); }), "Could not find file object type 11");
}

TEST(BlockFile, PalettesTakeUpTo256Colours) {
    const TempDir dir;
    const auto paletteMessage = [&](const Bytes& data, pxPalette& palette) {
        FirstBlock block(dir.Write("p.pxf", PxfFile({PxfBlock(BLOCK_PALETTE, 1, data)})));
        return ThrownMessage([&] { block.file.ReadPalette(palette); });
    };
    pxPalette palette;
    const Bytes tooMany = Concat({BigEndian({257}), Bytes(3 * 257, 1)});
    EXPECT_EQ(paletteMessage(tooMany, palette), "Num colors = 257 not valid in ReadPalette");
    EXPECT_EQ(paletteMessage(BigEndian({-1}), palette), "Num colors = -1 not valid in ReadPalette");
    EXPECT_EQ(paletteMessage(Concat({BigEndian({2}), Counting(5)}), palette),
              "Attempted over-read in block 20::1 (6 > 5)");
    EXPECT_EQ(palette[0], pxPalette::SystemColour(0)); // left alone
    EXPECT_EQ(paletteMessage(PaletteData({}), palette), "");

    // A palette with fewer entries grows to hold them.
    pxPalette small;
    small.SetCount(1);
    std::vector<pxColor> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[size_t(i)] = pxColor::Rgb(uint8_t(i), uint8_t(255 - i), 7);
    EXPECT_EQ(paletteMessage(PaletteData(colours), small), "");
    ASSERT_EQ(small.GetCount(), 256);
    EXPECT_EQ(small[200], pxColor::Rgb(200, 55, 7));
}

TEST(BlockFile, HostileSizesThrowBeforeAllocating) {
    const TempDir dir;
    const auto loadMessage = [&](int32_t type, const Bytes& data) {
        const std::string path = dir.Write("h.pxf", PxfFile({PxfBlock(type, 1, data)}));
        pxFile file(path.c_str(), 'r');
        return ThrownMessage([&] { file.LoadEntry(0); });
    };
    const std::string in = " in file '" + dir.Write("h.pxf", {}) + "'";
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({100000, 100000, 3, 0, 0})),
              "Image of 100000 x 100000 pixels is too large for file '" + dir.Write("h.pxf", {}) +
                  "'");
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({0x7FFFFFFF, 0x7FFFFFFF, 4, 0, 0})),
              "Image of 2147483647 x 2147483647 pixels is too large for file '" +
                  dir.Write("h.pxf", {}) + "'");
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({1000, 1000, 3, 0, 0, 1, 2})),
              "Attempted over-read in block 10::1 (3000000 > 8)");
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({0, 5, 1, 0, 0})), "Bad image size 0 x 5" + in);
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({2, 2, 5, 0, 0})), "Bad pixel size 5" + in);
    EXPECT_EQ(loadMessage(BLOCK_IMAGE, BigEndian({2, 2, -1, 0, 0})), "Bad pixel size -1" + in);
    EXPECT_EQ(loadMessage(BLOCK_RLE_IMAGE, BigEndian({1, 2, 2, 0, 0, 0x7FFFFFFF})),
              "Attempted over-read in block 12::1 (2147483647 > 0)");
    EXPECT_EQ(loadMessage(BLOCK_RLE_IMAGE, BigEndian({1, 2, 2, 0, 0, 0})), "");
    EXPECT_EQ(loadMessage(BLOCK_RLE_IMAGE, BigEndian({1, 2, 2, 0, 0, -3})),
              "Negative count -3 in block 12::1");
    EXPECT_EQ(loadMessage(BLOCK_CLICK_REGION, BigEndian({0x40000000, 1, 2})),
              "Attempted over-read in block 30::1 (8589934592 > 8)");
    EXPECT_EQ(loadMessage(BLOCK_ANIMATION, BigEndian({1, -1})), "Negative count -1 in block 90::1");
    EXPECT_EQ(loadMessage(BLOCK_ANIMATION, BigEndian({1, 3, 1, 2})),
              "Attempted over-read in block 90::1 (12 > 8)");
}

TEST(RleImage, EveryCode) {
    // Copy 3, repeat 4 times, end of row; skip 2, copy 1, end of row; end.
    EXPECT_EQ(DecodeRle(Rle(1, 7, 3, 0, 0, {3, 1, 2, 3, -4, 5, -1, 0, 2, 1, 6, -1, 0, 0}), 7, 3),
              (Bytes{1, 2, 3, 5, 5, 5, 5, /**/ 9, 9, 6, 9, 9, 9, 9, /**/ 9, 9, 9, 9, 9, 9, 9}));
    // The rectangle at (1, 1); -1 for its height stands for the picture's.
    EXPECT_EQ(DecodeRle(Rle(1, 2, -1, 1, 1, {-2, 4, -1, 2, 7, 8, 0, 0}), 3, 3),
              (Bytes{9, 9, 9, /**/ 9, 4, 4, /**/ 9, 7, 8}));
    // Pixels of 3 bytes: one sequence per byte, every row exactly as wide as
    // the rectangle (skips count).
    EXPECT_EQ(DecodeRle(Rle(3, 2, 2, 0, 0, {2,  1, 2,  -1, -2, 3,  -1, 0,  0, //
                                            -2, 4, -1, 0,  2,  -1, 0,  0,     //
                                            2,  5, 6,  -1, 2,  7,  8,  -1, 0, 0}),
                        2, 2),
              (Bytes{1, 4, 5, 2, 4, 6, /**/ 3, 9, 7, 3, 9, 8}));
}

TEST(RleImage, BadCodesThrowOrAreCut) {
    // Multi-byte rows must be exactly the rectangle's width.
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRle(Rle(2, 3, 1, 0, 0, {2, 1, 2, -1}), 3, 1);
              }),
              "Bugger = 2 3");
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRle(Rle(2, -1, 1, 0, 0, {-4, 1, -1}), 3, 1);
              }),
              "Bugger = 4 3");
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRle(Rle(2, 1, 1, 0, 0, {1, 5}), 1, 1);
              }),
              "Cannot read 1 bytes");
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRle(Rle(3, 1, 1, 0, 0, {0, 0}), 1, 1);
              }),
              "Cannot read 1 bytes"); // the second byte's codes are missing
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRle(Rle(1, 1, 1, 0, 0, {3, 1}), 1, 1);
              }),
              "Cannot read 3 bytes");
    EXPECT_EQ(ThrownMessage([] { DecodeRle(Rle(1, 1, 1, 0, 0, {0, 0}), 1, 1); }), "");
    EXPECT_EQ(ThrownMessage([] {
                  const pxImage image({2, 2}, 3);
                  DecodeRleImage(Rle(1, 1, 1, 0, 0, {0, 0}), image);
              }),
              "RLE image of 1 bytes per pixel cannot be decoded into this image");
    EXPECT_EQ(ThrownMessage([] {
                  DecodeRleImage(Rle(1, 1, 1, 0, 0, {0, 0}), pxImage());
              }),
              "RLE image of 1 bytes per pixel cannot be decoded into this image");

    // Runs past the rectangle, the picture's right edge and its bottom, and
    // rectangles partly outside the picture, are cut.
    EXPECT_EQ(DecodeRle(Rle(1, 2, 2, 0, 0, {-5, 1, -1, 4, 1, 2, 3, 4, -1, 3, 5, 5, 5, 0, 0}), 3, 2),
              (Bytes{1, 1, 9, /**/ 1, 2, 9}));
    EXPECT_EQ(DecodeRle(Rle(1, 10, 10, 1, 1, {-10, 1, -1, -10, 2, -1, -10, 3, 0, 0}), 3, 2),
              (Bytes{9, 9, 9, /**/ 9, 1, 1}));
    EXPECT_EQ(DecodeRle(Rle(1, 3, 3, -1, -1, {3, 1, 2, 3, -1, 3, 4, 5, 6, 0, 0}), 2, 2),
              (Bytes{5, 6, /**/ 9, 9}));
    // Any number of skips or rows keeps the position sound.
    std::vector<int> codes;
    for (int i = 0; i < 100000; ++i)
        codes.insert(codes.end(), {0, 255, -1});
    codes.insert(codes.end(), {0, 0});
    EXPECT_EQ(DecodeRle(Rle(1, -1, -1, 0, 0, codes), 2, 2), (Bytes{9, 9, 9, 9}));
}

TEST(BlockFilePlainRead, ReadsFirstPaletteAndImage) {
    const TempDir dir;
    const Picture picture = IndexedPicture(6, 4, 5);
    const Picture other = IndexedPicture(2, 2, 2);
    const std::string path =
        dir.Write("p.pxf", PxfFile({PxfBlock(BLOCK_STRING, 1, Text("label")),
                                    PxfBlock(BLOCK_IMAGE, 2, ImageData(picture, 3, 4)),
                                    PxfBlock(BLOCK_IMAGE, 3, ImageData(other)),
                                    PxfBlock(BLOCK_PALETTE, 0, PaletteData(picture.palette)),
                                    PxfBlock(BLOCK_PALETTE, 0, PaletteData(other.palette))}));
    pxImage image;
    pxPalette palette;
    ReadPlainImage(path.c_str(), &image, &palette, 1, FORMAT_BLOCKFILE);
    EXPECT_TRUE(SamePicture(picture, image, palette));
    EXPECT_EQ(image.GetBottomUp(), 0);
    EXPECT_EQ(image.GetBuff()->GetRowAlign(), 1);

    pxImage second;
    ReadPlainImage(path.c_str(), &second, nullptr, 0, FORMAT_FROM_FILE);
    EXPECT_TRUE(SamePicture(picture, second, palette));

    const std::string none =
        dir.Write("n.pxf", PxfFile({PxfBlock(BLOCK_PALETTE, 0, PaletteData({}))}));
    EXPECT_EQ(
        ThrownMessage([&] { ReadPlainImage(none.c_str(), &image, &palette, 0, FORMAT_BLOCKFILE); }),
        "No image in file '" + none + "'");
    EXPECT_EQ(ThrownMessage(
                  [&] { ReadPlainImage(none.c_str(), nullptr, &palette, 0, FORMAT_BLOCKFILE); }),
              "No image given to read '" + none + "' into");
}

TEST(BlockFilePlainRead, ReadsRunLengthImage) {
    const TempDir dir;
    // A 2 x 2 rectangle at (1, 2) of 2-byte pixels.
    const Bytes codes = {2, 1, 2, -1 & 0xFF, 0xFE, 3, 0, 0, /**/ 0xFE, 4, 0xFF, 1, 5, 0, 1, 0, 0};
    const std::string path =
        dir.Write("r.pxf", PxfFile({PxfBlock(BLOCK_RLE_IMAGE, 1, RleData(2, 2, 2, 1, 2, codes))}));
    pxImage image;
    ReadPlainImage(path.c_str(), &image, nullptr, 0, FORMAT_BLOCKFILE);
    ASSERT_EQ(image.GetWidth(), 3);
    ASSERT_EQ(image.GetHeight(), 4);
    EXPECT_EQ(image.GetBytesPerPixel(), 2);
    EXPECT_EQ(Pixels(image), (Bytes{0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    /**/ 0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    /**/ //
                                    0,
                                    0,
                                    1,
                                    4,
                                    2,
                                    4,
                                    /**/ 0,
                                    0,
                                    3,
                                    5,
                                    3,
                                    0}));

    const auto readMessage = [&](const Bytes& data) {
        const std::string file = dir.Write("r.pxf", PxfFile({PxfBlock(BLOCK_RLE_IMAGE, 1, data)}));
        return ThrownMessage(
            [&] { ReadPlainImage(file.c_str(), &image, nullptr, 0, FORMAT_BLOCKFILE); });
    };
    const std::string name = dir.Write("r.pxf", {});
    EXPECT_EQ(readMessage(RleData(1, -1, 2, 0, 0, {0, 0})),
              "RLE image in file '" + name + "' has no size of its own");
    EXPECT_EQ(readMessage(RleData(4, 0x7FFFFFFF, 2, 5, 0, {0, 0})),
              "Image of 2147483652 x 2 pixels is too large for file '" + name + "'");
    EXPECT_EQ(readMessage(RleData(1, 2, 2, -5, 0, {0, 0})),
              "Bad image size -3 x 2 in file '" + name + "'");
    // Large pictures need codes in proportion.
    EXPECT_EQ(readMessage(RleData(1, 8000, 8000, 0, 0, {0, 0})),
              "Image of 8000 x 8000 pixels is too large for file '" + name + "'");
}
