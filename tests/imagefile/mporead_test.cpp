// MPO files: both views read into one side-by-side frame, left view first,
// in every reading form and while the file grows; broken and hostile
// indexes refused. The files are built here with a big-endian MPF index
// (the converter writes little-endian ones).
#include "imagefile/codecfixtures.h"

#include "imagefile/jpsread.h"
#include "imagefile/readimage.h"
#include "imagefile/readrows.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace fixtures;

namespace {

void Put16(Bytes& bytes, uint32_t value) {
    bytes.push_back(uint8_t(value >> 8));
    bytes.push_back(uint8_t(value));
}

void Put32(Bytes& bytes, uint32_t value) {
    Put16(bytes, value >> 16);
    Put16(bytes, value);
}

void PutField(Bytes& bytes, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    Put16(bytes, tag);
    Put16(bytes, type);
    Put32(bytes, count);
    Put32(bytes, value);
}

struct MpoForm {
    uint32_t count = 2;                      // NumberOfImages
    uint32_t type = 0x020002;                // of both views: disparity
    std::optional<uint32_t> firstNumber = 1; // MPIndividualNum
    std::optional<uint32_t> secondNumber = 2;
    int64_t secondOffsetShift = 0; // added to the second image's true offset
    bool jfif = true;
};

// "MPF\0", a big-endian TIFF header and, from offset 8, the index of two
// images with the first one's attributes after it.
Bytes IndexPayload(const MpoForm& form, uint32_t firstSize, uint32_t secondSize,
                   uint32_t secondOffset) {
    Bytes payload = {'M', 'P', 'F', 0, 'M', 'M', 0, 42};
    Put32(payload, 8);
    const uint32_t entriesAt = 8 + 2 + 3 * 12 + 4;
    Put16(payload, 3);
    PutField(payload, 0xB000, 7, 4, 0x30313030);
    PutField(payload, 0xB001, 4, 1, form.count);
    PutField(payload, 0xB002, 7, 2 * 16, entriesAt);
    Put32(payload, entriesAt + 32);
    for (const auto& [attribute, size, offset] :
         {std::array{0x20000000 | form.type, firstSize, 0u},
          std::array{form.type, secondSize, secondOffset}}) {
        Put32(payload, attribute);
        Put32(payload, size);
        Put32(payload, offset);
        Put32(payload, 0);
    }
    Put16(payload, form.firstNumber ? 1 : 0);
    if (form.firstNumber)
        PutField(payload, 0xB101, 4, 1, *form.firstNumber);
    Put32(payload, 0);
    return payload;
}

Bytes ViewPayload(std::optional<uint32_t> number) {
    Bytes payload = {'M', 'P', 'F', 0, 'M', 'M', 0, 42};
    Put32(payload, 8);
    Put16(payload, number ? 1 : 0);
    if (number)
        PutField(payload, 0xB101, 4, 1, *number);
    Put32(payload, 0);
    return payload;
}

// The MPO of two encoded views: the index is placed once the sizes are
// known (its own size stays the same).
Bytes MakeMpo(const Picture& left, const Picture& right, const MpoForm& form = {}) {
    JpegForm first;
    first.jfif = form.jfif;
    first.segments = {{0xE2, IndexPayload(form, 0, 0, 0)}};
    Bytes file = EncodeJpeg(left, first);
    JpegForm second;
    second.segments = {{0xE2, ViewPayload(form.secondNumber)}};
    const Bytes secondImage = EncodeJpeg(right, second);
    const Bytes marker = {'M', 'P', 'F', 0, 'M', 'M'};
    const auto at = std::search(file.begin(), file.end(), marker.begin(), marker.end());
    const auto tiffAt = uint32_t(at - file.begin() + 4);
    const Bytes index =
        IndexPayload(form, uint32_t(file.size()), uint32_t(secondImage.size()),
                     uint32_t(int64_t(file.size()) - tiffAt + form.secondOffsetShift));
    std::copy(index.begin(), index.end(), at);
    file.insert(file.end(), secondImage.begin(), secondImage.end());
    return file;
}

// The picture the JPEG reader makes of one view on its own.
pxImage ReadView(const TempDir& dir, const Picture& picture) {
    const std::string path = dir.Write("view.jpg", EncodeJpeg(picture, JpegForm{}));
    pxImage image;
    _ImageInfo info;
    EXPECT_EQ(ReadJpegImage(path.c_str(), &image, nullptr, &info, nullptr), 1);
    return image;
}

// The frame of two views side by side, as they were read alone.
pxImage Frame(const pxImage& leftHalf, const pxImage& rightHalf) {
    pxImage frame({leftHalf.GetWidth() * 2, leftHalf.GetHeight()}, 3);
    const size_t half = size_t(leftHalf.GetWidth()) * 3;
    for (int32_t y = 0; y < frame.GetHeight(); ++y) {
        std::memcpy(frame.Row(y), leftHalf.Row(y), half);
        std::memcpy(frame.Row(y) + half, rightHalf.Row(y), half);
    }
    return frame;
}

bool SamePixels(const pxImage& a, const pxImage& b, int32_t rows) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() < rows || b.GetHeight() < rows)
        return false;
    for (int32_t y = 0; y < rows; ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.GetWidth()) * 3) != 0)
            return false;
    return true;
}

struct Gathered final : ImageRowSink {
    void Begin(const ImageHeader& read) override {
        header = read;
        picture.Create(read.size, 3, 4);
    }
    void Rows(const pxImage& rows) override {
        for (int32_t y = 0; y < rows.GetHeight(); ++y)
            std::memcpy(picture.Row(rowsIn + y), rows.Row(y), size_t(rows.GetWidth()) * 3);
        rowsIn += rows.GetHeight();
    }
    ImageHeader header;
    pxImage picture;
    int32_t rowsIn = 0;
};

} // namespace

TEST(MpoReader, ReadsBothViewsIntoOneLeftFirstFrameInEveryForm) {
    const TempDir dir;
    const Picture left = TrueColourPicture(40, 24, 3);
    Picture right = TrueColourPicture(40, 24, 3);
    for (uint8_t& byte : right.pixels)
        byte = uint8_t(255 - byte);
    const pxImage expected = Frame(ReadView(dir, left), ReadView(dir, right));

    // A camera's file begins with Exif rather than JFIF, and need not be named .mpo.
    MpoForm camera;
    camera.jfif = false;
    for (const auto& [name, form] :
         {std::pair{"pair.mpo", MpoForm{}}, std::pair{"camera.jpg", camera}}) {
        SCOPED_TRACE(name);
        const std::string path = dir.Write(name, MakeMpo(left, right, form));
        EXPECT_EQ(CheckFileType(path.c_str()), FILETYPE_JPEG);

        pxImage image;
        _ImageInfo info;
        ASSERT_EQ(ReadImage(path.c_str(), &image, nullptr, &info, nullptr), 1);
        EXPECT_EQ(info.hasDescriptor, 1);
        EXPECT_EQ(info.layout, 0x40201u);
        EXPECT_EQ(info.rowsDone, 24);
        EXPECT_TRUE(SamePixels(image, expected, 24));

        pxImage viewerImage;
        ReadImageData data;
        data.fileName = path.c_str();
        data.image = &viewerImage;
        while (ReadImage(&data) == 0) {
        }
        EXPECT_EQ(data.layout, 0x40201u);
        EXPECT_EQ(data.truncated, 0);
        EXPECT_TRUE(SamePixels(viewerImage, expected, 24));

        Gathered rows;
        ReadImageRows(path.c_str(), rows);
        EXPECT_EQ(rows.header.layout, 0x40201u);
        EXPECT_EQ(rows.header.hasDescriptor, 1);
        EXPECT_EQ(rows.rowsIn, 24);
        EXPECT_TRUE(SamePixels(rows.picture, expected, 24));
    }

    // While the file grows, no frame row is done before the second view
    // reaches it; the read resumes where it stopped.
    const Bytes file = MakeMpo(left, right);
    const std::string growing = dir.Write("growing.mpo", Bytes(file.begin(), file.begin() + 200));
    pxImage image;
    _ImageInfo info;
    int rowsBefore = 0;
    for (size_t written = 200;;) {
        const int result = ReadImage(growing.c_str(), &image, nullptr, &info, nullptr);
        EXPECT_GE(info.rowsDone, rowsBefore);
        rowsBefore = info.rowsDone;
        if (info.rowsDone > 0) {
            EXPECT_TRUE(SamePixels(image, expected, info.rowsDone)) << written;
        }
        if (result == 1)
            break;
        ASSERT_LT(written, file.size()) << "the whole file is there, but the read goes on";
        const size_t next = std::min(file.size(), written + 300);
        AppendToFile(growing, file, written, next);
        written = next;
    }
    EXPECT_TRUE(SamePixels(image, expected, 24));

    // The views' numbers put the left view first, whatever the file order.
    MpoForm reversed;
    reversed.firstNumber = 2;
    reversed.secondNumber = 1;
    const std::string swapped = dir.Write("swapped.mpo", MakeMpo(left, right, reversed));
    pxImage swappedImage;
    _ImageInfo swappedInfo;
    ASSERT_EQ(ReadImage(swapped.c_str(), &swappedImage, nullptr, &swappedInfo, nullptr), 1);
    EXPECT_TRUE(SamePixels(swappedImage, Frame(ReadView(dir, right), ReadView(dir, left)), 24));
}

TEST(MpoReader, RefusesBrokenIndexesAndViewsThatDoNotMatch) {
    const TempDir dir;
    const Picture left = TrueColourPicture(40, 24, 3);
    const auto refusal = [&](const std::string& name, const Bytes& file) {
        const std::string path = dir.Write(name, file);
        Gathered rows;
        return ThrownMessage([&] { ReadImageRows(path.c_str(), rows); });
    };
    const auto broken = [&](const std::string& name, const std::string& reason) {
        return "Cannot read the MPO file '" + dir.PathOf(name) + "': " + reason;
    };

    EXPECT_EQ(refusal("sizes.mpo", MakeMpo(left, TrueColourPicture(40, 20, 3))),
              "The views of the MPO file '" + dir.PathOf("sizes.mpo") +
                  "' differ in size (40x24 and 40x20)");
    MpoForm huge;
    huge.count = 100000;
    EXPECT_EQ(refusal("huge.mpo", MakeMpo(left, left, huge)),
              broken("huge.mpo", "The MPF index lists 100000 images (at most 64 are read)"));
    MpoForm inside;
    inside.secondOffsetShift = -100;
    const std::string insideRefusal = refusal("inside.mpo", MakeMpo(left, left, inside));
    EXPECT_NE(insideRefusal.find(") inside the first ("), std::string::npos) << insideRefusal;
    MpoForm outside;
    outside.secondOffsetShift = 1 << 20;
    const std::string outsideRefusal = refusal("outside.mpo", MakeMpo(left, left, outside));
    EXPECT_NE(outsideRefusal.find(") outside the file ("), std::string::npos) << outsideRefusal;

    // Entries that run past the segment's end.
    Bytes cut = MakeMpo(left, left);
    const Bytes entriesField = {0xB0, 0x02, 0x00, 0x07, 0x00, 0x00, 0x00, 0x20};
    const auto field =
        std::search(cut.begin(), cut.end(), entriesField.begin(), entriesField.end());
    ASSERT_NE(field, cut.end());
    field[10] = 0x7F; // the entries' offset
    EXPECT_EQ(refusal("cut.mpo", cut),
              broken("cut.mpo", "The MPF index entries lie outside their segment"));

    // An index of a photo and its preview (not views of a pair) leaves a
    // plain JPEG: the first image alone, in the default layout.
    MpoForm preview;
    preview.type = 0x010001;
    const std::string photo = dir.Write("photo.jpg", MakeMpo(left, left, preview));
    Gathered rows;
    ReadImageRows(photo.c_str(), rows);
    EXPECT_EQ(rows.header.size.width, 40);
    EXPECT_EQ(rows.header.hasDescriptor, 0);

    // A file that stops after the first view has no frame row done.
    const Bytes file = MakeMpo(left, left);
    const std::string shortFile = dir.Write(
        "short.mpo",
        Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * 2 / 3)));
    pxImage image;
    ReadImageData data;
    data.fileName = shortFile.c_str();
    data.image = &image;
    while (ReadImage(&data) == 0) {
    }
    EXPECT_EQ(data.truncated, 1);
    EXPECT_EQ(data.rowsDone, 0);
}
