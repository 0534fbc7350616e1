// ReadImageRows: JPEG files arrive in bands from the top, with the header
// first; other files whole; files that stop short are refused after the rows
// they held.
#include "imagefile/codecfixtures.h"

#include "imagefile/readimage.h"
#include "imagefile/readrows.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace fixtures;

namespace {

// Gathers what a read hands over.
struct Recorder final : ImageRowSink {
    void Begin(const ImageHeader& read) override {
        ++begun;
        header = read;
        picture.Create(read.size, read.bytesPerPixel, 4);
    }
    void Rows(const pxImage& rows) override {
        ASSERT_EQ(begun, 1) << "rows before the header";
        ASSERT_EQ(rows.GetWidth(), header.size.width);
        ASSERT_LE(rowsIn + rows.GetHeight(), header.size.height);
        largestBand = std::max(largestBand, rows.GetHeight());
        const size_t bytes = size_t(rows.GetWidth()) * rows.GetBytesPerPixel();
        for (int32_t y = 0; y < rows.GetHeight(); ++y)
            std::memcpy(picture.Row(rowsIn + y), rows.Row(y), bytes);
        rowsIn += rows.GetHeight();
    }

    int begun = 0;
    ImageHeader header;
    pxImage picture;
    int32_t rowsIn = 0;
    int32_t largestBand = 0;
};

bool SamePixels(const pxImage& a, const pxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    const size_t bytes = size_t(a.GetWidth()) * a.GetBytesPerPixel();
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0)
            return false;
    return true;
}

pxImage ReadWhole(const std::string& path) {
    pxImage image;
    pxPalette palette;
    _ImageInfo info;
    EXPECT_EQ(ReadImage(path.c_str(), &image, &palette, &info, nullptr), 1);
    return image;
}

} // namespace

TEST(ReadImageRows, JpegFilesArriveInBandsOtherFilesWhole) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(40, 37, 3);
    for (const bool progressive : {false, true})
        for (const bool grey : {false, true}) {
            SCOPED_TRACE(std::string(progressive ? "progressive" : "baseline") +
                         (grey ? " grey" : " colour"));
            JpegForm form;
            form.progressive = progressive;
            form.grey = grey;
            form.segments = {{0xE3, JpsDescriptor(0x40201)}};
            const std::string path = dir.Write("p.jps", EncodeJpeg(picture, form));
            Recorder recorder;
            ReadImageRows(path.c_str(), recorder);
            EXPECT_EQ(recorder.header.fileType, FILETYPE_JPEG);
            EXPECT_EQ(recorder.header.bytesPerPixel, 3);
            EXPECT_EQ(recorder.header.hasDescriptor, 1);
            EXPECT_EQ(recorder.header.layout, 0x40201u);
            EXPECT_EQ(recorder.rowsIn, 37);
            EXPECT_LE(recorder.largestBand, 16) << "the picture was held whole";
            EXPECT_TRUE(SamePixels(recorder.picture, ReadWhole(path)));
        }

    // Without a descriptor a JPEG gets the default layout word.
    const std::string plain = dir.Write("plain.jpg", EncodeJpeg(picture, {}));
    Recorder jpeg;
    ReadImageRows(plain.c_str(), jpeg);
    EXPECT_EQ(jpeg.header.hasDescriptor, 0);
    EXPECT_EQ(jpeg.header.layout, kJpegDefaultLayout);

    // A palette BMP: whole, with its palette and the plain files' layout.
    const Picture indexed = IndexedPicture(9, 5, 16);
    const std::string bmp = dir.Write("i.bmp", EncodeBmp(indexed, {8}));
    Recorder whole;
    ReadImageRows(bmp.c_str(), whole);
    EXPECT_EQ(whole.header.fileType, FILETYPE_PLAIN);
    EXPECT_EQ(whole.header.bytesPerPixel, 1);
    EXPECT_EQ(whole.header.layout, kPlainDefaultLayout);
    EXPECT_EQ(whole.header.palette[*indexed.At(3, 2)], indexed.palette[*indexed.At(3, 2)]);
    EXPECT_EQ(whole.rowsIn, 5);
    EXPECT_TRUE(SamePixels(whole.picture, ReadWhole(bmp)));
}

TEST(ReadImageRows, FilesThatStopShortAreRefusedAfterTheirRows) {
    const TempDir dir;
    const Picture picture = TrueColourPicture(64, 64, 3);
    const Bytes jpeg = EncodeJpeg(picture, {});
    const std::string cut =
        dir.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
    Recorder recorder;
    const std::string message = ThrownMessage([&] { ReadImageRows(cut.c_str(), recorder); });
    EXPECT_EQ(message.rfind("The file '" + cut + "' ends before its image is complete (", 0), 0u)
        << message;
    EXPECT_NE(message.find(" of 64 rows)"), std::string::npos) << message;
    EXPECT_GT(recorder.rowsIn, 0);
    EXPECT_LT(recorder.rowsIn, 64);

    const std::string header = dir.Write("header.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40));
    Recorder none;
    EXPECT_EQ(ThrownMessage([&] { ReadImageRows(header.c_str(), none); }),
              "The file '" + header + "' ends before its image begins.");
    EXPECT_EQ(none.begun, 0);
}
