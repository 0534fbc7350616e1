#include "bxpack/pxrwriter.h"

#include "imaging/pxerror.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include <zlib.h>

namespace {

constexpr uint16_t kFlagCompressed = 0x8000;
constexpr uint16_t kFlagExtra = 0x4000;
constexpr uint16_t kFlagName = 0x2000;

void Put16(PxrBytes& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void Put32(PxrBytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

uint32_t Length32(size_t size, const char* what) {
    if (size > std::numeric_limits<uint32_t>::max())
        throw pxError("PXR writer: %s of %zu bytes does not fit in 32 bits", what, size);
    return uint32_t(size);
}

PxrBytes Deflate(const PxrBytes& body) {
    uLongf size = compressBound(uLong(body.size()));
    PxrBytes out(size);
    const int status =
        compress2(out.data(), &size, body.data(), uLong(body.size()), Z_DEFAULT_COMPRESSION);
    if (status != Z_OK)
        throw pxError("PXR writer: zlib could not compress a body (%d)", status);
    out.resize(size);
    return out;
}

} // namespace

PxrBytes PxrWrapBody(std::string_view originalName, const PxrBytes& contents) {
    PxrBytes body;
    body.reserve(8 + originalName.size() + contents.size());
    Put32(body, Length32(originalName.size(), "a file name"));
    body.insert(body.end(), originalName.begin(), originalName.end());
    Put32(body, Length32(contents.size(), "a wrapped file"));
    body.insert(body.end(), contents.begin(), contents.end());
    return body;
}

PxrBytes PxrTextBody(std::string_view text) {
    PxrBytes body;
    body.reserve(4 + text.size());
    Put32(body, Length32(text.size(), "a text"));
    body.insert(body.end(), text.begin(), text.end());
    return body;
}

PxrBytes PxrFileHeader() {
    PxrBytes header{'P', 'X', 'R', 'F'};
    Put32(header, 0);
    return header;
}

PxrBytes PxrEncodeBlock(const PxrOutBlock& block) {
    if (block.name && block.name->find('\0') != std::string::npos)
        throw pxError("PXR writer: a block name cannot hold a zero byte");
    uint16_t flags = 0;
    PxrBytes fields;
    if (block.extra) {
        flags |= kFlagExtra;
        Put32(fields, *block.extra);
    }
    if (block.name) {
        flags |= kFlagName;
        fields.insert(fields.end(), block.name->begin(), block.name->end());
        fields.push_back(0);
    }
    PxrBytes compressedBody;
    if (block.compressed) {
        flags |= kFlagCompressed;
        compressedBody = Deflate(block.body);
    }
    const PxrBytes& body = block.compressed ? compressedBody : block.body;
    // A block of type, flags and length all zero would read as the end.
    if (block.type == 0 && flags == 0 && fields.empty() && body.empty())
        throw pxError("PXR writer: an empty block of type 0 would end the container");
    PxrBytes out;
    out.reserve(8 + fields.size() + body.size());
    Put16(out, block.type);
    Put16(out, flags);
    Put32(out, Length32(fields.size() + body.size(), "a block"));
    out.insert(out.end(), fields.begin(), fields.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

PxrBytes PxrEndBlock() {
    return PxrBytes(8, 0);
}

PxrWriter::PxrWriter(const std::string& path) : path(path) {
    file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw pxError("%s: cannot create: %s", path.c_str(), std::strerror(errno));
    Write(PxrFileHeader());
}

PxrWriter::~PxrWriter() {
    if (file)
        std::fclose(file);
}

void PxrWriter::Add(const PxrOutBlock& block) {
    Write(PxrEncodeBlock(block));
}

void PxrWriter::Finish() {
    Write(PxrEndBlock());
    std::FILE* closing = file;
    file = nullptr;
    if (std::fclose(closing) != 0)
        throw pxError("%s: cannot write: %s", path.c_str(), std::strerror(errno));
}

void PxrWriter::Write(const PxrBytes& bytes) {
    if (!file)
        throw pxError("%s: the container is already finished", path.c_str());
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw pxError("%s: cannot write: %s", path.c_str(), std::strerror(errno));
}
