#include "encoders.h"

namespace encode {

pxColor PaletteColour(const pxPalette& palette, int index) {
    return index < palette.GetCount() ? palette[index] : pxColor{};
}

void RgbRow(const PictureRows& picture, int32_t row, uint8_t* out) {
    const uint8_t* in = picture.Row(row);
    const int32_t width = picture.Width();
    if (picture.BytesPerPixel() == 1) {
        for (int32_t x = 0; x < width; ++x, out += 3) {
            const pxColor colour = PaletteColour(*picture.Palette(), in[x]);
            out[0] = colour.red;
            out[1] = colour.green;
            out[2] = colour.blue;
        }
        return;
    }
    const int32_t step = picture.BytesPerPixel();
    for (int32_t x = 0; x < width; ++x, in += step, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

std::vector<uint8_t> DescriptorTail(uint32_t layout) {
    return {static_cast<uint8_t>(layout >> 24),
            static_cast<uint8_t>(layout >> 16),
            static_cast<uint8_t>(layout >> 8),
            static_cast<uint8_t>(layout),
            0,
            0};
}

} // namespace encode
