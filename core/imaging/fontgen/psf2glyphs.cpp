// Build tool: reads an 8-pixel-wide, 16-row PSF console font (version 1 or 2,
// with its Unicode table) on standard input and writes the built-in font's
// table of 256 glyphs x 16 rows as C++ initialiser text on standard output.
//
// Character codes follow the Windows ANSI code page (cp1252) the system's texts
// use; codes 1-31 and 127 show the classic PC symbols; a code whose character
// the font lacks is left blank.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <vector>

namespace {

constexpr int kRows = 16;

// Unicode of each character code 0-255.
uint32_t CodeToUnicode(int code) {
    static const uint16_t kPcSymbols[32] = {
        0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
        0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
        0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
    static const uint16_t kCp1252High[32] = {
        0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178};
    if (code < 32)
        return kPcSymbols[code];
    if (code == 127)
        return 0x2302;
    if (code >= 128 && code < 160)
        return kCp1252High[code - 128];
    return static_cast<uint32_t>(code);
}

uint32_t Le16(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | d[at + 1] << 8;
}
uint32_t Le32(const std::vector<uint8_t>& d, size_t at) {
    return Le16(d, at) | Le16(d, at + 2) << 16;
}

struct Font {
    std::vector<std::vector<uint8_t>> glyphs;
    std::map<uint32_t, size_t> glyphOfUnicode;
};

bool ReadPsf1(const std::vector<uint8_t>& d, Font& font) {
    const size_t count = (d[2] & 0x01) ? 512 : 256;
    const size_t rows = d[3];
    if (rows != kRows || d.size() < 4 + count * rows)
        return false;
    for (size_t g = 0; g < count; ++g)
        font.glyphs.emplace_back(d.begin() + 4 + g * rows, d.begin() + 4 + (g + 1) * rows);
    if (!(d[2] & 0x02))
        return true;
    size_t at = 4 + count * rows;
    for (size_t g = 0; g < count && at + 1 < d.size(); ++g) {
        bool inSequence = false;
        for (; at + 1 < d.size(); at += 2) {
            const uint32_t u = Le16(d, at);
            if (u == 0xFFFF) {
                at += 2;
                break;
            }
            if (u == 0xFFFE)
                inSequence = true;
            else if (!inSequence)
                font.glyphOfUnicode.emplace(u, g);
        }
    }
    return true;
}

// Decodes one UTF-8 character at d[at], advancing at.
uint32_t NextUtf8(const std::vector<uint8_t>& d, size_t& at) {
    const uint8_t lead = d[at++];
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    uint32_t u = extra == 3   ? lead & 0x07
                 : extra == 2 ? lead & 0x0F
                 : extra == 1 ? lead & 0x1F
                              : lead;
    for (; extra > 0 && at < d.size(); --extra)
        u = u << 6 | (d[at++] & 0x3F);
    return u;
}

bool ReadPsf2(const std::vector<uint8_t>& d, Font& font) {
    if (d.size() < 32)
        return false;
    const size_t headerSize = Le32(d, 8), flags = Le32(d, 12), count = Le32(d, 16);
    const size_t bytesPerGlyph = Le32(d, 20), height = Le32(d, 24), width = Le32(d, 28);
    if (width != 8 || height != kRows || bytesPerGlyph != kRows ||
        d.size() < headerSize + count * bytesPerGlyph)
        return false;
    for (size_t g = 0; g < count; ++g) {
        const auto first = d.begin() + static_cast<std::ptrdiff_t>(headerSize + g * bytesPerGlyph);
        font.glyphs.emplace_back(first, first + kRows);
    }
    if (!(flags & 0x01))
        return true;
    size_t at = headerSize + count * bytesPerGlyph;
    for (size_t g = 0; g < count && at < d.size(); ++g) {
        bool inSequence = false;
        while (at < d.size()) {
            if (d[at] == 0xFF) {
                ++at;
                break;
            }
            if (d[at] == 0xFE) {
                inSequence = true;
                ++at;
                continue;
            }
            const uint32_t u = NextUtf8(d, at);
            if (!inSequence)
                font.glyphOfUnicode.emplace(u, g);
        }
    }
    return true;
}

} // namespace

int main() {
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(std::cin)),
                              std::istreambuf_iterator<char>());
    Font font;
    bool ok = false;
    if (data.size() >= 4 && data[0] == 0x36 && data[1] == 0x04)
        ok = ReadPsf1(data, font);
    else if (data.size() >= 4 && data[0] == 0x72 && data[1] == 0xB5 && data[2] == 0x4A &&
             data[3] == 0x86)
        ok = ReadPsf2(data, font);
    if (!ok) {
        std::fprintf(stderr, "psf2glyphs: not an 8x16 PSF font\n");
        return 1;
    }

    std::printf("// Generated by psf2glyphs from a console font; do not edit.\n");
    for (int code = 0; code < 256; ++code) {
        const uint32_t u = CodeToUnicode(code);
        const auto found = u != 0 ? font.glyphOfUnicode.find(u) : font.glyphOfUnicode.end();
        std::printf("/* %3d */", code);
        for (int row = 0; row < kRows; ++row) {
            const unsigned bits = found != font.glyphOfUnicode.end()
                                      ? font.glyphs[found->second][static_cast<size_t>(row)]
                                      : 0;
            std::printf(" 0x%02X,", bits);
        }
        std::printf("\n");
    }
    return 0;
}
