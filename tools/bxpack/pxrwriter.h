// Writes presentation containers: the file header, blocks stored plain or as
// one zlib stream each, and the end block. Shares nothing with the reader,
// so that each checks the other.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using PxrBytes = std::vector<uint8_t>;

struct PxrOutBlock {
    uint16_t type = 0;
    bool compressed = false;
    std::optional<uint32_t> extra;   // written with the extra-word flag
    std::optional<std::string> name; // written with the name flag; no zero bytes
    PxrBytes body;                   // before compression
};

// The body of a wrapped file: name length, name, size, contents.
PxrBytes PxrWrapBody(std::string_view originalName, const PxrBytes& contents);
// The body of a text or a script: length, then the characters.
PxrBytes PxrTextBody(std::string_view text);

// The pieces of a container, for building one in memory.
PxrBytes PxrFileHeader();
PxrBytes PxrEncodeBlock(const PxrOutBlock& block);
PxrBytes PxrEndBlock();

// A container written to a file block by block. Errors (the file cannot be
// written, a block too large for its length field, a name with a zero byte)
// throw pxError.
class PxrWriter {
public:
    explicit PxrWriter(const std::string& path);
    ~PxrWriter();
    PxrWriter(const PxrWriter&) = delete;
    PxrWriter& operator=(const PxrWriter&) = delete;

    void Add(const PxrOutBlock& block);
    // Writes the end block and closes the file; required for a whole container.
    void Finish();

private:
    void Write(const PxrBytes& bytes);

    std::string path;
    std::FILE* file = nullptr;
};
