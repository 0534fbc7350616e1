#include "gdi_test_support.h"

#include "platform/display/adapter.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace gdi_test {
namespace {

// The tests run on a virtual adapter of known modes instead of the real screen.
const bool kAdapterProfileSet = [] {
    const std::string path = "/tmp/gdi_tests_adapter_" + std::to_string(getpid()) + ".txt";
    std::ofstream(path) << "mode 640x480x8\nmode 800x600x16\nmode 1024x768x24\n"
                           "mode 1280x1024x32\ndesktop 640x480x8\n";
    setenv("BINOXA_ADAPTER", path.c_str(), 1);
    return true;
}();

constexpr std::size_t kHeaderSize = sizeof(win::BITMAPINFOHEADER);
constexpr std::size_t kTableSlots = 256;

} // namespace

FrameDC::FrameDC(int width, int height, int bitsPerPixel, std::uint8_t fill)
    : frame(width, height, bitsPerPixel) {
    std::fill(frame.pixels.begin(), frame.pixels.end(), fill);
    dc = win::internal::CreateFramebufferDC(&frame, nullptr);
}

FrameDC::~FrameDC() {
    win::internal::DeleteFramebufferDC(dc);
}

std::uint32_t FrameDC::Raw(int x, int y) const {
    const std::uint8_t* pixel = frame.Row(y) + x * frame.BytesPerPixel();
    std::uint32_t value = 0;
    for (int i = frame.BytesPerPixel() - 1; i >= 0; --i)
        value = value << 8 | pixel[i];
    return value;
}

Dib MakeDib(int width, int height, int bitCount, bool topDown,
            const std::function<std::uint32_t(int x, int y)>& value) {
    Dib dib;
    const std::size_t table = bitCount == 8 ? kTableSlots * sizeof(win::RGBQUAD) : 0;
    dib.info.assign(kHeaderSize + table, 0);
    win::BITMAPINFOHEADER& header = dib.Header();
    header.biSize = kHeaderSize;
    header.biWidth = width;
    header.biHeight = topDown ? -height : height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<win::WORD>(bitCount);
    header.biCompression = win::BI_RGB;
    const int bytes = bitCount / 8;
    const int stride = (width * bytes + 3) & ~3;
    dib.bits.assign(static_cast<std::size_t>(stride * height), 0xEE);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.bits.data() + (topDown ? y : height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            std::uint8_t* pixel = row + x * bytes;
            if (bytes == 1) {
                pixel[0] = static_cast<std::uint8_t>(v);
            } else {
                pixel[0] = win::GetBValue(v);
                pixel[1] = win::GetGValue(v);
                pixel[2] = win::GetRValue(v);
                if (bytes == 4)
                    pixel[3] = 0x77;
            }
        }
    }
    return dib;
}

void SetColourTable(Dib& dib, const std::vector<win::RGBQUAD>& colours) {
    std::memcpy(dib.info.data() + kHeaderSize, colours.data(),
                colours.size() * sizeof(win::RGBQUAD));
}

void SetPaletteIndices(Dib& dib, const std::vector<win::WORD>& indices) {
    std::memcpy(dib.info.data() + kHeaderSize, indices.data(), indices.size() * sizeof(win::WORD));
}

std::uint32_t Packed(win::COLORREF colour, int bitsPerPixel) {
    const std::uint32_t red = win::GetRValue(colour);
    const std::uint32_t green = win::GetGValue(colour);
    const std::uint32_t blue = win::GetBValue(colour);
    if (bitsPerPixel == 16)
        return (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3;
    return red << 16 | green << 8 | blue; // 32 bits: the fourth byte is 0
}

std::vector<win::COLORREF> SystemColours() {
    win::PALETTEENTRY entries[256];
    win::internal::GetSystemPaletteColours(entries);
    std::vector<win::COLORREF> colours;
    for (const win::PALETTEENTRY& e : entries)
        colours.push_back(win::RGB(e.peRed, e.peGreen, e.peBlue));
    return colours;
}

void ResetSystemPalette() {
    FrameDC screen(1, 1, 8);
    win::SetSystemPaletteUse(screen.dc, win::SYSPAL_STATIC);
    // A foreground realisation frees every entry that is not reserved.
    win::SelectPalette(screen.dc,
                       reinterpret_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE)),
                       win::FALSE);
    win::RealizePalette(screen.dc);
}

} // namespace gdi_test
