// Integer geometry records shared by every picture operation, and their
// conversion to and from a platform rectangle (any type with left, top,
// right and bottom members, so the imaging core needs no platform header).
#pragma once

#include <cstdint>

struct px2Pnt {
    int32_t x = 0;
    int32_t y = 0;
};

struct px2Size {
    int32_t width = 0;
    int32_t height = 0;
};

// Origin plus size, never two corners.
struct px2Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    // An empty rectangle becomes other; otherwise it grows to cover both.
    void UnionWith(const px2Rect& other);
};

// True when the two overlap; rectangles that only touch do not intersect.
bool Intersects(const px2Rect& a, const px2Rect& b);
// The smallest rectangle that covers both a and b.
void Union(px2Rect& out, const px2Rect& a, const px2Rect& b);

template <typename PlatformRect> void ctopx(const PlatformRect& r, px2Rect& out) {
    out = {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

template <typename PlatformRect> px2Rect ctopx(const PlatformRect& r) {
    px2Rect out;
    ctopx(r, out);
    return out;
}

template <typename PlatformRect> void pxtoc(const px2Rect& r, PlatformRect& out) {
    out.left = r.x;
    out.top = r.y;
    out.right = r.x + r.width;
    out.bottom = r.y + r.height;
}

template <typename PlatformRect> PlatformRect pxtoc(const px2Rect& r) {
    PlatformRect out{};
    pxtoc(r, out);
    return out;
}

// Intersects a and b and writes the intersection twice: into outA relative to
// a's top-left corner and into outB relative to b's. With no overlap both come
// out empty (right <= left or bottom <= top).
template <typename PlatformRect>
void CalcIntersectRect(const PlatformRect& a, const PlatformRect& b, PlatformRect& outA,
                       PlatformRect& outB) {
    const auto left = a.left > b.left ? a.left : b.left;
    const auto top = a.top > b.top ? a.top : b.top;
    auto right = a.right < b.right ? a.right : b.right;
    auto bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (right < left)
        right = left;
    if (bottom < top)
        bottom = top;
    outA.left = left - a.left;
    outA.top = top - a.top;
    outA.right = right - a.left;
    outA.bottom = bottom - a.top;
    outB.left = left - b.left;
    outB.top = top - b.top;
    outB.right = right - b.left;
    outB.bottom = bottom - b.top;
}

// Kept for callers of the two-argument form, which has never done anything.
template <typename PlatformRect> void CalcIntersectRect(const PlatformRect&, const PlatformRect&) {}
