#include "platform/gdi/dib.h"

#include "platform/gdi/devicecontext.h"
#include "platform/gdi/dibsource.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace win {
namespace {

using internal::DibSource;

constexpr int kLastStretchMode = 4; // HALFTONE

// Pixels along one axis: length pixels from start onwards, or for a negative
// length, -length pixels from start - 1 backwards (a mirrored rectangle).
struct Run {
    std::int64_t start;
    std::int64_t length;

    std::int64_t Lowest() const { return length >= 0 ? start : start + length; }
    std::int64_t Size() const { return length >= 0 ? length : -length; }
    std::int64_t At(std::int64_t step) const {
        return length >= 0 ? start + step : start - 1 - step;
    }
    std::int64_t StepOf(std::int64_t coordinate) const {
        return length >= 0 ? coordinate - start : start - 1 - coordinate;
    }
};

// For each destination coordinate from `first` on that lies inside the
// frame: the source coordinate it shows, or -1 outside the picture.
struct AxisMap {
    std::int64_t first = 0;
    std::vector<std::int64_t> source;
};

AxisMap MapAxis(Run destination, Run source, std::int64_t frameSize, std::int64_t pictureSize) {
    AxisMap map;
    if (destination.Size() == 0 || source.Size() == 0)
        return map;
    map.first = std::max<std::int64_t>(0, destination.Lowest());
    const std::int64_t end = std::min(frameSize, destination.Lowest() + destination.Size());
    for (std::int64_t coordinate = map.first; coordinate < end; ++coordinate) {
        const std::int64_t step = destination.StepOf(coordinate);
        const std::int64_t sourceStep =
            source.Size() == destination.Size() ? step : step * source.Size() / destination.Size();
        const std::int64_t at = source.At(sourceStep);
        map.source.push_back(at >= 0 && at < pictureSize ? at : -1);
    }
    return map;
}

// Source rows in top-down order; a bottom-up picture's y counts from its bottom.
Run SourceRows(const DibSource& source, std::int64_t ySrc, std::int64_t height) {
    if (source.topDown)
        return {ySrc, height};
    return {source.height - ySrc - height, height};
}

// The scan lines the bits hold, numbered as the picture numbers them (from
// the bottom of a bottom-up picture).
struct Band {
    std::int64_t first;
    std::int64_t count;
};

// True that the columns show source columns first, first + 1, ... with none
// outside the picture: every unstretched blit that lies inside the picture.
bool Contiguous(const AxisMap& columns) {
    if (columns.source.empty() || columns.source.front() < 0)
        return false;
    for (std::size_t c = 1; c < columns.source.size(); ++c)
        if (columns.source[c] != columns.source.front() + static_cast<std::int64_t>(c))
            return false;
    return true;
}

// Whole scan lines at once for the blits a redraw makes, where an ink per
// pixel would cost most of the frame's time. Each gives the bytes the ink of
// every pixel would: true colour into 24 or 32 bits keeps blue, green, red
// (the unused fourth byte 0), and 8 bits into 8 bits looks the system index
// of each pixel value up in a table made from the inks once.
using RowCopy = void (*)(std::uint8_t* out, const std::uint8_t* in, std::int64_t count,
                         const std::uint8_t* table);

template <int InBytes, int OutBytes>
void CopyTrueColourRow(std::uint8_t* out, const std::uint8_t* in, std::int64_t count,
                       const std::uint8_t*) {
    // Each pixel is gathered and stored whole: the rows may overlap as far as
    // the compiler knows, so it would otherwise store byte by byte.
    for (std::int64_t i = 0; i < count; ++i, in += InBytes, out += OutBytes) {
        const std::uint8_t pixel[4] = {in[0], in[1], in[2], 0};
        std::memcpy(out, pixel, OutBytes);
    }
}

void CopyIndexedRow(std::uint8_t* out, const std::uint8_t* in, std::int64_t count,
                    const std::uint8_t* table) {
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = table[in[i]];
}

struct FastRows {
    RowCopy copy = nullptr; // null: no fast path, ink by ink
    std::array<std::uint8_t, 256> table{};
};

FastRows FastRowsFor(const DibSource& source, int frameBits, internal::SourceInks& inks) {
    FastRows fast;
    const int in = source.bytesPerPixel;
    if (in == 1 && frameBits == 8) {
        for (std::size_t value = 0; value < fast.table.size(); ++value) {
            const auto pixel = static_cast<std::uint8_t>(value);
            fast.table[value] = inks.At(&pixel).bytes[0];
        }
        fast.copy = CopyIndexedRow;
    } else if (in == 3 && frameBits == 24) {
        fast.copy = CopyTrueColourRow<3, 3>;
    } else if (in == 3 && frameBits == 32) {
        fast.copy = CopyTrueColourRow<3, 4>;
    } else if (in == 4 && frameBits == 24) {
        fast.copy = CopyTrueColourRow<4, 3>;
    } else if (in == 4 && frameBits == 32) {
        fast.copy = CopyTrueColourRow<4, 4>;
    }
    return fast;
}

void Draw(internal::DeviceContext& dc, const DibSource& source, Run destColumns, Run destRows,
          Run sourceColumns, Run sourceRows, Band band) {
    Framebuffer* frame = internal::DrawableTarget(dc);
    if (!frame)
        return;
    const AxisMap columns = MapAxis(destColumns, sourceColumns, frame->width, source.width);
    const AxisMap rows = MapAxis(destRows, sourceRows, frame->height, source.height);
    const internal::InkMaker inks(dc, frame->bitsPerPixel);
    internal::SourceInks sourceInks(source, inks, frame->bitsPerPixel);
    const int outBytes = frame->BytesPerPixel();
    const FastRows fast =
        Contiguous(columns) ? FastRowsFor(source, frame->bitsPerPixel, sourceInks) : FastRows{};
    for (std::size_t r = 0; r < rows.source.size(); ++r) {
        const std::int64_t row = rows.source[r];
        if (row < 0)
            continue;
        const std::int64_t scan = source.topDown ? row : source.height - 1 - row;
        if (scan < band.first || scan >= band.first + band.count)
            continue;
        const std::uint8_t* in = source.StoredRow(scan - band.first);
        std::uint8_t* out = frame->Row(static_cast<int>(rows.first + static_cast<std::int64_t>(r)));
        if (fast.copy) {
            fast.copy(out + columns.first * outBytes,
                      in + columns.source.front() * source.bytesPerPixel,
                      static_cast<std::int64_t>(columns.source.size()), fast.table.data());
            continue;
        }
        for (std::size_t c = 0; c < columns.source.size(); ++c) {
            const std::int64_t column = columns.source[c];
            if (column < 0)
                continue;
            const internal::Ink ink = sourceInks.At(in + column * source.bytesPerPixel);
            internal::Put(out + (columns.first + static_cast<std::int64_t>(c)) * outBytes, ink,
                          outBytes);
        }
    }
    internal::FinishDrawing(dc);
}

} // namespace

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT colourUse) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    const std::optional<DibSource> source = DibSource::Describe(info, bits, colourUse);
    if (!context || !source || startScan >= source->height)
        return 0;
    const Band band{startScan, std::min<std::int64_t>(lines, source->height - startScan)};
    Draw(*context, *source, {xDest, width}, {yDest, height}, {xSrc, width},
         SourceRows(*source, ySrc, height), band);
    return static_cast<int>(band.count);
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT colourUse, DWORD rop) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    const std::optional<DibSource> source = DibSource::Describe(info, bits, colourUse);
    if (!context || !source || rop != SRCCOPY)
        return 0;
    const Run sourceRows = SourceRows(*source, ySrc, srcHeight);
    Draw(*context, *source, {xDest, destWidth}, {yDest, destHeight}, {xSrc, srcWidth}, sourceRows,
         {0, source->height});
    const std::int64_t top = std::max<std::int64_t>(0, sourceRows.Lowest());
    const std::int64_t bottom = std::min(source->height, sourceRows.Lowest() + sourceRows.Size());
    return static_cast<int>(std::max<std::int64_t>(0, bottom - top));
}

int SetStretchBltMode(HDC dc, int mode) {
    internal::DeviceContext* context = internal::FindDeviceContext(dc);
    if (!context || mode < BLACKONWHITE || mode > kLastStretchMode)
        return 0;
    const int previous = context->stretchMode;
    context->stretchMode = mode;
    return previous;
}

} // namespace win
