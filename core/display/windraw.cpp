// Drawing into the display: pictures through GDI or into DirectDraw
// surfaces, the status line, the cursor and refreshing from the frame.
#include "display/directdraw.h"
#include "display/handlebits.h"
#include "display/imagedib.h"
#include "display/windisp.h"

#include "imaging/pxerror.h"
#include "platform/gdi/gdi.h"
#include "platform/win/cursor.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kStatusLineHeight = 16;
constexpr size_t kStatusRoom = 1024;

int Int(int64_t value) {
    return static_cast<int>(value);
}

[[noreturn]] void LogAndThrow(const pxError& error) {
    pxLog("%s", error.GetMessage());
    throw error;
}

// Copies rows of an 8-bit picture into locked 8-bit surface memory with its
// top-left corner at (x, y), cut to the surface.
void CopyIntoLocked(const win::DDSURFACEDESC& locked, const pxImage& image, int32_t firstRow,
                    int32_t rows, int32_t x, int32_t y) {
    auto* memory = static_cast<uint8_t*>(locked.lpSurface);
    if (!memory || !image.GetPixels())
        return;
    const int64_t pitch = locked.lPitch;
    const int64_t surfaceWidth = std::min<int64_t>(locked.dwWidth, pitch < 0 ? -pitch : pitch);
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + image.GetWidth(), surfaceWidth);
    if (right <= left)
        return;
    for (int32_t row = 0; row < rows; ++row) {
        const int64_t line = int64_t{y} + row;
        if (line < 0 || line >= locked.dwHeight)
            continue;
        std::memcpy(memory + line * pitch + left, image.Row(firstRow + row) + (left - x),
                    static_cast<size_t>(right - left));
    }
}

void DrawTextLine(win::HDC dc, px2Pnt point, const char* text, bool erase, win::HBRUSH brush,
                  int32_t frameWidth, win::COLORREF colour) {
    const int length = static_cast<int>(std::strlen(text));
    win::SetBkMode(dc, win::TRANSPARENT);
    if (erase) {
        win::SIZE extent{};
        win::GetTextExtentPoint32(dc, text, length, &extent);
        const win::RECT line{0, point.y, frameWidth, point.y + extent.cy};
        win::FillRect(dc, &line, brush);
    }
    win::SetTextColor(dc, colour);
    win::TextOut(dc, point.x, point.y, text, length);
}

} // namespace

uint32_t WinDisp::MonoWidth() const {
    const int32_t width = whole.GetWidth();
    if (!modes || currentModeIndex < 0 || currentModeIndex >= modeCount)
        pxLog("WinDisp::MonoWidth -- modes not set up: (%x %d %d)", HandleBits(modes.get()),
              Int(modeCount), Int(currentModeIndex));
    else if (modes[static_cast<size_t>(currentModeIndex)].width != static_cast<uint32_t>(width))
        pxLog("WinDisp::MonoWidth -- difference between widths! (%d, %d)",
              Int(modes[static_cast<size_t>(currentModeIndex)].width), Int(width));
    return static_cast<uint32_t>(width);
}

uint32_t WinDisp::MonoHeight() const {
    const int32_t frameHeight = whole.GetHeight();
    const int32_t height = frameHeight / (IsPageFlipped() ? 2 : 1);
    if (!modes || currentModeIndex < 0 || currentModeIndex >= modeCount)
        pxLog("WinDisp::MonoHeight -- modes not set up: (%x %d %d)", HandleBits(modes.get()),
              Int(modeCount), Int(currentModeIndex));
    else if (modes[static_cast<size_t>(currentModeIndex)].height != static_cast<uint32_t>(height))
        pxLog("WinDisp::MonoHeight -- difference between heights! (%d, %d, %d)",
              Int(modes[static_cast<size_t>(currentModeIndex)].height), Int(height),
              Int(frameHeight));
    return static_cast<uint32_t>(height);
}

int32_t WinDisp::EyeYOffset() const {
    // A page-flipped frame holds both eyes: each half is centred on its own surface.
    return IsPageFlipped() ? (displayHeight - whole.GetHeight() / 2) / 2 : imageYOffset;
}

void WinDisp::BltImage(const pxImage& image, const win::BITMAPINFO* header, const px2Pnt* point) {
    if (!displayValid) {
        pxLog("WinDisp::BltImage -- display is not valid, returning!");
        return;
    }
    const int32_t imageBytes = image.GetBytesPerPixel();
    if ((imageBytes == 1 && displayBpp > 1) || (imageBytes > 1 && displayBpp == 1))
        LogAndThrow(pxError("WinDisp::BltImage -- image and display color depths are not "
                            "compatible! (%d %d)",
                            Int(imageBytes), Int(displayBpp)));

    const uint32_t monoWidth = MonoWidth();
    const uint32_t monoHeight = MonoHeight();
    if (point && (point->x < 0 || static_cast<uint32_t>(point->x) > monoWidth || point->y < 0 ||
                  static_cast<uint32_t>(point->y) > monoHeight))
        LogAndThrow(pxError("WinDisp::BltImage -- invalid pnt (%d,%d) for display (%dx%d)",
                            Int(point->x), Int(point->y), Int(monoWidth), Int(monoHeight)));

    const px2Pnt at = point ? *point : px2Pnt{0, 0};
    const auto width = static_cast<uint32_t>(image.GetWidth());
    const auto height = static_cast<uint32_t>(image.GetHeight() / (IsPageFlipped() ? 2 : 1));
    if (uint64_t{static_cast<uint32_t>(at.x)} + width > monoWidth ||
        uint64_t{static_cast<uint32_t>(at.y)} + height > monoHeight)
        LogAndThrow(pxError("WinDisp::BltImage -- image (%dx%d) with pnt (%dx%d) exceeds display "
                            "bounds (%dx%d)",
                            Int(width), Int(height), Int(at.x), Int(at.y), Int(monoWidth),
                            Int(monoHeight)));

    if (!directDrawInUse) {
        GDIBlt(dc, image, header, at);
        return;
    }
    DDBlt(primarySurface, image, header, at, false);
    if (IsPageFlipped())
        DDBlt(secondSurface, image, header, at, true);
}

void WinDisp::GDIBlt(win::HDC target, const pxImage& image, const win::BITMAPINFO* header,
                     px2Pnt point) {
    ImageDib(image, 0, image.GetHeight(), header)
        .Draw(target, imageXOffset + point.x, imageYOffset + point.y);
}

void WinDisp::DDBlt(win::IDirectDrawSurface* surface, const pxImage& image,
                    const win::BITMAPINFO* header, px2Pnt point, bool leftEye) {
    if (!surface)
        return;
    const int32_t x = imageXOffset + point.x;
    const int32_t y = EyeYOffset() + point.y;
    // Under page flipping the right eye is the top half, the left eye the bottom half.
    const int32_t half = image.GetHeight() / 2;
    const int32_t firstRow = IsPageFlipped() && leftEye ? half : 0;
    const int32_t rows = !IsPageFlipped() ? image.GetHeight()
                         : leftEye        ? image.GetHeight() - half
                                          : half;

    if (surface->IsLost() == win::DDERR_SURFACELOST) {
        const win::HRESULT restored = surface->Restore();
        if (win::FAILED(restored)) {
            pxLog("WinDisp::DDBlt -- restore failed!");
            LogDDError(restored);
        }
    }

    if (displayBpp == 1) {
        win::DDSURFACEDESC locked{};
        const win::HRESULT result = surface->Lock(nullptr, &locked, 0, nullptr);
        if (win::FAILED(result)) {
            LogDDError(result);
            return;
        }
        CopyIntoLocked(locked, image, firstRow, rows, x, y);
        surface->Unlock(locked.lpSurface);
        return;
    }

    win::HDC surfaceDc = nullptr;
    const win::HRESULT result = surface->GetDC(&surfaceDc);
    if (win::FAILED(result)) {
        LogDDError(result);
        return;
    }
    ImageDib(image, firstRow, rows, header).Draw(surfaceDc, x, y);
    surface->ReleaseDC(surfaceDc);
}

void WinDisp::TextOut(px2Pnt point, const char* text, bool erase) {
    if (!displayValid) {
        pxLog("WinDisp::TextOut -- display is not valid, returning");
        return;
    }
    if (directDrawInUse)
        TextOutDD(point, text ? text : "", erase);
    else
        TextOutGDI(point, text ? text : "", erase);
}

void WinDisp::TextOutGDI(px2Pnt point, const char* text, bool erase) {
    const win::HBRUSH brush = win::CreateSolidBrush(textBackground);
    DrawTextLine(dc, point, text, erase, brush, whole.GetWidth(), textColour);
    win::DeleteObject(brush);
}

void WinDisp::TextOutDD(px2Pnt point, const char* text, bool erase) {
    const win::HBRUSH brush = win::CreateSolidBrush(textBackground);
    // The text shows to both eyes under page flipping.
    std::vector<win::IDirectDrawSurface*> surfaces = {primarySurface};
    if (IsPageFlipped() && secondSurface)
        surfaces.push_back(secondSurface);
    for (win::IDirectDrawSurface* surface : surfaces) {
        win::HDC surfaceDc = nullptr;
        const win::HRESULT result = surface ? surface->GetDC(&surfaceDc) : win::DDERR_INVALIDOBJECT;
        if (win::FAILED(result)) {
            LogDDError(result);
            break;
        }
        DrawTextLine(surfaceDc, point, text, erase, brush, whole.GetWidth(), textColour);
        surface->ReleaseDC(surfaceDc);
    }
    win::DeleteObject(brush);
}

void WinDisp::SetStatusBarMessage(const char* format, ...) {
    statusMessage.reset();
    if (!format)
        return;
    std::vector<char> text(std::strlen(format) + kStatusRoom, '\0');
    va_list args;
    va_start(args, format);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    statusMessage = text.data();
    if (displayValid)
        DrawStatusMessage();
}

void WinDisp::DrawStatusMessage() {
    if (statusMessage)
        TextOut({0, static_cast<int32_t>(MonoHeight()) - kStatusLineHeight}, statusMessage->c_str(),
                true);
}

void WinDisp::SetCursor(const char* name) {
    if (cursor)
        win::DestroyCursor(cursor);
    // Our modules carry no cursor resources of their own; a name that is
    // none of theirs may still be one of the system's.
    cursor = nullptr;
    if (name) {
        cursor = win::LoadCursor(instance, name);
        if (!cursor)
            cursor = win::LoadCursor(nullptr, name);
    }
    win::SetCursor(cursor);
}

void WinDisp::Refresh() {
    if (displayValid)
        RefreshMono({0, 0, whole.GetWidth(), whole.GetHeight()}, false);
}

void WinDisp::RefreshMono(const px2Rect& rect, bool clip) {
    if (!displayValid || !refreshFlag)
        return;
    if (clip && !Intersects(rect, whole.GetRect()))
        return;
    BltImage(whole, GetBitmapHeader(), nullptr);
    DrawStatusMessage();
}
