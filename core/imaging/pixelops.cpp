#include "imaging/pixelops.h"

#include "imaging/octtree.h"
#include "imaging/pxerror.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>;

// A pixel of a 3- or 4-byte image: blue, green, red (and a zero byte).
Pixel TrueColourPixel(pxColor colour) {
    return {colour.blue, colour.green, colour.red, 0};
}

// Equally long rows, `stride` bytes apart (negative for bottom-up storage).
struct Rows {
    uint8_t* first;
    std::ptrdiff_t stride;
};

// The addresses from the lowest byte of some rows to one past their highest.
struct ByteSpan {
    uintptr_t begin;
    uintptr_t end;
};

ByteSpan SpanOf(Rows rows, int32_t count, size_t rowBytes) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(rows.first);
    const uintptr_t last = first + static_cast<uintptr_t>(rows.stride * (count - 1));
    return {std::min(first, last), std::max(first, last) + rowBytes};
}

Rows ViewRows(const pxImage& image, int32_t x = 0, int32_t y = 0) {
    return {PixelAddress(image, x, y), image.GetStride()};
}

size_t RowBytes(const pxImage& image, int64_t width) {
    return static_cast<size_t>(width * image.GetBytesPerPixel());
}

void GrowChanged(px2Rect* changed, const px2Rect& written) {
    if (changed)
        changed->UnionWith(written);
}

// Cuts one axis of a rectangle to 0 .. size; computed in 64 bits so that no
// argument can overflow.
void ClipAxis(int64_t& start, int64_t& length, int64_t size) {
    if (start < 0) {
        length += start;
        start = 0;
    }
    length = std::min(length, size - start);
}

// The part of rect inside the image; empty when there is none.
px2Rect ClipToImage(const px2Rect& rect, const pxImage& image) {
    int64_t x = rect.x, y = rect.y, width = rect.width, height = rect.height;
    ClipAxis(x, width, image.GetWidth());
    ClipAxis(y, height, image.GetHeight());
    if (width <= 0 || height <= 0)
        return {};
    return {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(width),
            static_cast<int32_t>(height)};
}

// Fills an area that lies inside the image (at least one row) with one pixel.
void FillArea(const pxImage& image, const px2Rect& area, const Pixel& pixel) {
    const size_t bytesPerPixel = static_cast<size_t>(image.GetBytesPerPixel());
    const size_t rowBytes = RowBytes(image, area.width);
    const Rows rows = ViewRows(image, area.x, area.y);
    if (bytesPerPixel == 1) {
        for (int32_t row = 0; row < area.height; ++row)
            std::memset(rows.first + rows.stride * row, pixel[0], rowBytes);
        return;
    }
    // Build the first row by doubling what is already written, then copy it down.
    std::memcpy(rows.first, pixel.data(), bytesPerPixel);
    for (size_t done = bytesPerPixel; done < rowBytes;) {
        const size_t chunk = std::min(done, rowBytes - done);
        std::memcpy(rows.first + done, rows.first, chunk);
        done += chunk;
    }
    for (int32_t row = 1; row < area.height; ++row)
        std::memcpy(rows.first + rows.stride * row, rows.first, rowBytes);
}

// Copies `count` rows (count and rowBytes positive). Source and destination
// may be views of the same buffer, overlapping in any way.
void CopyRows(Rows to, Rows from, int32_t count, size_t rowBytes) {
    const ByteSpan toSpan = SpanOf(to, count, rowBytes);
    const ByteSpan fromSpan = SpanOf(from, count, rowBytes);
    const bool overlap = toSpan.begin < fromSpan.end && fromSpan.begin < toSpan.end;
    if (!overlap || to.stride == from.stride) {
        // Rows are at least rowBytes apart, so with equal strides, starting at
        // the end the destination moves towards never overwrites an unread row.
        const bool lastRowFirst =
            overlap && (reinterpret_cast<uintptr_t>(to.first) >
                        reinterpret_cast<uintptr_t>(from.first)) == (to.stride > 0);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t row = lastRowFirst ? count - 1 - i : i;
            std::memmove(to.first + to.stride * row, from.first + from.stride * row, rowBytes);
        }
        return;
    }
    if (to.stride == -from.stride && to.first == from.first + from.stride * (count - 1)) {
        // The same rows in reverse order: an area turned upside down in place.
        for (int32_t row = 0; row < count / 2; ++row) {
            uint8_t* upper = from.first + from.stride * row;
            std::swap_ranges(upper, upper + rowBytes, to.first + to.stride * row);
        }
        return;
    }
    // Rows of different spacing or direction over the same memory: no order
    // of rows is safe, so the source goes through a copy.
    std::vector<uint8_t> staged(rowBytes * static_cast<size_t>(count));
    for (int32_t row = 0; row < count; ++row)
        std::memcpy(staged.data() + rowBytes * row, from.first + from.stride * row, rowBytes);
    CopyRows(to, {staged.data(), static_cast<std::ptrdiff_t>(rowBytes)}, count, rowBytes);
}

// Clips one axis of a copy: start in the source, start in the destination
// and length, against both sizes.
void ClipCopyAxis(int64_t& from, int64_t& to, int64_t& length, int64_t fromSize, int64_t toSize) {
    if (from < 0) {
        length += from;
        to -= from;
        from = 0;
    }
    if (to < 0) {
        length += to;
        from -= to;
        to = 0;
    }
    length = std::min({length, fromSize - from, toSize - to});
}

// New byte k = old byte order[k], for the first `count` bytes.
void Reorder(uint8_t* bytes, const std::array<int, 4>& order, int count) {
    uint8_t old[4];
    std::memcpy(old, bytes, static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        bytes[k] = old[order[static_cast<size_t>(k)]];
}

// Every byte index must name one of the `count` bytes being rearranged.
std::array<int, 4> CheckedOrder(int b0, int b1, int b2, int b3, int count) {
    const std::array<int, 4> order{b0, b1, b2, count == 4 ? b3 : 0};
    for (int index : order)
        if (index < 0 || index >= count)
            throw pxError("SwapBytes: byte index out of range (%d %d %d %d)", b0, b1, b2, b3);
    return order;
}

// Negative bounds mean "from the start" and "to the end".
void CheckSwapRange(int& start, int& end, int size, const char* what) {
    if (start < 0)
        start = 0;
    if (end < 0)
        end = size;
    if (end < start)
        throw pxError("SwapBytes: start is greater than end (%d %d)", start, end);
    if (start >= size)
        throw pxError("SwapBytes: start is greater than or equal to %s (%d %d)", what, start, size);
    if (end > size)
        throw pxError("SwapBytes: end is greater than %s (%d %d)", what, end, size);
}

void CheckConversionTarget(const pxImage& destination, const pxImage& source, int bytesPerPixel) {
    if (destination.GetWidth() != source.GetWidth() ||
        destination.GetHeight() != source.GetHeight() ||
        destination.GetBytesPerPixel() != bytesPerPixel)
        throw pxError("ConvertBPP: destination (%dx%d, %d bytes per pixel) does not match the "
                      "source (%dx%d) converted to %d bytes per pixel",
                      destination.GetWidth(), destination.GetHeight(),
                      destination.GetBytesPerPixel(), source.GetWidth(), source.GetHeight(),
                      bytesPerPixel);
    CheckPixelAccess(destination, "ConvertBPP");
    CheckPixelAccess(source, "ConvertBPP");
}

// 1 to 3 bytes: each index becomes its palette colour; an index past the end
// of a short palette gives black.
void ExpandThroughPalette(pxImage& destination, const pxImage& source, const pxPalette& palette) {
    std::array<std::array<uint8_t, 3>, pxPalette::kMaxColours> colours{};
    for (int i = 0; i < std::min(palette.GetCount(), pxPalette::kMaxColours); ++i)
        colours[static_cast<size_t>(i)] = {palette[i].blue, palette[i].green, palette[i].red};
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* out = destination.Row(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x, out += 3)
            std::memcpy(out, colours[in[x]].data(), 3);
    }
}

// 3 to 1 byte through the octree, which takes red, green, blue: each pixel's
// blue, green, red go in reversed, so the source is only read.
void Quantize(pxImage& destination, const pxImage& source, pxPalette& palette) {
    if (source.GetWidth() <= 0 || source.GetHeight() <= 0)
        return;
    octTree tree(pxPalette::kMaxColours);
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* pixel = source.Row(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x, pixel += 3)
            tree.insert_color(pixel[2], pixel[1], pixel[0]);
    }
    tree.gen_colormap(palette, 0);
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* pixel = source.Row(y);
        uint8_t* out = destination.Row(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x, pixel += 3)
            out[x] = static_cast<uint8_t>(tree.map_inserted_color(pixel[2], pixel[1], pixel[0]));
    }
}

} // namespace

uint8_t* PixelAddress(const pxImage& image, int32_t x, int32_t y) {
    return image.GetPixels() + std::ptrdiff_t{image.GetBytesPerPixel()} * x +
           std::ptrdiff_t{image.GetStride()} * y;
}

void CheckPixelAccess(const pxImage& image, const char* operation) {
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return;
    const pxImageBuff* buff = image.GetBuff();
    bool inside = false;
    if (buff && buff->GetData() && image.GetPixels() &&
        image.GetBytesPerPixel() == buff->GetBytesPerPixel()) {
        const ByteSpan view =
            SpanOf(ViewRows(image), image.GetHeight(), RowBytes(image, image.GetWidth()));
        const uintptr_t begin = reinterpret_cast<uintptr_t>(buff->GetData());
        const uintptr_t end =
            begin + static_cast<uintptr_t>(int64_t{buff->GetHeight()} * buff->GetBytesPerRow());
        inside = view.begin >= begin && view.end <= end;
    }
    if (!inside)
        throw pxError("%s: the image's view lies outside its pixel memory", operation);
}

void pxFillRect(pxImage& image, const px2Rect& rect, pxColor colour, px2Rect* changed) {
    const int bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        throw pxError("pxFillRect/Image:  Invalid image bpp (%d).", bytesPerPixel);
    const px2Rect area = ClipToImage(rect, image);
    if (area.IsEmpty())
        return;
    CheckPixelAccess(image, "pxFillRect");
    FillArea(image, area, bytesPerPixel == 1 ? Pixel{colour.red} : TrueColourPixel(colour));
    GrowChanged(changed, area);
}

void pxFillImage(pxImage& image, pxColor colour, px2Rect* changed) {
    pxFillRect(image, image.GetRect(), colour, changed);
}

void pxFrameRect(pxImage& image, const px2Rect& rect, pxColor colour, px2Rect* changed) {
    // Deeper images show the index as the fixed colour a new palette gives it,
    // so outlines meant for palette displays still come out right.
    const int bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4)
        throw pxError("pxFrameRect: Invalid image bpp (%d).", bytesPerPixel);
    const Pixel pixel = bytesPerPixel == 1 ? Pixel{colour.red}
                                           : TrueColourPixel(pxPalette::SystemColour(colour.red));
    const px2Rect area = ClipToImage(rect, image);
    if (area.IsEmpty())
        return;
    CheckPixelAccess(image, "pxFrameRect");
    const int32_t bottom = area.y + area.height - 1;
    const int32_t right = area.x + area.width - 1;
    FillArea(image, {area.x, area.y, area.width, 1}, pixel);
    FillArea(image, {area.x, bottom, area.width, 1}, pixel);
    if (area.height > 2) {
        FillArea(image, {area.x, area.y + 1, 1, area.height - 2}, pixel);
        FillArea(image, {right, area.y + 1, 1, area.height - 2}, pixel);
    }
    GrowChanged(changed, area);
}

void CopyImage(pxImage& destination, px2Pnt destinationPoint, const pxImage& source,
               const px2Rect& sourceRect, px2Rect* changed) {
    const int bytesPerPixel = source.GetBytesPerPixel();
    if (destination.GetBytesPerPixel() != bytesPerPixel)
        throw pxError("Bad depth match in CopyImage: dest=%d  src=%d",
                      destination.GetBytesPerPixel(), bytesPerPixel);
    int64_t fromX = sourceRect.x, fromY = sourceRect.y;
    int64_t toX = destinationPoint.x, toY = destinationPoint.y;
    int64_t width = sourceRect.width, height = sourceRect.height;
    ClipCopyAxis(fromX, toX, width, source.GetWidth(), destination.GetWidth());
    ClipCopyAxis(fromY, toY, height, source.GetHeight(), destination.GetHeight());
    if (width <= 0 || height <= 0)
        return;
    CheckPixelAccess(destination, "CopyImage");
    CheckPixelAccess(source, "CopyImage");
    const px2Rect written{static_cast<int32_t>(toX), static_cast<int32_t>(toY),
                          static_cast<int32_t>(width), static_cast<int32_t>(height)};
    CopyRows(ViewRows(destination, written.x, written.y),
             ViewRows(source, static_cast<int32_t>(fromX), static_cast<int32_t>(fromY)),
             written.height, RowBytes(source, width));
    GrowChanged(changed, written);
}

void SwapBytes(pxImage& image, int b0, int b1, int b2, int b3, int startRow, int endRow) {
    CheckSwapRange(startRow, endRow, image.GetHeight(), "height");
    const int bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 3 && bytesPerPixel != 4)
        throw pxError("Called swapbytes when bytes per pixel = %d", bytesPerPixel);
    const std::array<int, 4> order = CheckedOrder(b0, b1, b2, b3, bytesPerPixel);
    CheckPixelAccess(image, "SwapBytes");
    // Blue, green, red to red, green, blue and back is the usual swap: two
    // bytes exchanged in place, without the general reordering per pixel.
    if (order[0] == 2 && order[1] == 1 && order[2] == 0 && (bytesPerPixel == 3 || order[3] == 3)) {
        for (int row = startRow; row < endRow; ++row) {
            uint8_t* pixel = image.Row(row);
            for (int32_t x = 0; x < image.GetWidth(); ++x, pixel += bytesPerPixel)
                std::swap(pixel[0], pixel[2]);
        }
        return;
    }
    for (int row = startRow; row < endRow; ++row) {
        uint8_t* pixel = image.Row(row);
        for (int32_t x = 0; x < image.GetWidth(); ++x, pixel += bytesPerPixel)
            Reorder(pixel, order, bytesPerPixel);
    }
}

void SwapBytes(pxPalette& palette, int b0, int b1, int b2, int b3, int startEntry, int endEntry) {
    CheckSwapRange(startEntry, endEntry, palette.GetCount(), "number of palette colors");
    const std::array<int, 4> order = CheckedOrder(b0, b1, b2, b3, 4);
    for (int i = startEntry; i < endEntry; ++i) {
        pxColor& colour = palette[i];
        uint8_t bytes[4] = {colour.red, colour.green, colour.blue, colour.spare};
        Reorder(bytes, order, 4);
        colour = {bytes[0], bytes[1], bytes[2], bytes[3]};
    }
}

void ConvertBPP(pxImage& destination, pxImage& source, pxPalette& palette, int bytesPerPixel) {
    const int sourceBytes = source.GetBytesPerPixel();
    if (sourceBytes == bytesPerPixel)
        return;
    switch (sourceBytes) {
    case 1:
    case 3:
        if (bytesPerPixel != (sourceBytes == 1 ? 3 : 1))
            throw pxError("converting %d to %d not supported", sourceBytes, bytesPerPixel);
        CheckConversionTarget(destination, source, bytesPerPixel);
        if (sourceBytes == 1)
            ExpandThroughPalette(destination, source, palette);
        else
            Quantize(destination, source, palette);
        return;
    case 4:
        throw pxError("4 bpp not supported");
    default:
        pxLog("ConvertBPP: Cannot handle %d Bytes per Pixel images", sourceBytes);
        throw pxError("Cannot handle %d Bytes per Pixel images", sourceBytes);
    }
}

void DropFourthByte(pxImage& destination, const pxImage& source) {
    if (source.GetBytesPerPixel() != 4)
        throw pxError("DropFourthByte: source must have 4 bytes per pixel (%d)",
                      source.GetBytesPerPixel());
    CheckConversionTarget(destination, source, 3);
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* out = destination.Row(y);
        for (int32_t x = 0; x < source.GetWidth(); ++x, in += 4, out += 3)
            std::memcpy(out, in, 3);
    }
}

void ApplyLUT(pxImage& image, const uint8_t table[256]) {
    if (image.GetBytesPerPixel() != 1)
        throw pxError("ApplyLUT: image must have 1 byte per pixel (%d)", image.GetBytesPerPixel());
    CheckPixelAccess(image, "ApplyLUT");
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        uint8_t* pixel = image.Row(y);
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            pixel[x] = table[pixel[x]];
    }
}

void RemapToPalette(pxImage& image, pxPalette& palette, int colours, int firstIndex) {
    if (image.GetBytesPerPixel() != 1)
        throw pxError("RemapToPalette: image must have 1 byte per pixel (%d)",
                      image.GetBytesPerPixel());
    if (palette.GetCount() != pxPalette::kMaxColours)
        throw pxError("RemapToPalette: palette must have %d colours (%d)", pxPalette::kMaxColours,
                      palette.GetCount());
    CheckPixelAccess(image, "RemapToPalette");

    octTree tree(colours);
    tree.insert_palette(palette, 0, pxPalette::kMaxColours - 1);
    pxPalette remapped;
    tree.gen_colormap(remapped, firstIndex);
    uint8_t table[pxPalette::kMaxColours];
    for (int i = 0; i < pxPalette::kMaxColours; ++i)
        table[i] = static_cast<uint8_t>(
            tree.map_inserted_color(palette[i].red, palette[i].green, palette[i].blue));
    ApplyLUT(image, table);
    palette = remapped;
}

void flip_vert(pxImage& destination, const pxImage& source) {
    if (destination.GetWidth() != source.GetWidth() ||
        destination.GetHeight() != source.GetHeight())
        throw pxError(
            "flip_vert: Destination image (%dx%d) and Source image (%dx%d) are not the same size",
            destination.GetWidth(), destination.GetHeight(), source.GetWidth(), source.GetHeight());
    const int bytesPerPixel = source.GetBytesPerPixel();
    if (destination.GetBytesPerPixel() != bytesPerPixel)
        throw pxError("flip_vert: Destination (%d) and Source (%d) color depths must match!",
                      destination.GetBytesPerPixel() * 8, bytesPerPixel * 8);
    if (bytesPerPixel != 1 && bytesPerPixel != 3)
        throw pxError("flip_vert: Unsupported color depth: %d", bytesPerPixel);
    const int32_t height = source.GetHeight();
    if (source.GetWidth() <= 0 || height <= 0)
        return;
    CheckPixelAccess(destination, "flip_vert");
    CheckPixelAccess(source, "flip_vert");
    // Destination rows walked from the bottom up receive source rows 0, 1, ...
    CopyRows({destination.Row(height - 1), -std::ptrdiff_t{destination.GetStride()}},
             ViewRows(source), height, RowBytes(source, source.GetWidth()));
}
