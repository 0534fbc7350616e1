#include "imagefile/blockfile.h"

#include "imagefile/byteorder.h"
#include "imagefile/file.h"
#include "imagefile/plainreaders.h"
#include "imaging/pxerror.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int32_t kMagic = 'T' << 24 | 'M' << 16 | 'B' << 8 | 'R';
constexpr long kHeaderBytes = 8;
constexpr size_t kNumberBytes = 4;

// The files open for reading, newest first.
pxFile* firstOpenFile = nullptr;

void PutBigEndian32(int32_t value, uint8_t* bytes) {
    const auto bits = static_cast<uint32_t>(value);
    for (size_t i = 0; i < kNumberBytes; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (24 - 8 * i));
}

pxBlockObject LoadImage(pxFile& file) {
    pxImage image;
    file.ReadImage(image, 1, 0);
    return image;
}

pxBlockObject LoadRleImage(pxFile& file) {
    return file.ReadRleImage();
}

pxBlockObject LoadPalette(pxFile& file) {
    pxPalette palette;
    file.ReadPalette(palette);
    return palette;
}

pxBlockObject LoadClickRegion(pxFile& file) {
    return file.ReadClickRegion();
}

pxBlockObject LoadString(pxFile& file) {
    return file.ReadString();
}

pxBlockObject LoadAnimation(pxFile& file) {
    return file.ReadAnimation();
}

constexpr pxBlockType kBlockTypes[] = {
    {BLOCK_END, " END OF LIST/FILE", nullptr},
    {BLOCK_IMAGE, "IMAGE", LoadImage},
    {BLOCK_RLE_IMAGE, "RLE IMAGE", LoadRleImage},
    {BLOCK_PALETTE, "PALETTE", LoadPalette},
    {BLOCK_CLICK_REGION, "CLICK REGION", LoadClickRegion},
    {BLOCK_STRING, "STRING", LoadString},
    {BLOCK_ANIMATION, "ANIMATION", LoadAnimation},
};

// The picture of a "RLE IMAGE" block on its own: just large enough for its
// rectangle, with every pixel the codes leave alone 0.
void DecodeAlone(const pxRleImage& rle, pxImage& image, const char* fileName) {
    if (rle.width < 1 || rle.height < 1)
        throw pxError("RLE image in file '%s' has no size of its own", fileName);
    const int64_t width = int64_t{rle.x} + rle.width;
    const int64_t height = int64_t{rle.y} + rle.height;
    plainread::CheckImageSize(fileName, width, height, rle.bytesPerPixel, width * rle.bytesPerPixel,
                              true, static_cast<int64_t>(rle.codes.size()));
    image.Create({static_cast<int32_t>(width), static_cast<int32_t>(height)}, rle.bytesPerPixel, 1,
                 0);
    for (int32_t row = 0; row < image.GetHeight(); ++row)
        std::memset(image.Row(row), 0, static_cast<size_t>(width * rle.bytesPerPixel));
    DecodeRleImage(rle, image);
}

} // namespace

const pxBlockType* FindBlockType(int32_t type) {
    for (const pxBlockType& entry : kBlockTypes)
        if (entry.type == type)
            return &entry;
    return nullptr;
}

const pxBlockType& GetBlockType(int32_t type) {
    const pxBlockType* entry = FindBlockType(type);
    if (!entry)
        throw pxError("Could not find file object type %d", type);
    return *entry;
}

// ---- opening and closing ----

pxFile::pxFile(const char* file, char openMode) {
    if (!file)
        throw pxError("NULL file name passed as argument to pxFile");
    fileName = file;
    try {
        switch (openMode) {
        case 'r':
        case 'R':
            OpenForReading();
            break;
        case 'w':
        case 'W':
            OpenForWriting();
            break;
        case 'a':
        case 'A':
            OpenForAppend();
            break;
        default:
            throw pxError("Unrecognized file mode '%c' passed to pxFile", openMode);
        }
    } catch (...) {
        // The destructor does not run for a constructor that throws.
        if (stream)
            std::fclose(stream);
        throw;
    }
}

void pxFile::OpenForReading() {
    stream = OpenImageFile(fileName.c_str());
    if (!stream)
        pxThrowFileError(pxFileError::OPEN_FAILED, "Unable to open file '%s' for reading",
                         fileName.c_str());
    int32_t version = 0;
    if (!ReadHeader(version))
        throw pxError("File '%s' is not a TMBR file", fileName.c_str());
    if (version != 0)
        throw pxError("File '%s' is an old TMBR file", fileName.c_str());
    BuildContents();
    nextOpen = firstOpenFile;
    firstOpenFile = this;
}

void pxFile::OpenForWriting() {
    stream = std::fopen(fileName.c_str(), "wb");
    if (!stream)
        pxThrowFileError(pxFileError::OPEN_FAILED, "Unable to open file '%s' for writing",
                         fileName.c_str());
    mode = 'w';
    WriteFileNumber(kMagic);
    WriteFileNumber(0);
}

// Walks the blocks already there and leaves the file on its end type, which
// the next block written replaces.
void pxFile::OpenForAppend() {
    stream = std::fopen(fileName.c_str(), "r+b");
    if (!stream)
        pxThrowFileError(pxFileError::OPEN_FAILED, "Unable to open file '%s' for append",
                         fileName.c_str());
    int32_t version = 0;
    if (!ReadHeader(version))
        throw pxError("File '%s' is not a TMBR file", fileName.c_str());
    if (version != 0)
        throw pxError("File '%s' is not a new TMBR file", fileName.c_str());
    while (NextBlock()) {
    }
    Seek(GetPosition() - static_cast<long>(kNumberBytes));
    mode = 'w';
    state = FILE_EXPECT_TYPE;
}

bool pxFile::ReadHeader(int32_t& version) {
    if (const std::optional<uint64_t> size = StreamSize(stream))
        fileSize = static_cast<long>(*size);
    int32_t magic = 0;
    return ReadRawNumber(magic) && magic == kMagic && ReadRawNumber(version);
}

void pxFile::Rewind() {
    Seek(kHeaderBytes);
    state = FILE_EXPECT_TYPE;
}

void pxFile::BuildContents() {
    Rewind();
    while (NextBlock())
        if (id != 0)
            contents.push_back({name, sizePosition, id, type, std::nullopt});
    Rewind();
}

pxFile::~pxFile() {
    if (mode == 'w')
        FinishWriting();
    for (pxFile** link = &firstOpenFile; *link; link = &(*link)->nextOpen)
        if (*link == this) {
            *link = nextOpen;
            break;
        }
    std::fclose(stream);
}

void pxFile::FinishWriting() noexcept {
    try {
        if (state == FILE_IN_DATA && sizePosition >= 0)
            FixSize();
        if (state == FILE_EXPECT_TYPE)
            WriteType(BLOCK_END);
    } catch (const pxError&) {
        // logged below: the file stays unfinished
    }
    if (state != FILE_AT_END)
        pxLog("File closed before write complete (status %d)", state);
}

bool pxFile::IsOpenForReading(const pxFile* file) {
    for (const pxFile* open = firstOpenFile; open; open = open->nextOpen)
        if (open == file)
            return true;
    return false;
}

// ---- positions and raw numbers ----

long pxFile::GetPosition() const {
    const long position = std::ftell(stream);
    if (position <= 0)
        throw pxError("Cannot find position in file '%s'", fileName.c_str());
    return position;
}

void pxFile::Seek(long position) {
    if (std::fseek(stream, position, SEEK_SET) != 0)
        throw pxError("Cannot seek in file '%s'", fileName.c_str());
}

long pxFile::BytesLeftInFile() const {
    return std::max(0L, fileSize - GetPosition());
}

bool pxFile::ReadRawNumber(int32_t& value) {
    uint8_t bytes[kNumberBytes];
    if (std::fread(bytes, 1, kNumberBytes, stream) != kNumberBytes)
        return false;
    value = BigEndian32(bytes);
    return true;
}

int32_t pxFile::ReadFileNumber() {
    int32_t value = 0;
    if (!ReadRawNumber(value))
        pxThrowFileError(pxFileError::READ_FAILED, "Unexpected end of file '%s'", fileName.c_str());
    return value;
}

void pxFile::WriteRaw(const void* data, size_t count) {
    if (std::fwrite(data, 1, count, stream) != count)
        pxThrowFileError(pxFileError::WRITE_FAILED, "Cannot write to file '%s'", fileName.c_str());
}

void pxFile::WriteFileNumber(int32_t value) {
    uint8_t bytes[kNumberBytes];
    PutBigEndian32(value, bytes);
    WriteRaw(bytes, kNumberBytes);
}

// ---- reading steps ----

void pxFile::CheckReadable() const {
    if (mode != 'r')
        throw pxError("Attempt to read from write-only file '%s'", fileName.c_str());
}

void pxFile::CheckWritable() const {
    if (mode != 'w')
        throw pxError("Attempt to write to read-only file '%s'", fileName.c_str());
}

void pxFile::CheckInData() const {
    CheckReadable();
    if (state != FILE_IN_DATA)
        throw pxError("Attempt to read data before block size (state %d)", state);
}

void pxFile::CheckAvailable(int64_t count) const {
    if (count < 0 || count > sizeLeft)
        throw pxError("Attempted over-read in block %d::%d (%ld > %d)", type, id,
                      static_cast<long>(count), sizeLeft);
}

void pxFile::CheckCount(int32_t count, int32_t itemBytes) const {
    if (count < 0)
        throw pxError("Negative count %d in block %d::%d", count, type, id);
    CheckAvailable(int64_t{count} * itemBytes);
}

int32_t pxFile::ReadType() {
    CheckReadable();
    if (state != FILE_EXPECT_TYPE)
        throw pxError("Attempt to read type in state %d", state);
    type = ReadFileNumber();
    id = 0;
    name[0] = '\0';
    state = type == BLOCK_END ? FILE_AT_END : FILE_EXPECT_ID;
    return type;
}

int32_t pxFile::ReadId() {
    CheckReadable();
    if (state != FILE_EXPECT_ID)
        throw pxError("Attempt to read id in state %d", state);
    const int32_t stored = ReadFileNumber();
    if (stored == INT32_MIN)
        throw pxError("Bad block identifier %d in file '%s'", stored, fileName.c_str());
    id = stored < 0 ? -stored : stored;
    if (stored < 0)
        ReadName();
    state = FILE_EXPECT_SIZE;
    return id;
}

void pxFile::ReadName() {
    char text[kMaxName + 1];
    for (int length = 0;; ++length) {
        const int c = std::fgetc(stream);
        if (c == EOF || c == 255)
            throw pxError("End of file reading entry name");
        if (c == 0) {
            text[length] = '\0';
            break;
        }
        if (length == kMaxName)
            throw pxError("String to big reading entry name");
        text[length] = static_cast<char>(c);
    }
    std::memcpy(name, text, sizeof name);
}

int32_t pxFile::ReadSize() {
    CheckReadable();
    if (state != FILE_EXPECT_SIZE)
        throw pxError("Attempt to read size in state %d", state);
    sizePosition = GetPosition();
    const int32_t size = ReadFileNumber();
    if (size < 0)
        throw pxError("Size = %d when reading contents", size);
    // Loaders allocate no more than their block holds, so no more than the file.
    if (size > BytesLeftInFile())
        throw pxError("Size = %d runs past the end of file '%s'", size, fileName.c_str());
    sizeLeft = size;
    state = FILE_IN_DATA;
    return size;
}

void pxFile::ReadData(void* buffer, int32_t count) {
    // The last part of a block may be empty (no colours, no codes) once the
    // rest of its data is read.
    if (count == 0 && state == FILE_EXPECT_TYPE)
        return;
    CheckInData();
    CheckAvailable(count);
    if (std::fread(buffer, 1, static_cast<size_t>(count), stream) != static_cast<size_t>(count))
        pxThrowFileError(pxFileError::READ_FAILED, "Unexpected end of file '%s'", fileName.c_str());
    sizeLeft -= count;
    if (sizeLeft == 0)
        state = FILE_EXPECT_TYPE;
}

int32_t pxFile::ReadNumber() {
    uint8_t bytes[kNumberBytes];
    ReadData(bytes, kNumberBytes);
    return BigEndian32(bytes);
}

void pxFile::SkipData() {
    CheckInData();
    if (std::fseek(stream, sizeLeft, SEEK_CUR) != 0)
        throw pxError("Cannot seek in file '%s'", fileName.c_str());
    sizeLeft = 0;
    state = FILE_EXPECT_TYPE;
}

bool pxFile::NextBlock() {
    CheckReadable();
    switch (state) {
    case FILE_AT_END:
        return false;
    case FILE_EXPECT_ID:
        ReadId();
        [[fallthrough]];
    case FILE_EXPECT_SIZE:
        ReadSize();
        [[fallthrough]];
    case FILE_IN_DATA:
        SkipData();
        break;
    default:
        break;
    }
    if (ReadType() == BLOCK_END)
        return false;
    ReadId();
    ReadSize();
    return true;
}

// ---- strings ----

void pxFile::StartString() {
    if (type != BLOCK_STRING)
        throw pxError("Attempt to read string from block type %d", type);
    if (state == FILE_EXPECT_SIZE)
        ReadSize();
}

char* pxFile::ReadString(char* buffer, int32_t room) {
    if (!buffer || room < 1)
        throw pxError("No room to read a string into from file '%s'", fileName.c_str());
    StartString();
    const int32_t length = std::min(sizeLeft, room - 1);
    ReadData(buffer, length);
    buffer[length] = '\0';
    if (state == FILE_IN_DATA)
        SkipData();
    return buffer;
}

std::string pxFile::ReadString() {
    StartString();
    std::string text(static_cast<size_t>(sizeLeft), '\0');
    ReadData(text.data(), sizeLeft);
    text.resize(std::strlen(text.c_str()));
    return text;
}

// ---- writing steps ----

void pxFile::WriteType(int32_t newType) {
    CheckWritable();
    if (state != FILE_EXPECT_TYPE)
        throw pxError("Attempt to write type in state %d", state);
    WriteFileNumber(newType);
    type = newType;
    id = 0;
    name[0] = '\0';
    state = type == BLOCK_END ? FILE_AT_END : FILE_EXPECT_ID;
}

void pxFile::WriteId(int32_t newId, const char* newName) {
    CheckWritable();
    if (state != FILE_EXPECT_ID)
        throw pxError("Attempt to write id in state %d", state);
    const bool named = newName && *newName;
    // A name is told by a negative identifier, so it needs one above 0, and
    // the reader stops at a byte 255.
    if (newId < 0 || (named && (newId == 0 || std::strlen(newName) > size_t{kMaxName} ||
                                std::strchr(newName, '\xff'))))
        throw pxError("Cannot write block identifier %d with name '%s'", newId,
                      named ? newName : "");
    WriteFileNumber(named ? -newId : newId);
    if (named)
        WriteRaw(newName, std::strlen(newName) + 1);
    id = newId;
    std::strcpy(name, named ? newName : "");
    state = FILE_EXPECT_SIZE;
}

void pxFile::WriteSize() {
    CheckWritable();
    if (state != FILE_EXPECT_SIZE)
        throw pxError("Attempt to write size in state %d", state);
    sizePosition = GetPosition();
    WriteFileNumber(0);
    state = FILE_IN_DATA;
}

void pxFile::WriteData(const void* data, int32_t count) {
    CheckWritable();
    if (state != FILE_IN_DATA)
        throw pxError("Attempt to write data before block size (state %d)", state);
    if (count < 0)
        throw pxError("Cannot write %d bytes to file '%s'", count, fileName.c_str());
    WriteRaw(data, static_cast<size_t>(count));
}

void pxFile::WriteNumber(int32_t value) {
    uint8_t bytes[kNumberBytes];
    PutBigEndian32(value, bytes);
    WriteData(bytes, kNumberBytes);
}

void pxFile::FixSize() {
    CheckWritable();
    if (state != FILE_IN_DATA || sizePosition < 0)
        throw pxError("FixSize called at wrong time");
    const long end = GetPosition();
    const long size = end - sizePosition - static_cast<long>(kNumberBytes);
    if (size > INT32_MAX)
        throw pxError("Block of %ld bytes is too large for file '%s'", size, fileName.c_str());
    Seek(sizePosition);
    WriteFileNumber(static_cast<int32_t>(size));
    Seek(end);
    sizePosition = -1;
    state = FILE_EXPECT_TYPE;
}

// ---- block loaders ----

void pxFile::CheckPixelSize(int32_t bytesPerPixel) const {
    if (bytesPerPixel < 1 || bytesPerPixel > 4)
        throw pxError("Bad pixel size %d in file '%s'", bytesPerPixel, fileName.c_str());
}

void pxFile::ReadImage(pxImage& image, int32_t rowAlign, int32_t bottomUp, px2Pnt* position) {
    if (type != BLOCK_IMAGE)
        throw pxError("Tried to read image from file block %d\n", type);
    const int32_t width = ReadNumber();
    const int32_t height = ReadNumber();
    const int32_t bytesPerPixel = ReadNumber();
    const px2Pnt at{ReadNumber(), ReadNumber()};
    CheckPixelSize(bytesPerPixel);
    const int64_t rowBytes = int64_t{width} * bytesPerPixel;
    plainread::CheckImageSize(fileName.c_str(), width, height, bytesPerPixel, rowBytes, false,
                              sizeLeft);
    CheckAvailable(rowBytes * height);
    image.Create({width, height}, bytesPerPixel, rowAlign, bottomUp);
    for (int32_t row = 0; row < height; ++row)
        ReadData(image.Row(row), static_cast<int32_t>(rowBytes));
    if (position)
        *position = at;
}

pxRleImage pxFile::ReadRleImage() {
    if (type != BLOCK_RLE_IMAGE)
        throw pxError("Tried to read RLE image from file block %ld\n", static_cast<long>(type));
    pxRleImage rle;
    rle.bytesPerPixel = ReadNumber();
    rle.width = ReadNumber();
    rle.height = ReadNumber();
    rle.x = ReadNumber();
    rle.y = ReadNumber();
    CheckPixelSize(rle.bytesPerPixel);
    const int32_t length = ReadNumber();
    CheckCount(length, 1);
    rle.codes.resize(static_cast<size_t>(length));
    ReadData(rle.codes.data(), length);
    return rle;
}

void pxFile::ReadPalette(pxPalette& palette) {
    if (type != BLOCK_PALETTE)
        throw pxError("Attempt to read palette from block type %d", type);
    const int32_t count = ReadNumber();
    if (count < 0 || count > pxPalette::kMaxColours)
        throw pxError("Num colors = %d not valid in ReadPalette", count);
    uint8_t entries[3 * pxPalette::kMaxColours];
    ReadData(entries, 3 * count);
    if (palette.GetCount() < count)
        palette.SetCount(count);
    for (int32_t i = 0; i < count; ++i)
        palette[i] = pxColor::Rgb(entries[3 * i], entries[3 * i + 1], entries[3 * i + 2]);
}

pxClickRegion pxFile::ReadClickRegion() {
    if (type != BLOCK_CLICK_REGION)
        throw pxError("Tried to read click region from block %d\n", type);
    const int32_t count = ReadNumber();
    CheckCount(count, 2 * kNumberBytes);
    pxClickRegion points(static_cast<size_t>(count));
    for (px2Pnt& point : points) {
        point.x = ReadNumber();
        point.y = ReadNumber();
    }
    return points;
}

pxAnimation pxFile::ReadAnimation() {
    if (type != BLOCK_ANIMATION)
        throw pxError("Tried to read animation from file block %d\n", type);
    pxAnimation animation;
    animation.kind = ReadNumber();
    const int32_t count = ReadNumber();
    CheckCount(count, kNumberBytes);
    animation.frames.resize(static_cast<size_t>(count));
    for (int32_t& frame : animation.frames)
        frame = ReadNumber();
    if (animation.kind == 2)
        animation.file = this;
    return animation;
}

const pxBlockObject& pxFile::LoadEntry(size_t index) {
    if (index >= contents.size())
        throw pxError("No entry %ld in the contents of file '%s'", static_cast<long>(index),
                      fileName.c_str());
    pxFileEntry& entry = contents[index];
    if (!entry.object) {
        // Only the end type has no loader, and it never gets an entry.
        const pxBlockType& blockType = GetBlockType(entry.type);
        Seek(entry.sizePosition);
        type = entry.type;
        id = entry.id;
        std::strcpy(name, entry.name.c_str());
        state = FILE_EXPECT_SIZE;
        ReadSize();
        entry.object = blockType.load(*this);
    }
    return *entry.object;
}

// ---- the plain-format reader ----

void ReadBlockFileImage(const char* fileName, pxImage& image, pxPalette* palette) {
    pxFile file(fileName, 'r');
    bool imageRead = false;
    bool paletteRead = palette == nullptr; // nowhere to put one
    while (!(imageRead && paletteRead) && file.NextBlock()) {
        const int32_t type = file.GetType();
        if (type == BLOCK_PALETTE && !paletteRead) {
            file.ReadPalette(*palette);
            paletteRead = true;
        } else if (type == BLOCK_IMAGE && !imageRead) {
            file.ReadImage(image, 1, 0);
            imageRead = true;
        } else if (type == BLOCK_RLE_IMAGE && !imageRead) {
            DecodeAlone(file.ReadRleImage(), image, fileName);
            imageRead = true;
        }
    }
    if (!imageRead)
        throw pxError("No image in file '%s'", fileName);
}
