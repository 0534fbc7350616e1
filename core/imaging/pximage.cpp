#include "imaging/pximage.h"

#include "imaging/pxerror.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

// ---- pxColor and pxPalette ----

uint32_t pxColor::Value() const {
    return uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16 | uint32_t{spare} << 24;
}

pxColor pxColor::FromValue(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

namespace {

constexpr pxColor kSystemLow[10] = {
    {0, 0, 0, 0},     {128, 0, 0, 0},   {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0}, {192, 220, 192, 0}, {164, 200, 240, 0}};
constexpr pxColor kSystemHigh[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0},
                                     {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                                     {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},
                                     {255, 255, 255, 0}};

} // namespace

pxColor pxPalette::SystemColour(int index) {
    if (index >= 0 && index < 10)
        return kSystemLow[index];
    if (index >= 246 && index < 256)
        return kSystemHigh[index - 246];
    return {};
}

pxPalette::pxPalette() : entries(kMaxColours) {
    for (int i = 0; i < kMaxColours; ++i)
        entries[static_cast<size_t>(i)] = SystemColour(i);
}

void pxPalette::SetCount(int count) {
    if (count < 0 || count > kMaxColours)
        throw pxError("pxPalette::SetCount -- bad number of colours (%d)", count);
    entries.resize(static_cast<size_t>(count));
}

// ---- pxImageBuff ----

void pxImageBuff::AddRef(pxImageBuff* buffer) {
    if (!buffer)
        throw pxError("Referenced null imagebuff\n");
    ++buffer->refCount;
}

void pxImageBuff::Release(pxImageBuff* buffer) {
    if (buffer && --buffer->refCount == 0)
        delete buffer;
}

pxImageBuff::~pxImageBuff() {
    // Only Release deletes a buffer, at its last reference; anything else is
    // a bookkeeping fault worth a trace, not a crash.
    if (refCount != 0)
        pxLog("Deleted pxImageBuff with %d references", refCount);
    FreeData();
}

namespace {

constexpr uintptr_t kHugePageBytes = uintptr_t{2} << 20;

// New pictures start black; for large pictures the zero pages come from the
// system at no cost. Large pictures also ask for huge pages, since a picture
// of a few megapixels otherwise takes thousands of page faults on first touch.
uint8_t* AllocatePixels(size_t bytes) {
    void* block = std::calloc(bytes, 1);
    if (block && bytes >= 2 * kHugePageBytes) {
        const uintptr_t first = reinterpret_cast<uintptr_t>(block);
        const uintptr_t start = (first + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
        const uintptr_t end = (first + bytes) & ~(kHugePageBytes - 1);
        if (end > start)
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
    return static_cast<uint8_t*>(block);
}

} // namespace

void pxImageBuff::FreeData() {
    if (ownsData)
        std::free(data);
    data = nullptr;
}

void pxImageBuff::Resize(int32_t newWidth, int32_t newHeight, int32_t newBytesPerPixel,
                         int32_t newRowAlign, int32_t newBottomUp, uint8_t* externalData) {
    if (!(newWidth > 0 && newHeight > 0 && newBytesPerPixel >= 1 && newBytesPerPixel <= 4 &&
          newRowAlign >= 1))
        throw pxError("Bad Args to Resize(%ld,%ld,%ld,%ld,...)", static_cast<long>(newWidth),
                      static_cast<long>(newHeight), static_cast<long>(newBytesPerPixel),
                      static_cast<long>(newRowAlign));

    const int64_t oldSize = int64_t{height} * bytesPerRow;
    const int64_t rowBytes = int64_t{newWidth} * newBytesPerPixel;
    const int64_t alignedRow = (rowBytes + newRowAlign - 1) / newRowAlign * newRowAlign;
    const int64_t newSize = alignedRow * newHeight;

    width = newWidth;
    height = newHeight;
    bytesPerPixel = newBytesPerPixel;
    rowAlign = newRowAlign;
    // Strides are 32-bit, so a row must fit in 32 bits; and no picture may ask
    // for more than kMaxImageBytes, whatever a file's header claims.
    const bool rowFits =
        alignedRow <= std::numeric_limits<int32_t>::max() && newSize <= kMaxImageBytes;
    bytesPerRow = rowFits ? static_cast<int32_t>(alignedRow) : 0;

    if (!ownsData) {
        data = nullptr;
        ownsData = true;
    }
    if (data && (externalData || newSize != oldSize || !rowFits))
        FreeData();
    if (externalData) {
        ownsData = false;
        data = externalData;
    }
    if (!data && newSize != 0) {
        if (rowFits)
            data = AllocatePixels(static_cast<size_t>(newSize));
        if (!data)
            throw pxError("Unable to allocate %ld x %ld = %ld bytes for image",
                          static_cast<long>(alignedRow), static_cast<long>(newHeight),
                          static_cast<long>(newSize));
        ownsData = true;
    }
    bottomUp = newBottomUp != 0;
}

// ---- pxImage ----

namespace {

// A constructor that throws never runs the destructor: drop the reference the
// failed call may already hold before passing the error on.
template <typename Build> void BuildOrRelease(pxImageBuff*& buff, Build build) {
    try {
        build();
    } catch (...) {
        pxImageBuff::Release(buff);
        buff = nullptr;
        throw;
    }
}

} // namespace

pxImage::pxImage(px2Size size, int32_t bytesPerPixel, int32_t rowAlign, int32_t bottomUp,
                 uint8_t* externalData) {
    BuildOrRelease(buff, [&] { Create(size, bytesPerPixel, rowAlign, bottomUp, externalData); });
}

pxImage::pxImage(const pxImage& source, int32_t fieldType, int32_t bottomUp) {
    BuildOrRelease(buff, [&] { Attach(source, fieldType, bottomUp); });
}

pxImage::pxImage(const pxImage& source, const px2Rect& rect, int32_t fieldType, int32_t bottomUp) {
    BuildOrRelease(buff, [&] { SetRect(source, rect, fieldType, bottomUp); });
}

pxImage::pxImage(const pxImage& source) {
    *this = source;
}

pxImage& pxImage::operator=(const pxImage& source) {
    if (source.buff) {
        Attach(source, FIELD_INHERIT, BOTTOMUP_INHERIT);
    } else if (this != &source) {
        // An empty or virtual view has no buffer to share: copy what it describes.
        pxImageBuff::Release(buff);
        buff = nullptr;
        width = source.width;
        height = source.height;
        x = source.x;
        y = source.y;
        bytesPerPixel = source.bytesPerPixel;
        pixels = nullptr;
        virtualOffset = source.virtualOffset;
        fieldType = source.fieldType;
        stride = source.stride;
        rowPad = source.rowPad;
        bottomUp = source.bottomUp;
    }
    return *this;
}

pxImage::~pxImage() {
    pxImageBuff::Release(buff);
}

void pxImage::Create(px2Size size, int32_t newBytesPerPixel, int32_t rowAlign, int32_t newBottomUp,
                     uint8_t* externalData) {
    bytesPerPixel = newBytesPerPixel;
    x = 0;
    y = 0;
    fieldType = FIELD_BOTH;
    if (!buff) {
        auto* fresh = new (std::nothrow) pxImageBuff;
        if (!fresh)
            pxLog("pxImage::pxImage -- null imagebuff!");
        pxImageBuff::AddRef(fresh);
        buff = fresh;
    }
    buff->Resize(size.width, size.height, newBytesPerPixel, rowAlign, newBottomUp, externalData);
    SetRect(*this, buff->GetRect(), FIELD_BOTH, newBottomUp);
}

void pxImage::Attach(const pxImage& source, int32_t newFieldType, int32_t newBottomUp) {
    if (source.fieldType != FIELD_BOTH && newFieldType != source.fieldType &&
        newFieldType != FIELD_INHERIT)
        throw pxError("Bad field combination in Attach");
    px2Rect rect{0, 0, source.width, source.height};
    if (newFieldType != source.fieldType) {
        if (newFieldType == FIELD_ODD)
            rect.height = source.height / 2;
        else if (newFieldType == FIELD_EVEN)
            rect.height = source.height / 2 + source.height % 2;
    }
    SetRect(source, rect, newFieldType, newBottomUp);
}

namespace {

int32_t LinesPerRow(int32_t fieldType) {
    return fieldType == FIELD_BOTH ? 1 : 2;
}

int32_t FirstFieldRow(int32_t fieldType, int32_t y) {
    if (fieldType == FIELD_ODD)
        return (y % 2 != 0) ? y : y + 1;
    if (fieldType == FIELD_EVEN)
        return (y % 2 == 0) ? y : y + 1;
    return y;
}

bool FitsIn(int64_t x, int64_t y, int64_t width, int64_t height, int64_t lines, int64_t firstRow,
            int64_t frameWidth, int64_t frameHeight) {
    return width >= 0 && height >= 0 && y >= 0 && x >= 0 &&
           (height - 1) * lines + firstRow < frameHeight && x + width - 1 < frameWidth;
}

int32_t ToInt32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw pxError("Image rectangle exceeds buffer bounds!");
    return static_cast<int32_t>(value);
}

} // namespace

void pxImage::SetRect(const pxImage& source, const px2Rect& rect, int32_t newFieldType,
                      int32_t newBottomUp) {
    // Reference first, so that a view re-cut from itself keeps its buffer alive.
    pxImageBuff* sourceBuff = source.buff;
    const int32_t sourceX = source.x;
    const int32_t sourceY = source.y;
    const int32_t sourceField = source.fieldType;
    const int32_t sourceBottomUp = source.bottomUp;
    pxImageBuff::AddRef(sourceBuff);
    pxImageBuff::Release(buff);
    buff = sourceBuff;
    bytesPerPixel = source.bytesPerPixel;
    virtualOffset = 0;

    bottomUp = newBottomUp == BOTTOMUP_INHERIT ? sourceBottomUp : newBottomUp;
    fieldType = newFieldType == FIELD_INHERIT ? sourceField : newFieldType;
    width = rect.width;
    height = rect.height;
    const int32_t lines = LinesPerRow(fieldType);
    stride = ToInt32(int64_t{buff->bytesPerRow} * lines * (bottomUp == 1 ? -1 : 1));
    rowPad = ToInt32(int64_t{stride} - int64_t{width} * bytesPerPixel);

    x = ToInt32(int64_t{sourceX} + rect.x);
    y = ToInt32(int64_t{sourceY} + int64_t{rect.y} * LinesPerRow(sourceField));
    const int32_t firstRow = FirstFieldRow(fieldType, y);
    if (!FitsIn(x, y, width, height, lines, firstRow, buff->width, buff->height)) {
        pixels = nullptr;
        throw pxError("Image rectangle exceeds buffer bounds!");
    }

    const int64_t memoryRow = bottomUp == 1 ? int64_t{buff->height} - firstRow - 1 : firstRow;
    pixels = buff->data ? buff->data + memoryRow * buff->bytesPerRow + int64_t{bytesPerPixel} * x
                        : nullptr;
}

void pxImage::SetVirtual(px2Size frameSize, const px2Rect& rect, int32_t newBytesPerPixel,
                         int32_t newFieldType, int32_t newBottomUp) {
    pxImageBuff::Release(buff);
    buff = nullptr;
    pixels = nullptr;
    bytesPerPixel = newBytesPerPixel;
    bottomUp = newBottomUp == BOTTOMUP_INHERIT ? 0 : newBottomUp;
    fieldType = newFieldType == FIELD_INHERIT ? FIELD_BOTH : newFieldType;
    width = rect.width;
    height = rect.height;
    const int32_t lines = LinesPerRow(fieldType);
    stride = ToInt32(int64_t{frameSize.width} * lines * bytesPerPixel * (bottomUp == 1 ? -1 : 1));
    rowPad = ToInt32(int64_t{stride} - int64_t{width} * bytesPerPixel);
    x = rect.x;
    y = rect.y;
    const int32_t firstRow = FirstFieldRow(fieldType, y);
    if (!FitsIn(x, y, width, height, lines, firstRow, frameSize.width, frameSize.height))
        throw pxError("Virtual image rectangle exceeds buffer bounds!");
    const int64_t frameRow = bottomUp == 1 ? int64_t{frameSize.height} - firstRow - 1 : firstRow;
    virtualOffset = (frameRow * frameSize.width + x) * bytesPerPixel;
}

px2Pnt pxImage::ToFrame(px2Pnt point) const {
    switch (fieldType) {
    case FIELD_BOTH:
        return {x + point.x, y + point.y};
    case FIELD_ODD:
        return {x + point.x, y + 2 * point.y + 1};
    case FIELD_EVEN:
        return {x + point.x, y + 2 * point.y};
    default:
        return point;
    }
}

// ---- stereo pairs ----

void SetupStereoPair(const pxImage& whole, pxImage& left, pxImage& right, int32_t pairType) {
    if (whole.GetFieldType() != FIELD_BOTH)
        throw pxError("SetupStereoPair buffer must have field type BOTH");

    const int32_t w = whole.GetWidth();
    const int32_t h = whole.GetHeight();
    px2Rect leftRect{0, 0, w, h};
    px2Rect rightRect{0, 0, w, h};
    int32_t leftField = FIELD_BOTH;
    int32_t rightField = FIELD_BOTH;
    switch (pairType) {
    case PAIR_INTERLEAVED_LEFT_FIRST:
    case PAIR_INTERLEAVED_RIGHT_FIRST:
        leftRect.height = rightRect.height = h / 2;
        leftField = pairType == PAIR_INTERLEAVED_LEFT_FIRST ? FIELD_EVEN : FIELD_ODD;
        rightField = pairType == PAIR_INTERLEAVED_LEFT_FIRST ? FIELD_ODD : FIELD_EVEN;
        break;
    case PAIR_OVER_UNDER_LEFT_TOP:
    case PAIR_OVER_UNDER_RIGHT_TOP:
        leftRect.height = rightRect.height = h / 2;
        (pairType == PAIR_OVER_UNDER_LEFT_TOP ? rightRect : leftRect).y = h / 2;
        break;
    case PAIR_SIDE_BY_SIDE_LEFT_FIRST:
    case PAIR_SIDE_BY_SIDE_RIGHT_FIRST:
        leftRect.width = rightRect.width = w / 2;
        (pairType == PAIR_SIDE_BY_SIDE_LEFT_FIRST ? rightRect : leftRect).x = w / 2;
        break;
    default:
        throw pxError("Unsupported PairType in SetupStereoPair");
    }

    if (whole.HasBuffer()) {
        left.SetRect(whole, leftRect, leftField, BOTTOMUP_INHERIT);
        right.SetRect(whole, rightRect, rightField, BOTTOMUP_INHERIT);
    } else if (whole.IsVirtual()) {
        // The width of the frame whole was cut from, whichever way its rows run.
        const int32_t bpp = whole.GetBytesPerPixel();
        const int32_t rowBytes = whole.GetStride() < 0 ? -whole.GetStride() : whole.GetStride();
        const px2Size frame{bpp > 0 ? rowBytes / bpp : 0, h};
        left.SetVirtual(frame, leftRect, bpp, leftField, 0);
        right.SetVirtual(frame, rightRect, bpp, rightField, 0);
    }
}

pxStereoImage::pxStereoImage(const pxStereoImage& source)
    : whole(source.whole), left(source.left), right(source.right) {}

pxStereoImage& pxStereoImage::operator=(const pxStereoImage& source) {
    whole = source.whole;
    left = source.left;
    right = source.right;
    return *this;
}

void pxStereoImage::Create(int32_t pairType, px2Size size, int32_t bytesPerPixel, int32_t rowAlign,
                           int32_t bottomUp, uint8_t* externalData) {
    whole.Create(size, bytesPerPixel, rowAlign, bottomUp, externalData);
    SetupStereoPair(whole, left, right, pairType);
}
