// The presentation container: a file header ("PXRF" and a word nobody reads)
// and a run of typed blocks, each stored plain or as a zlib stream, ending
// with an all-zero block header. Every read may stop short when the data has
// not arrived yet and be called again, so that a file still downloading can
// be read as it grows. The viewer and the plug-in build their own copies of
// these sources; nothing here depends on either.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

enum PxrBlockType : uint16_t {
    PXR_BLOCK_WRAP = 6,
    PXR_BLOCK_TEXT = 9,
    PXR_BLOCK_SCRIPT = 11,
};

enum PxrBlockFlags : uint16_t {
    PXR_FLAG_COMPRESSED = 0x8000, // the body is a zlib stream
    PXR_FLAG_EXTRA = 0x4000,      // a 32-bit word follows the header
    PXR_FLAG_NAME = 0x2000,       // a zero-terminated name follows (after the extra word)
};

// What NextBlock answers at the end block and on every call after it.
constexpr int32_t kPxrEndBlock = -1;

class pxrInput {
public:
    static constexpr int32_t kDefaultBufferSize = 1024;
    static constexpr int kNameSize = 100; // up to 99 characters and the terminator

    pxrInput();
    virtual ~pxrInput();
    pxrInput(const pxrInput&) = delete;
    pxrInput& operator=(const pxrInput&) = delete;

    // Replaces the input buffer; bytes already read ahead into the old one
    // stay readable. Returns the old size. Throws pxError for 0 or less.
    int32_t SetInputBufferSize(int32_t size);

    // Moves to the next block header: its type; 0 when the data for it has
    // not arrived yet (call again); kPxrEndBlock at the end block and after.
    int32_t NextBlock();

    uint16_t GetType() const { return type; }
    uint16_t GetFlags() const { return flags; }
    uint32_t GetLength() const { return length; }
    uint32_t GetExtra() const { return extra; }
    const char* GetName() const { return name; }
    bool IsCompressed() const { return compressed; }

    // Up to count bytes of the current block's body, inflated when the block
    // is compressed; the bytes delivered (fewer when no more are there now).
    // Throws pxError when the block is used up or its zlib stream is bad.
    int32_t ReadData(void* buffer, int32_t count);
    // A little-endian number of the body; the bytes read (2 or 4 when whole).
    // A number cut short by the data keeps the bytes that came: the next call
    // for a number in the same block completes it, so nothing is lost.
    int32_t ReadUInt16(uint16_t* value);
    int32_t ReadUInt32(uint32_t* value);

    // Skips stored bytes of the current block; the bytes skipped (fewer when
    // no more are there now). NextBlock's helper: the count of the block's
    // bytes left is not changed. Throws pxError beyond the block.
    virtual int32_t Skip(int32_t count) = 0;

    // A source that is complete (a file on disk, a finished download) ends
    // where its data ends: a header or block cut short is then the end block,
    // and SourceExhausted tells whoever got 0 from a loader that its block
    // will never be whole.
    // A growing source (the default for none) waits for more instead.
    void SetSourceComplete(bool complete) { sourceComplete = complete; }
    bool SourceExhausted() const { return sourceComplete && sourceDry; }

    // The most body bytes the current block can still deliver: its stored
    // bytes, or what they can inflate to (0 once its stream has ended).
    // Loaders refuse declared sizes beyond it rather than allocate them.
    uint64_t MaxBodyBytes() const;

protected:
    // Raw bytes from the source; 0 when none are there now.
    virtual int32_t Read(void* buffer, int32_t count) = 0;

    // The input buffer, shared with the derived sources' Skip.
    std::vector<unsigned char> buffer;
    int32_t readPosition = 0;
    int32_t fillCount = 0;
    // Bytes of the current block not yet consumed from the input.
    uint32_t remaining = 0;
    // Set when the last raw read found nothing.
    bool sourceDry = false;
    int32_t RawRead(void* into, int32_t count);
    // Drops count bytes: the unread part of the input buffer first, then raw
    // reads of at most the buffer's size; the bytes dropped (fewer when the
    // source has no more now). The derived sources' Skip checks and calls it.
    int32_t DropInput(int32_t count);

private:
    // Where NextBlock stands; a call that runs out of data resumes there.
    enum class Step { FileHeader, SkipBody, BlockHeader, Extra, Name };

    // Refills the whole input buffer once its unread part is used up; false
    // when the source gave nothing.
    bool Refill();
    // Header bytes into headerBytes up to want; false while some are missing.
    bool TakeHeaderBytes(int32_t want);
    // The end of a complete source inside a header: logged, then the end.
    int32_t EndInside(const char* where);
    void ClearBlock();
    int32_t ReadStored(unsigned char* into, int32_t count);
    int32_t ReadInflated(unsigned char* into, int32_t count);
    // A little-endian number of size bytes, resumable (see ReadUInt32).
    int32_t ReadNumber(int32_t size, uint32_t* value, const char* what);

    z_stream zlib{};
    bool zlibReady = false;
    bool streamEnded = false;
    Step step = Step::FileHeader;
    unsigned char headerBytes[8] = {};
    int32_t headerFill = 0;
    // Name bytes taken so far, the terminator excluded (only 99 are kept).
    uint32_t nameTaken = 0;
    // The bytes of a number that arrived in part, kept for the next call.
    unsigned char numberBytes[4] = {};
    int32_t numberFill = 0;
    int32_t numberSize = 0;
    int32_t bufferSize = kDefaultBufferSize;
    bool compressed = false;
    bool ended = false;
    bool sourceComplete = false;
    uint16_t type = 0;
    uint16_t flags = 0;
    uint32_t length = 0;
    uint32_t extra = 0;
    char name[kNameSize] = {};
};

// A container read from a file with the C library's low-level reads; the
// file may still be growing (the plug-in's download) unless marked complete.
class pxrInputFile : public pxrInput {
public:
    // A file that cannot be opened is logged; its reads then give nothing.
    explicit pxrInputFile(const char* path);
    ~pxrInputFile() override;
    bool IsOpen() const { return descriptor >= 0; }
    int32_t Skip(int32_t count) override;

protected:
    int32_t Read(void* buffer, int32_t count) override;

private:
    int descriptor = -1;
};

// Loads a wrapped file's block (type 6) in pieces: name length, name, file
// size, then the contents one piece per call.
class pxrBlockWrap {
public:
    explicit pxrBlockWrap(uint16_t expectedType = PXR_BLOCK_WRAP);
    // Nonzero once the whole file has been delivered; after each call the
    // piece just read is at GetData() with GetDataSize() bytes (the caller
    // writes it out). The first call's piece size holds for the block; 0 or
    // less means the whole file in one piece. Throws pxError for a block of
    // another type or sizes the block cannot hold.
    int32_t Load(pxrInput& input, int32_t pieceSize);
    const char* GetData() const;
    int32_t GetDataSize() const;
    const std::string& GetOriginalName() const;
    uint32_t GetOriginalSize() const;

private:
    enum class Step { Check, NameLength, Name, FileSize, Contents, Done };

    uint16_t expectedType;
    Step step = Step::Check;
    uint32_t pieceSize = 0;
    uint32_t nameLength = 0;
    uint32_t nameFill = 0;
    std::vector<char> nameBytes;
    std::string originalName;
    uint32_t originalSize = 0;
    uint32_t dataRead = 0;
    // One piece, grown as its bytes arrive.
    std::vector<char> data;
    int32_t dataSize = 0;
};

// Loads a text block (type 9) whole.
class pxrBlockText {
public:
    explicit pxrBlockText(uint16_t expectedType = PXR_BLOCK_TEXT);
    int32_t Load(pxrInput& input, int32_t pieceSize);
    const char* GetText() const; // exactly GetTextLength() bytes, no terminator
    uint32_t GetTextLength() const;

private:
    uint16_t expectedType;
    bool checked = false;
    bool lengthRead = false;
    bool complete = false;
    uint32_t textLength = 0;
    uint32_t textFill = 0;
    // Grown as the text arrives, to exactly textLength bytes.
    std::vector<char> text;
};
