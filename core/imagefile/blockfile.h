// The block resource file (.pxf): a header ("TMBR" and version 0), then
// typed blocks, each with an identifier (and, when it is negative, a name)
// and a size before its data, ended by a type of 0. Every number is 32-bit
// big-endian. pxFile reads and writes such a file one step at a time; the
// block-type registry names each type and loads its object.
#pragma once

#include "imagefile/rleimage.h"
#include "imaging/pximage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

enum pxBlockTypeCode : int32_t {
    BLOCK_END = 0,
    BLOCK_IMAGE = 10,
    BLOCK_RLE_IMAGE = 12,
    BLOCK_PALETTE = 20,
    BLOCK_CLICK_REGION = 30,
    BLOCK_STRING = 40,
    BLOCK_ANIMATION = 90,
};

// The steps of a block: each state says what comes next in the file.
enum pxFileState : int32_t {
    FILE_EXPECT_TYPE = 1,
    FILE_EXPECT_ID = 2,
    FILE_EXPECT_SIZE = 3,
    FILE_IN_DATA = 4,
    FILE_AT_END = 5,
};

class pxFile;

using pxClickRegion = std::vector<px2Pnt>;

struct pxAnimation {
    int32_t kind = 0;
    std::vector<int32_t> frames; // one number per frame
    // Kind 2 reads its frames later from the file it came from; that file may
    // be closed by then, so ask pxFile::IsOpenForReading before using it.
    pxFile* file = nullptr;
};

// What loading a block makes.
using pxBlockObject =
    std::variant<pxImage, pxRleImage, pxPalette, pxClickRegion, pxAnimation, std::string>;

// One registered block type. load reads the object of the current block
// (its size already read); the end type has none.
struct pxBlockType {
    int32_t type;
    const char* name;
    pxBlockObject (*load)(pxFile& file);
};

// The registered entry of type, or null.
const pxBlockType* FindBlockType(int32_t type);
// Likewise, but throws "Could not find file object type %d" for none.
const pxBlockType& GetBlockType(int32_t type);

// A block of a file opened for reading that has a nonzero identifier.
struct pxFileEntry {
    std::string name;  // "" when the block has none
    long sizePosition; // where the block's size number lies
    int32_t id;
    int32_t type;
    std::optional<pxBlockObject> object; // once loaded
};

class pxFile {
public:
    static constexpr int kMaxName = 40;

    // 'r'/'R' opens for reading and lists the file's blocks; 'w'/'W' creates
    // the file and writes its header; 'a'/'A' opens a file for writing more
    // blocks in place of its end type. Throws pxError.
    pxFile(const char* fileName, char mode);
    // A file being written gets its open size fixed and its end type; one
    // that stops short of its end is logged.
    ~pxFile();
    pxFile(const pxFile&) = delete;
    pxFile& operator=(const pxFile&) = delete;

    // Reading steps, each allowed only in its state.
    int32_t ReadType();
    int32_t ReadId(); // with the name that a negative identifier brings
    int32_t ReadSize();
    // count bytes of the current block's data (refused beyond its end).
    void ReadData(void* buffer, int32_t count);
    int32_t ReadNumber();
    void SkipData();
    // Finishes the step under way and reads the type, identifier and size of
    // the next block; false at the end of the file.
    bool NextBlock();

    // The text of a string block whose size (when not read yet) and text come
    // next. The buffer form keeps what fits into room - 1 bytes and a zero
    // byte after it; the other form ends at the text's first zero byte.
    char* ReadString(char* buffer, int32_t room);
    std::string ReadString();

    // Writing steps. A size is written as a placeholder and fixed by FixSize
    // once the block's data are written.
    void WriteType(int32_t type);
    void WriteId(int32_t id, const char* name = nullptr);
    void WriteSize();
    void WriteData(const void* data, int32_t count);
    void WriteNumber(int32_t value);
    void FixSize();

    // Loaders of the current block's object, each for its own block type.
    // ReadImage creates image with the caller's row alignment and
    // orientation; position, when given, gets the block's (x, y).
    void ReadImage(pxImage& image, int32_t rowAlign, int32_t bottomUp, px2Pnt* position = nullptr);
    pxRleImage ReadRleImage();
    void ReadPalette(pxPalette& palette);
    pxClickRegion ReadClickRegion();
    pxAnimation ReadAnimation();

    const std::vector<pxFileEntry>& GetContents() const { return contents; }
    // The object of contents entry index, loaded on first use with its
    // type's loader; the file then stands inside that block's data.
    const pxBlockObject& LoadEntry(size_t index);

    // Whether file is open for reading (not yet destroyed).
    static bool IsOpenForReading(const pxFile* file);

    const std::string& GetFileName() const { return fileName; }
    int32_t GetState() const { return state; }
    int32_t GetType() const { return type; }
    int32_t GetId() const { return id; }
    const char* GetName() const { return name; }
    int32_t GetSizeLeft() const { return sizeLeft; }

private:
    void OpenForReading();
    void OpenForWriting();
    void OpenForAppend();
    // Reads magic and version; false when the file does not start with both.
    bool ReadHeader(int32_t& version);
    void Rewind();
    void BuildContents();
    void ReadName();
    // A number outside block data; false at the end of the file.
    bool ReadRawNumber(int32_t& value);
    int32_t ReadFileNumber();
    void WriteRaw(const void* data, size_t count);
    void WriteFileNumber(int32_t value);
    // Fixes an open size and writes the end type, as far as the state allows.
    void FinishWriting() noexcept;
    long GetPosition() const;
    void Seek(long position);
    long BytesLeftInFile() const;
    void CheckReadable() const;
    void CheckWritable() const;
    void CheckInData() const;
    // Refuses to read count more bytes of the current block than it has.
    void CheckAvailable(int64_t count) const;
    // Likewise for count items of itemBytes each; a negative count is refused.
    void CheckCount(int32_t count, int32_t itemBytes) const;
    void CheckPixelSize(int32_t bytesPerPixel) const;
    // Checks for a string block and reads its size when that comes next.
    void StartString();

    std::string fileName;
    std::FILE* stream = nullptr;
    int32_t state = FILE_EXPECT_TYPE;
    int32_t type = BLOCK_END;
    int32_t id = 0;
    int32_t sizeLeft = 0;
    char name[kMaxName + 1] = {};
    std::vector<pxFileEntry> contents;
    char mode = 'r';            // 'r' or 'w'
    long sizePosition = -1;     // the current block's size number; -1 when none is open
    long fileSize = 0;          // of a file opened for reading
    pxFile* nextOpen = nullptr; // the files open for reading, newest first
};

// Reads the first palette block of a .pxf file into palette (when given) and
// its first "IMAGE" or "RLE IMAGE" block into image, with rows aligned to 1
// byte and stored top-down. Pixels that run-length codes leave alone are 0.
// Throws pxError, also for a file without any image.
void ReadBlockFileImage(const char* fileName, pxImage& image, pxPalette* palette);
