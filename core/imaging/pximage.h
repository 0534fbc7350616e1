// The picture model: a reference-counted pixel store (pxImageBuff), rectangular
// views on it (pxImage) that may select only odd or even rows, a frame split
// into two eye views (pxStereoImage), colours and palettes.
//
// Pixels of 3 bytes are blue, green, red; 4-byte pixels add one more byte;
// 1-byte pixels are palette indices. Palette entries are red, green, blue.
#pragma once

#include "imaging/geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct pxColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare = 0; // zero in every colour the core makes

    // The four bytes as one 32-bit value, red in the lowest byte: a fill
    // value or a palette index is carried this way.
    uint32_t Value() const;
    static pxColor FromValue(uint32_t value);
    static pxColor Rgb(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b, 0}; }

    friend bool operator==(const pxColor&, const pxColor&) = default;
};

// The largest picture pxImage makes, whatever a file's header claims.
constexpr int64_t kMaxImageBytes = int64_t{1} << 30;

class pxPalette {
public:
    static constexpr int kMaxColours = 256;

    // 256 entries: the 20 fixed system colours at 0-9 and 246-255, black between.
    pxPalette();

    int GetCount() const { return static_cast<int>(entries.size()); }
    // 0 to 256 entries; new entries are black. Anything else throws.
    void SetCount(int count);

    pxColor& operator[](int index) { return entries[static_cast<size_t>(index)]; }
    const pxColor& operator[](int index) const { return entries[static_cast<size_t>(index)]; }

    // The fixed colour that a new palette holds at index (black for 10-245).
    static pxColor SystemColour(int index);

private:
    std::vector<pxColor> entries;
};

enum FieldType : int32_t {
    FIELD_BOTH = 0,    // every row
    FIELD_ODD = 1,     // the buffer's rows 1, 3, 5 ...
    FIELD_EVEN = 2,    // the buffer's rows 0, 2, 4 ...
    FIELD_INHERIT = 3, // as an argument: the source view's field type
};

// As a bottomUp argument: take the flag from the source view.
constexpr int32_t BOTTOMUP_INHERIT = 2;

enum PairType : int32_t {
    PAIR_INTERLEAVED_LEFT_FIRST = 0,
    PAIR_INTERLEAVED_RIGHT_FIRST = 1,
    PAIR_OVER_UNDER_LEFT_TOP = 2,
    PAIR_OVER_UNDER_RIGHT_TOP = 3,
    PAIR_SIDE_BY_SIDE_LEFT_FIRST = 4,
    PAIR_SIDE_BY_SIDE_RIGHT_FIRST = 5,
};

class pxImage;

// The pixel memory behind one or more views. Only pxImage makes these.
class pxImageBuff {
public:
    static void AddRef(pxImageBuff* buffer);
    static void Release(pxImageBuff* buffer);

    void Resize(int32_t width, int32_t height, int32_t bytesPerPixel, int32_t rowAlign,
                int32_t bottomUp, uint8_t* externalData);
    px2Rect GetRect() const { return {0, 0, width, height}; }

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel; }
    int32_t GetRowAlign() const { return rowAlign; }
    int32_t GetBytesPerRow() const { return bytesPerRow; }
    int32_t GetRefCount() const { return refCount; }
    bool OwnsData() const { return ownsData; }
    bool IsBottomUp() const { return bottomUp; }
    uint8_t* GetData() const { return data; }

private:
    friend class pxImage;
    pxImageBuff() = default;
    ~pxImageBuff();
    pxImageBuff(const pxImageBuff&) = delete;
    pxImageBuff& operator=(const pxImageBuff&) = delete;

    void FreeData();

    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    int32_t refCount = 0;
    bool ownsData = true;
    int32_t rowAlign = 1;
    int32_t bytesPerRow = 0;
    uint8_t* data = nullptr;
    bool bottomUp = false;
};

// A rectangular view of a pixel buffer (every row, or only its odd or even
// rows), or a virtual view that only describes where a rectangle lies in a
// frame whose memory is known later. Copies share the pixels.
class pxImage {
public:
    pxImage() = default;
    pxImage(px2Size size, int32_t bytesPerPixel, int32_t rowAlign = 1, int32_t bottomUp = 0,
            uint8_t* externalData = nullptr);
    pxImage(const pxImage& source, int32_t fieldType, int32_t bottomUp);
    pxImage(const pxImage& source, const px2Rect& rect, int32_t fieldType = FIELD_INHERIT,
            int32_t bottomUp = BOTTOMUP_INHERIT);
    pxImage(const pxImage& source);
    pxImage& operator=(const pxImage& source);
    virtual ~pxImage();

    // (Re)builds the pixels; a buffer shared with other views is resized in
    // place, so they see the new pixels (but keep their old rectangles).
    virtual void Create(px2Size size, int32_t bytesPerPixel, int32_t rowAlign = 1,
                        int32_t bottomUp = 0, uint8_t* externalData = nullptr);
    // The whole of source, or one field of it.
    virtual void Attach(const pxImage& source, int32_t fieldType = FIELD_INHERIT,
                        int32_t bottomUp = BOTTOMUP_INHERIT);
    // Rectangle rect of source (in source's own coordinates).
    virtual void SetRect(const pxImage& source, const px2Rect& rect,
                         int32_t fieldType = FIELD_INHERIT, int32_t bottomUp = BOTTOMUP_INHERIT);
    // A view without pixels: where rect lies in a frame of frameSize.
    void SetVirtual(px2Size frameSize, const px2Rect& rect, int32_t bytesPerPixel,
                    int32_t fieldType, int32_t bottomUp);

    px2Size GetSize() const { return {width, height}; }
    px2Rect GetRect() const { return {0, 0, width, height}; }
    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetX() const { return x; }
    int32_t GetY() const { return y; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel; }
    int32_t GetFieldType() const { return fieldType; }
    int32_t GetStride() const { return stride; }
    int32_t GetRowPad() const { return rowPad; }
    int32_t GetBottomUp() const { return bottomUp; }
    pxImageBuff* GetBuff() const { return buff; }
    bool HasBuffer() const { return buff != nullptr; }
    bool IsVirtual() const { return buff == nullptr && width > 0; }

    // First pixel of the view (null for a virtual view).
    uint8_t* GetPixels() const { return pixels; }
    // Pixel row y of the view.
    uint8_t* Row(int32_t row) const { return pixels + static_cast<std::ptrdiff_t>(stride) * row; }
    // For a virtual view: byte offset of the first pixel in the virtual frame.
    std::ptrdiff_t GetVirtualOffset() const { return virtualOffset; }

    // A point of the view in the coordinates of the frame it was cut from.
    px2Pnt ToFrame(px2Pnt point) const;

private:
    pxImageBuff* buff = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t bytesPerPixel = 0;
    uint8_t* pixels = nullptr;
    std::ptrdiff_t virtualOffset = 0;
    int32_t fieldType = FIELD_BOTH;
    int32_t stride = 0;
    int32_t rowPad = 0;
    int32_t bottomUp = 0;
};

// Splits whole into its two eye views by pairType. whole must see every row.
void SetupStereoPair(const pxImage& whole, pxImage& left, pxImage& right, int32_t pairType);

// One frame and its two eye views over the same pixels.
class pxStereoImage {
public:
    pxStereoImage() = default;
    pxStereoImage(const pxStereoImage& source);
    pxStereoImage& operator=(const pxStereoImage& source);
    virtual ~pxStereoImage() = default;

    virtual void Create(int32_t pairType, px2Size size, int32_t bytesPerPixel, int32_t rowAlign = 1,
                        int32_t bottomUp = 0, uint8_t* externalData = nullptr);

    pxImage whole;
    pxImage left;
    pxImage right;
};
