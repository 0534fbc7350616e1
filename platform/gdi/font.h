// The one font of the text calls: 8 x 16 pixel cells, made at build time from
// the same console font as the core's built-in font.
#pragma once

#include <cstdint>

namespace win::internal {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;

// Sixteen rows, the leftmost pixel in the most significant bit.
const std::uint8_t* GlyphRows(unsigned char character);

} // namespace win::internal
