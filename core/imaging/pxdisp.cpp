#include "imaging/pxdisp.h"

#include "imaging/font.h"
#include "imaging/pixelops.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::atomic<pxKeyWaitHook> keyWaitHook{nullptr};

constexpr uint8_t kBoxColour = 0;
constexpr uint8_t kTextColour = 255;
constexpr const char* kPrompt = "Press Enter to continue";

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Where (point, size) of an eye view lies in the frame; rows of a field view
// are two frame rows apart.
px2Rect EyeRectInFrame(const pxImage& eye, px2Pnt point, px2Size size) {
    const px2Pnt origin = eye.ToFrame(point);
    const int64_t frameRows =
        eye.GetFieldType() == FIELD_BOTH ? size.height : 2 * int64_t{size.height} - 1;
    return {origin.x, origin.y, size.width, ClampToInt32(frameRows)};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Lines of at most maxChars (at least 1) characters. A newline always breaks.
// A longer line breaks after its last blank or tab that lies at least halfway
// into it, else hard at the limit; the blanks, tabs and newlines after such a
// break are skipped.
std::vector<std::string> BreakLines(std::string_view text, size_t maxChars) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        const size_t end = newline == std::string_view::npos ? text.size() : newline;
        if (end - start <= maxChars) {
            lines.emplace_back(text.substr(start, end - start));
            start = end + 1;
            continue;
        }
        const size_t earliest = start + std::max<size_t>(1, maxChars / 2);
        size_t cut = start + maxChars;
        for (size_t at = start + maxChars; at >= earliest; --at) {
            if (IsBlank(text[at])) {
                cut = at;
                break;
            }
        }
        lines.emplace_back(text.substr(start, cut - start));
        start = cut;
        while (start < text.size() && (IsBlank(text[start]) || text[start] == '\n'))
            ++start;
    }
    return lines;
}

// Paints rect, clipped to the frame, with the default palette's colour index:
// the index itself in a 1-byte frame, its blue, green, red in deeper ones.
void PaintRect(pxImage& frame, const px2Rect& rect, uint8_t index) {
    const int bytesPerPixel = frame.GetBytesPerPixel();
    if (bytesPerPixel == 1) {
        pxFillRect(frame, rect, pxColor::FromValue(index));
        return;
    }
    const pxColor colour = pxPalette::SystemColour(index);
    if (bytesPerPixel != 4) {
        pxFillRect(frame, rect, colour);
        return;
    }
    // pxFillRect knows only 1 and 3 bytes per pixel.
    CheckPixelAccess(frame, "pxDisp::Message");
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, frame.GetWidth());
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, frame.GetHeight());
    const uint8_t pixel[4] = {colour.blue, colour.green, colour.red, 0};
    for (int64_t y = top; y < bottom; ++y) {
        uint8_t* row = frame.Row(static_cast<int32_t>(y));
        for (int64_t x = left; x < right; ++x)
            std::memcpy(row + 4 * x, pixel, sizeof pixel);
    }
}

} // namespace

void pxSetKeyWaitHook(pxKeyWaitHook hook) {
    keyWaitHook.store(hook);
}

void pxDisp::Resize(px2Size size, int32_t pairType, int32_t bytesPerPixel, int32_t rowAlign,
                    int32_t bottomUp) {
    whole.Create(size, bytesPerPixel, rowAlign, bottomUp, nullptr);
    SetupStereoPair(whole, left, right, pairType);
}

void pxDisp::SetPalette(const pxPalette&) {
    throw pxError("SetPalette not supported for this display");
}

void pxDisp::Refresh() {
    throw pxError("pxDisp Function not Implemented");
}

void pxDisp::RefreshRect(const px2Rect&) {
    throw pxError("pxDisp Function not Implemented");
}

void pxDisp::RefreshPair(px2Pnt leftPoint, px2Size leftSize, px2Pnt rightPoint, px2Size rightSize) {
    const px2Rect leftRect = EyeRectInFrame(left, leftPoint, leftSize);
    const px2Rect rightRect = EyeRectInFrame(right, rightPoint, rightSize);
    if (Intersects(leftRect, rightRect)) {
        px2Rect both;
        Union(both, leftRect, rightRect);
        RefreshRect(both);
    } else {
        RefreshRect(leftRect);
        RefreshRect(rightRect);
    }
}

void pxDisp::Printf(const char* format, ...) {
    char text[kMaxTextLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Message(text);
}

void pxDisp::SetBufferOffset(px2Pnt) {
    throw pxError("SetBufferOffset not supported for this display");
}

void pxDisp::Message(const char* text) {
    pxImage& frame = whole;
    if (!frame.GetPixels())
        return; // nothing to draw into

    const px2Size glyph = TextExtent("M");
    const int32_t lineHeight = glyph.height + 2;
    const int32_t charsPerLine = std::max(1, frame.GetWidth() / glyph.width - 2);
    const std::vector<std::string> lines = BreakLines(text ? text : "", charsPerLine);

    const int64_t boxHeight = (static_cast<int64_t>(lines.size()) + 2) * lineHeight;
    const px2Rect box{0, 0, frame.GetWidth(), ClampToInt32(boxHeight)};
    // Only the part of the box inside the frame needs saving.
    const px2Rect covered{0, 0, box.width, std::min(box.height, frame.GetHeight())};
    pxImage saved({covered.width, covered.height}, frame.GetBytesPerPixel());
    CopyImage(saved, {0, 0}, frame, covered);
    const auto restore = [&] { CopyImage(frame, {0, 0}, saved, saved.GetRect()); };

    try {
        PaintRect(frame, box, kBoxColour);
        pxFrameRect(frame, box, pxColor::FromValue(kTextColour));
        int64_t y = lineHeight / 2;
        for (const std::string& line : lines) {
            if (y >= frame.GetHeight())
                break;
            DrawText(frame, {glyph.width, static_cast<int32_t>(y)}, line.c_str(), kTextColour);
            y += lineHeight;
        }
        if (y < frame.GetHeight())
            DrawText(frame, {glyph.width, static_cast<int32_t>(y)}, kPrompt, kTextColour);

        Refresh();
        if (const pxKeyWaitHook wait = keyWaitHook.load())
            wait(2);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    Refresh();
}
