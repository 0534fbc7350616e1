#include "imagefile/blockfixtures.h"

namespace fixtures {

Bytes BigEndian(std::initializer_list<int64_t> numbers) {
    Bytes out;
    for (const int64_t number : numbers)
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(number >> shift));
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes PxfHeader(int32_t version) {
    return Concat({{'T', 'M', 'B', 'R'}, BigEndian({version})});
}

Bytes PxfBlock(int32_t type, int32_t id, const Bytes& data, const std::string& name) {
    Bytes out = BigEndian({type, name.empty() ? id : -id});
    if (!name.empty()) {
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(0);
    }
    return Concat({out, BigEndian({int64_t(data.size())}), data});
}

Bytes PxfFile(std::initializer_list<Bytes> blocks) {
    Bytes out = PxfHeader();
    for (const Bytes& block : blocks)
        out.insert(out.end(), block.begin(), block.end());
    return Concat({out, BigEndian({0})});
}

Bytes ImageData(const Picture& picture, int32_t x, int32_t y) {
    return Concat(
        {BigEndian({picture.width, picture.height, picture.bytesPerPixel, x, y}), picture.pixels});
}

Bytes PaletteData(const std::vector<pxColor>& colours) {
    Bytes out = BigEndian({int64_t(colours.size())});
    for (const pxColor& colour : colours)
        out.insert(out.end(), {colour.red, colour.green, colour.blue});
    return out;
}

Bytes RleData(int32_t bytesPerPixel, int32_t width, int32_t height, int32_t x, int32_t y,
              const Bytes& codes) {
    return Concat({BigEndian({bytesPerPixel, width, height, x, y, int64_t(codes.size())}), codes});
}

} // namespace fixtures
