#include "platform/gdi/font.h"

namespace win::internal {
namespace {

constexpr int kGlyphCount = 256;

const std::uint8_t kGlyphs[kGlyphCount * kGlyphHeight] = {
#include "glyphtable.inc"
};

} // namespace

const std::uint8_t* GlyphRows(unsigned char character) {
    return kGlyphs + character * kGlyphHeight;
}

} // namespace win::internal
