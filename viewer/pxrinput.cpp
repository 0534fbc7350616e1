#include "viewer/pxrinput.h"

#include "imaging/pxerror.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kCorruptBlock = "Error loading PXR block.  This PXR file may be corrupt.";
constexpr const char* kOverRead = "pxrInput::ReadData -- WARNING: Over Read 1";
constexpr const char* kNoInflateMemory =
    "Not enough memory to uncompress PXR file.  Please close all open applications and try again.";

// Deflate turns one stored byte into at most 1032: a 258-byte match from a
// 1-bit length code and a 1-bit distance code.
constexpr uint64_t kInflateRatio = 1032;
// What zlib may still owe once it has taken in all of a block's bytes: a
// match being copied and the codes left in its bit buffer.
constexpr uint64_t kInflateSlack = 32768;
// A loader's buffer starts at this and doubles as bytes arrive, so that a
// declared size the data does not back costs no memory.
constexpr uint64_t kGrowthStep = 65536;

uint16_t Little16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t Little32(const unsigned char* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

[[noreturn]] void OverRead() {
    pxLog("%s", kOverRead);
    throw pxError("%s", kOverRead);
}

[[noreturn]] void InflateError(int status) {
    switch (status) {
    case Z_NEED_DICT:
        throw pxError("Need PXR decompression dictionary.");
    case Z_BUF_ERROR:
        throw pxError("Buffer Error on PXR file.");
    case Z_MEM_ERROR:
        throw pxError("%s", kNoInflateMemory);
    case Z_DATA_ERROR:
        throw pxError("Data Error on PXR file.  File may be corrupt!  Try again and if problem "
                      "persist, please notify the owner/author of this PXR file");
    case Z_STREAM_ERROR:
        throw pxError("Stream Error on PXR file.  File may be corrupt!  Try again and if problem "
                      "persist, please notify the owner/author of this PXR file");
    default:
        throw pxError("Unknown PXR decompression error code:  %d", status);
    }
}

// Bytes [filled, total) of the body into data, which grows as they arrive;
// the bytes read now. Stops at the first short read: no more are there now.
uint32_t ReadGrowing(pxrInput& input, std::vector<char>& data, uint32_t filled, uint32_t total) {
    uint32_t got = 0;
    while (filled + got < total) {
        const uint64_t at = filled + got;
        if (data.size() <= at)
            data.resize(std::min<uint64_t>(total, std::max<uint64_t>(kGrowthStep, 2 * at)));
        const uint64_t end = std::min<uint64_t>(total, data.size());
        const int32_t want = static_cast<int32_t>(std::min<uint64_t>(end - at, INT32_MAX));
        const int32_t n = input.ReadData(data.data() + at, want);
        got += static_cast<uint32_t>(std::max(n, 0));
        if (n < want)
            break;
    }
    return got;
}

// ReadGrowing for a loader, out of memory as its own error.
uint32_t LoaderRead(pxrInput& input, std::vector<char>& data, uint32_t filled, uint32_t total,
                    const char* loader, const char* noMemory) {
    try {
        return ReadGrowing(input, data, filled, total);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    pxLog("%s -- %s", loader, noMemory);
    throw pxError("%s", noMemory);
}

// A size the current block cannot deliver: logged with what it was, then
// the corrupt-block error.
void CheckDeliverable(const pxrInput& input, uint64_t missing, const char* loader,
                      const char* what) {
    if (missing <= input.MaxBodyBytes())
        return;
    pxLog("%s -- the %s (%llu bytes) exceeds what the block can hold (%llu bytes)", loader, what,
          static_cast<unsigned long long>(missing),
          static_cast<unsigned long long>(input.MaxBodyBytes()));
    throw pxError("%s", kCorruptBlock);
}

} // namespace

pxrInput::pxrInput() : buffer(kDefaultBufferSize) {
    if (inflateInit(&zlib) != Z_OK)
        throw pxError("%s", kNoInflateMemory);
    zlibReady = true;
}

pxrInput::~pxrInput() {
    if (zlibReady)
        inflateEnd(&zlib);
}

int32_t pxrInput::SetInputBufferSize(int32_t size) {
    if (size <= 0)
        throw pxError("pxrInput::SetInputBufferSize -- invalid size: %d", size);
    // Bytes already read ahead stay: the buffer holds them all even when the
    // new size is smaller, and shrinks at the next refill.
    const int32_t unread = fillCount - readPosition;
    std::vector<unsigned char> replacement;
    try {
        replacement.resize(static_cast<size_t>(std::max(size, unread)));
    } catch (const std::bad_alloc&) {
        throw pxError("Could not allocate memory for PXR input buffer (%d).  Please close any open "
                      "applications and try again.",
                      size);
    }
    if (unread > 0)
        std::memcpy(replacement.data(), buffer.data() + readPosition, size_t(unread));
    buffer.swap(replacement);
    readPosition = 0;
    fillCount = unread;
    const int32_t old = bufferSize;
    bufferSize = size;
    return old;
}

int32_t pxrInput::RawRead(void* into, int32_t count) {
    if (count <= 0)
        return 0;
    const int32_t got = std::clamp(Read(into, count), 0, count);
    sourceDry = got == 0;
    return got;
}

bool pxrInput::Refill() {
    if (readPosition < fillCount)
        return true;
    if (buffer.size() != size_t(bufferSize))
        buffer.resize(size_t(bufferSize));
    readPosition = 0;
    fillCount = RawRead(buffer.data(), bufferSize);
    return fillCount > 0;
}

int32_t pxrInput::DropInput(int32_t count) {
    if (count <= 0)
        return 0;
    const int32_t unread = fillCount - readPosition;
    if (unread > count) {
        readPosition += count;
        return count;
    }
    int32_t dropped = unread;
    readPosition = fillCount = 0;
    while (dropped < count) {
        const int32_t got = RawRead(buffer.data(), std::min(count - dropped, bufferSize));
        if (got == 0)
            break;
        dropped += got;
    }
    return dropped;
}

bool pxrInput::TakeHeaderBytes(int32_t want) {
    while (headerFill < want) {
        if (!Refill())
            return false;
        const int32_t n = std::min(want - headerFill, fillCount - readPosition);
        std::memcpy(headerBytes + headerFill, buffer.data() + readPosition, size_t(n));
        readPosition += n;
        headerFill += n;
    }
    return true;
}

void pxrInput::ClearBlock() {
    type = flags = 0;
    length = extra = 0;
    name[0] = '\0';
    nameTaken = 0;
    remaining = 0;
    compressed = streamEnded = false;
    headerFill = numberFill = numberSize = 0;
}

int32_t pxrInput::EndInside(const char* where) {
    pxLog("pxrInput::NextBlock -- the file ends inside %s", where);
    ClearBlock();
    ended = true;
    return kPxrEndBlock;
}

int32_t pxrInput::NextBlock() {
    if (ended)
        return kPxrEndBlock;
    // A complete source whose data has run out will never finish the header.
    const auto cutShort = [this] { return sourceComplete && sourceDry; };

    if (step == Step::FileHeader) {
        // Neither word is checked: the magic is the caller's business.
        if (!TakeHeaderBytes(8))
            return cutShort() ? EndInside("the file header") : 0;
        headerFill = 0;
        step = Step::SkipBody;
    }
    if (step == Step::SkipBody) {
        while (remaining > 0) {
            const int32_t want = static_cast<int32_t>(std::min<uint32_t>(remaining, INT32_MAX));
            const int32_t skipped = std::clamp(Skip(want), 0, want);
            remaining -= uint32_t(skipped);
            if (skipped < want)
                break;
        }
        if (remaining > 0)
            return cutShort() ? EndInside("a block") : 0;
        ClearBlock();
        step = Step::BlockHeader;
    }
    if (step == Step::BlockHeader) {
        if (!TakeHeaderBytes(8))
            return cutShort() ? EndInside("a block header") : 0;
        headerFill = 0;
        type = Little16(headerBytes);
        flags = Little16(headerBytes + 2);
        length = Little32(headerBytes + 4);
        if (type == 0 && flags == 0 && length == 0) {
            ended = true;
            return kPxrEndBlock;
        }
        remaining = length;
        step = Step::Extra;
    }
    if (step == Step::Extra) {
        if (flags & PXR_FLAG_EXTRA) {
            if (headerFill == 0 && remaining < 4) {
                pxLog("pxrInput::NextBlock -- a block of %u bytes cannot hold its extra word",
                      length);
                throw pxError("%s", kCorruptBlock);
            }
            if (!TakeHeaderBytes(4))
                return cutShort() ? EndInside("a block header") : 0;
            headerFill = 0;
            remaining -= 4;
            extra = Little32(headerBytes);
        }
        step = Step::Name;
    }
    if (step == Step::Name) {
        if (flags & PXR_FLAG_NAME) {
            if (nameTaken == 0 && remaining == 0) {
                pxLog("pxrInput::NextBlock -- a block of %u bytes cannot hold its name", length);
                throw pxError("%s", kCorruptBlock);
            }
            // Up to the zero byte, or the block's end when there is none; only
            // the first kNameSize - 1 characters are kept.
            for (bool terminated = false; !terminated && remaining > 0;) {
                if (!Refill())
                    return cutShort() ? EndInside("a block header") : 0;
                const int32_t available =
                    static_cast<int32_t>(std::min<uint64_t>(fillCount - readPosition, remaining));
                const unsigned char* start = buffer.data() + readPosition;
                const void* zero = std::memchr(start, 0, size_t(available));
                const int32_t characters =
                    zero ? int32_t(static_cast<const unsigned char*>(zero) - start) : available;
                if (nameTaken < uint32_t(kNameSize - 1)) {
                    const uint32_t kept =
                        std::min<uint32_t>(uint32_t(characters), kNameSize - 1 - nameTaken);
                    std::memcpy(name + nameTaken, start, kept);
                    name[nameTaken + kept] = '\0';
                }
                nameTaken += uint32_t(characters);
                terminated = zero != nullptr;
                const int32_t used = characters + (terminated ? 1 : 0);
                readPosition += used;
                remaining -= uint32_t(used);
            }
        }
        if (flags & PXR_FLAG_COMPRESSED) {
            compressed = true;
            inflateReset(&zlib);
        }
        step = Step::SkipBody;
    }
    return type;
}

int32_t pxrInput::ReadData(void* into, int32_t count) {
    // A compressed block whose bytes are all in may still have output owed
    // by zlib; ReadInflated refuses the read once there is none.
    if (remaining == 0 && (!compressed || streamEnded))
        OverRead();
    if (count <= 0)
        return 0;
    unsigned char* bytes = static_cast<unsigned char*>(into);
    return compressed ? ReadInflated(bytes, count) : ReadStored(bytes, count);
}

int32_t pxrInput::ReadStored(unsigned char* into, int32_t count) {
    int32_t copied = 0;
    while (copied < count && remaining > 0) {
        if (!Refill())
            break;
        const int32_t n = static_cast<int32_t>(std::min<uint64_t>(
            {uint64_t(count - copied), uint64_t(fillCount - readPosition), remaining}));
        std::memcpy(into + copied, buffer.data() + readPosition, size_t(n));
        readPosition += n;
        remaining -= uint32_t(n);
        copied += n;
    }
    return copied;
}

int32_t pxrInput::ReadInflated(unsigned char* into, int32_t count) {
    // The padding after the stream's end is skipped by the next NextBlock.
    if (streamEnded)
        return 0;
    zlib.next_out = into;
    zlib.avail_out = uInt(count);
    int64_t produced = 0;
    while (zlib.avail_out > 0) {
        if (remaining > 0 && !Refill())
            break;
        // Never more than the block's own bytes: the next block's stay unread.
        const uInt offered = uInt(std::min<uint64_t>(fillCount - readPosition, remaining));
        zlib.next_in = buffer.data() + readPosition;
        zlib.avail_in = offered;
        const uInt room = zlib.avail_out;
        const int status = inflate(&zlib, Z_PARTIAL_FLUSH);
        const uInt consumed = offered - zlib.avail_in;
        const uInt made = room - zlib.avail_out;
        readPosition += int32_t(consumed);
        remaining -= consumed;
        produced += made;
        if (status == Z_STREAM_END) {
            streamEnded = true;
            break;
        }
        // Z_BUF_ERROR only says that no progress was possible, which is normal
        // once the block's bytes are all in and zlib owes nothing more.
        if (status != Z_OK && status != Z_BUF_ERROR)
            InflateError(status);
        if (consumed == 0 && made == 0) {
            if (offered > 0)
                InflateError(Z_BUF_ERROR);
            // The stream goes on beyond its block.
            if (produced == 0)
                OverRead();
            break;
        }
    }
    zlib.next_in = nullptr;
    zlib.avail_in = 0;
    if (produced > count)
        pxLog("pxrInput::ReadData -- **** nBytesUsed > length (%d %d)", int32_t(produced), count);
    return int32_t(produced);
}

int32_t pxrInput::ReadNumber(int32_t size, uint32_t* value, const char* what) {
    if (numberFill > 0 && numberSize != size)
        throw pxError("pxrInput::ReadData -- a %s was asked for while %d bytes of another number "
                      "are pending",
                      what, numberFill);
    numberSize = size;
    while (numberFill < size) {
        const int32_t got = ReadData(numberBytes + numberFill, size - numberFill);
        if (got == 0)
            break;
        numberFill += got;
    }
    if (numberFill < size) {
        pxLog("pxrInput::ReadData -- under-read %s (%d, %d)", what, numberFill, size);
        return numberFill;
    }
    *value = size == 2 ? Little16(numberBytes) : Little32(numberBytes);
    numberFill = numberSize = 0;
    return size;
}

int32_t pxrInput::ReadUInt16(uint16_t* value) {
    uint32_t number = 0;
    const int32_t got = ReadNumber(2, &number, "uInt16");
    if (got == 2)
        *value = static_cast<uint16_t>(number);
    return got;
}

int32_t pxrInput::ReadUInt32(uint32_t* value) {
    return ReadNumber(4, value, "uInt32");
}

uint64_t pxrInput::MaxBodyBytes() const {
    if (!compressed)
        return remaining;
    if (streamEnded)
        return 0;
    return remaining * kInflateRatio + kInflateSlack;
}

pxrInputFile::pxrInputFile(const char* path) {
    descriptor = path ? ::open(path, O_RDONLY | O_CLOEXEC) : -1;
    if (descriptor < 0)
        pxLog("pxrInputFile::pxrInputFile -- could not open file: '%s'\n", path ? path : "");
}

pxrInputFile::~pxrInputFile() {
    if (descriptor >= 0)
        ::close(descriptor);
}

int32_t pxrInputFile::Read(void* into, int32_t count) {
    if (descriptor < 0)
        return 0;
    for (;;) {
        const ssize_t got = ::read(descriptor, into, size_t(count));
        if (got >= 0)
            return int32_t(got);
        if (errno != EINTR) {
            pxLog("pxrInputFile::Read -- read failed: %s", std::strerror(errno));
            return 0;
        }
    }
}

int32_t pxrInputFile::Skip(int32_t count) {
    if (count < 0 || uint32_t(count) > remaining) {
        pxLog("pxrInputFile::Skip -- size (%d) exceeds current block size (%d)!", count,
              int32_t(remaining));
        throw pxError("pxrInputFile::Skip -- size (%d) exceeds current block size (%d)!", count,
                      int32_t(remaining));
    }
    return DropInput(count);
}

pxrBlockWrap::pxrBlockWrap(uint16_t expectedType) : expectedType(expectedType) {}

int32_t pxrBlockWrap::Load(pxrInput& input, int32_t requestedPiece) {
    static constexpr const char* kLoader = "pxrBlockWrap::Load";
    static constexpr const char* kNoMemory =
        "Could not allocate buffer for PXR file.  Out of memory.";
    dataSize = 0;
    if (step == Step::Check) {
        if (input.GetType() != expectedType) {
            pxLog("pxrBlockWrap::Load -- current block type is %d, expecting %d", input.GetType(),
                  expectedType);
            throw pxError("%s", kCorruptBlock);
        }
        pieceSize = requestedPiece > 0 ? uint32_t(requestedPiece) : 0;
        step = Step::NameLength;
    }
    if (step == Step::NameLength) {
        if (input.ReadUInt32(&nameLength) != 4) {
            pxLog("pxrBlockWrap::Load -- getting original filename length failed.");
            return 0;
        }
        CheckDeliverable(input, nameLength, kLoader, "original filename's length");
        step = Step::Name;
    }
    if (step == Step::Name) {
        nameFill += LoaderRead(input, nameBytes, nameFill, nameLength, kLoader, kNoMemory);
        if (nameFill < nameLength) {
            CheckDeliverable(input, nameLength - nameFill, kLoader,
                             "rest of the original filename");
            pxLog("pxrBlockWrap::Load -- getting original filename failed.");
            return 0;
        }
        originalName.assign(nameBytes.data(), nameLength);
        std::vector<char>().swap(nameBytes);
        step = Step::FileSize;
    }
    if (step == Step::FileSize) {
        if (input.ReadUInt32(&originalSize) != 4) {
            pxLog("pxrBlockWrap::Load -- getting original filesize failed.");
            return 0;
        }
        CheckDeliverable(input, originalSize, kLoader, "original filesize");
        if (pieceSize == 0 || pieceSize > originalSize)
            pieceSize = originalSize;
        step = originalSize == 0 ? Step::Done : Step::Contents;
    }
    if (step == Step::Contents) {
        const uint32_t piece = std::min(pieceSize, originalSize - dataRead);
        const uint32_t got = LoaderRead(input, data, 0, piece, kLoader, kNoMemory);
        dataSize = int32_t(got);
        dataRead += got;
        if (dataRead == originalSize)
            step = Step::Done;
        else if (got < piece)
            CheckDeliverable(input, originalSize - dataRead, kLoader, "rest of the file");
    }
    return step == Step::Done ? 1 : 0;
}

const char* pxrBlockWrap::GetData() const {
    return data.empty() ? "" : data.data();
}

int32_t pxrBlockWrap::GetDataSize() const {
    return dataSize;
}

const std::string& pxrBlockWrap::GetOriginalName() const {
    return originalName;
}

uint32_t pxrBlockWrap::GetOriginalSize() const {
    return originalSize;
}

pxrBlockText::pxrBlockText(uint16_t expectedType) : expectedType(expectedType) {}

int32_t pxrBlockText::Load(pxrInput& input, int32_t /*pieceSize*/) {
    static constexpr const char* kLoader = "pxrBlockText::Load";
    if (!checked) {
        if (input.GetType() != expectedType) {
            pxLog("pxrBlockText::Load -- current block type is %d, expecting %d", input.GetType(),
                  expectedType);
            throw pxError("%s", kCorruptBlock);
        }
        checked = true;
    }
    if (!lengthRead) {
        if (input.ReadUInt32(&textLength) != 4) {
            pxLog("pxrBlockText::Load -- getting text length failed.");
            return 0;
        }
        CheckDeliverable(input, textLength, kLoader, "text length");
        lengthRead = true;
    }
    if (!complete) {
        textFill += LoaderRead(input, text, textFill, textLength, kLoader,
                               "Could not allocate buffer for PXR text.  Out of memory.");
        complete = textFill == textLength;
        if (!complete)
            CheckDeliverable(input, textLength - textFill, kLoader, "rest of the text");
    }
    return complete ? 1 : 0;
}

const char* pxrBlockText::GetText() const {
    return text.empty() ? "" : text.data();
}

uint32_t pxrBlockText::GetTextLength() const {
    return textLength;
}
