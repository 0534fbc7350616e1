#include "imaging/geometry.h"

#include <algorithm>

bool Intersects(const px2Rect& a, const px2Rect& b) {
    return a.x < b.x + b.width && a.y < b.y + b.height && b.x < a.x + a.width &&
           b.y < a.y + a.height;
}

void Union(px2Rect& out, const px2Rect& a, const px2Rect& b) {
    const int32_t left = std::min(a.x, b.x);
    const int32_t top = std::min(a.y, b.y);
    const int32_t right = std::max(a.x + a.width, b.x + b.width);
    const int32_t bottom = std::max(a.y + a.height, b.y + b.height);
    out = {left, top, right - left, bottom - top};
}

void px2Rect::UnionWith(const px2Rect& other) {
    if (IsEmpty())
        *this = other;
    else
        Union(*this, *this, other);
}
