// Writers of block resource files (.pxf) byte by byte, independent of pxFile,
// so that tests can give the reader exactly the bytes they mean.
#pragma once

#include "imagefile/plainfixtures.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace fixtures {

// Each number as 4 bytes, most significant first.
Bytes BigEndian(std::initializer_list<int64_t> numbers);
Bytes Concat(std::initializer_list<Bytes> parts);

// "TMBR" and the version.
Bytes PxfHeader(int32_t version = 0);
// Type, identifier (negated and followed by the name and a zero byte when
// name is not empty), the size of data, and data.
Bytes PxfBlock(int32_t type, int32_t id, const Bytes& data, const std::string& name = "");
// The header, the blocks and the end type.
Bytes PxfFile(std::initializer_list<Bytes> blocks);

// The data of an "IMAGE" block holding picture at (x, y).
Bytes ImageData(const Picture& picture, int32_t x = 0, int32_t y = 0);
// The data of a "PALETTE" block.
Bytes PaletteData(const std::vector<pxColor>& colours);
// The data of a "RLE IMAGE" block.
Bytes RleData(int32_t bytesPerPixel, int32_t width, int32_t height, int32_t x, int32_t y,
              const Bytes& codes);

} // namespace fixtures
