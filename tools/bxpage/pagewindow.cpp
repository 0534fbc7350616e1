#include "bxpage/pagewindow.h"

#include "platform/gdi/gdi.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"

#include <algorithm>

namespace bxpage {
namespace {

constexpr const char* kPageClass = "BxPageWindow";
constexpr const char* kEmbedClass = "BxPageEmbed";
constexpr win::UINT_PTR kTickTimer = 1;
constexpr int kLineHeight = 16;

// An empty embedded file's window (the plug-in refused it, or draws later)
// shows the class brush, and nothing else.
win::LRESULT EmbedProcedure(win::HWND window, win::UINT message, win::WPARAM wParam,
                            win::LPARAM lParam) {
    return win::DefWindowProc(window, message, wParam, lParam);
}

bool RegisterClasses(win::WNDPROC pageProcedure) {
    static const bool registered = [pageProcedure] {
        win::WNDCLASS page;
        page.style = win::CS_HREDRAW | win::CS_VREDRAW;
        page.lpfnWndProc = pageProcedure;
        page.hbrBackground = reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH));
        page.lpszClassName = kPageClass;
        win::WNDCLASS embed;
        embed.lpfnWndProc = EmbedProcedure;
        embed.hbrBackground = reinterpret_cast<win::HBRUSH>(win::GetStockObject(win::LTGRAY_BRUSH));
        embed.lpszClassName = kEmbedClass;
        return win::RegisterClass(&page) != 0 && win::RegisterClass(&embed) != 0;
    }();
    return registered;
}

uint16_t Clamped16(win::LONG value) {
    return static_cast<uint16_t>(std::clamp<win::LONG>(value, 0, UINT16_MAX));
}

// The part of a box inside the client area, in the page's coordinates.
NPRect Visible(const PlacedBox& box, const win::RECT& client) {
    const win::LONG left = std::max<win::LONG>(box.x, client.left);
    const win::LONG top = std::max<win::LONG>(box.y, client.top);
    const win::LONG right = std::min<win::LONG>(box.x + box.width, client.right);
    const win::LONG bottom = std::min<win::LONG>(box.y + box.height, client.bottom);
    NPRect clip;
    if (left < right && top < bottom) {
        clip.left = Clamped16(left);
        clip.top = Clamped16(top);
        clip.right = Clamped16(right);
        clip.bottom = Clamped16(bottom);
    }
    return clip;
}

bool SameWhere(const NPWindow& a, const NPWindow& b) {
    return a.window == b.window && a.x == b.x && a.y == b.y && a.width == b.width &&
           a.height == b.height && a.clipRect.left == b.clipRect.left &&
           a.clipRect.top == b.clipRect.top && a.clipRect.right == b.clipRect.right &&
           a.clipRect.bottom == b.clipRect.bottom;
}

} // namespace

PageWindow::PageWindow(const Page& page, Listener& listener)
    : listener(listener), flow(FlowOf(page)), embeds(page.embeds.size()) {}

PageWindow::~PageWindow() {
    Destroy();
}

bool PageWindow::Create(const std::string& title, int width, int height) {
    if (!RegisterClasses(Procedure))
        return false;
    window = win::CreateWindowEx(
        0, kPageClass, title.c_str(), win::WS_OVERLAPPEDWINDOW | win::WS_CLIPCHILDREN,
        win::CW_USEDEFAULT, win::CW_USEDEFAULT, width, height, nullptr, nullptr, nullptr, this);
    if (!window)
        return false;
    for (std::size_t i = 0; i < embeds.size(); ++i) {
        embeds[i].window = win::CreateWindowEx(
            0, kEmbedClass, "", win::WS_CHILD | win::WS_VISIBLE | win::WS_CLIPSIBLINGS, 0, 0, 1, 1,
            window, reinterpret_cast<win::HMENU>(i + 1), nullptr, nullptr);
    }
    LayOutAgain();
    win::ShowWindow(window, win::SW_SHOW);
    win::UpdateWindow(window);
    return true;
}

void PageWindow::StartTicks(unsigned milliseconds) {
    if (window && !ticking)
        ticking = win::SetTimer(window, kTickTimer, milliseconds, nullptr) != 0;
}

void PageWindow::StopTicks() {
    if (window && ticking)
        win::KillTimer(window, kTickTimer);
    ticking = false;
}

void PageWindow::Destroy() {
    if (!window)
        return;
    StopTicks();
    const win::HWND going = window;
    win::DestroyWindow(going);
}

int PageWindow::RunMessageLoop() {
    win::MSG message;
    while (win::GetMessage(&message, nullptr, 0, 0) > 0) {
        win::TranslateMessage(&message);
        win::DispatchMessage(&message);
    }
    return static_cast<int>(message.wParam);
}

win::LRESULT PageWindow::Procedure(win::HWND window, win::UINT message, win::WPARAM wParam,
                                   win::LPARAM lParam) {
    if (message == win::WM_NCCREATE) {
        const auto* create = reinterpret_cast<const win::CREATESTRUCT*>(lParam);
        win::SetWindowLongPtr(window, win::GWLP_USERDATA,
                              reinterpret_cast<win::LONG_PTR>(create->lpCreateParams));
    }
    auto* page = reinterpret_cast<PageWindow*>(win::GetWindowLongPtr(window, win::GWLP_USERDATA));
    if (!page)
        return win::DefWindowProc(window, message, wParam, lParam);
    switch (message) {
    case win::WM_SIZE:
        // Also sent while the window is made, before its children are.
        if (page->window == window)
            page->LayOutAgain();
        return 0;
    case win::WM_PAINT:
        page->Paint();
        return 0;
    case win::WM_TIMER:
        if (wParam == kTickTimer)
            page->listener.Tick();
        return 0;
    case win::WM_CLOSE:
        if (page->listener.Closing())
            page->Destroy();
        return 0;
    case win::WM_DESTROY:
        page->ticking = false;
        page->window = nullptr;
        for (Child& child : page->embeds)
            child.window = nullptr;
        win::PostQuitMessage(0);
        return 0;
    default:
        return win::DefWindowProc(window, message, wParam, lParam);
    }
}

void PageWindow::LayOutAgain() {
    win::RECT client;
    if (!window || !win::GetClientRect(window, &client))
        return;
    const win::HDC dc = win::GetDC(window);
    const MeasureText measure = [dc](const char* text, int count) {
        win::SIZE size;
        return win::GetTextExtentPoint32(dc, text, count, &size) ? static_cast<int>(size.cx)
                                                                 : count * 8;
    };
    placement = LayOut(flow, client.right - client.left, kLineHeight, measure);
    win::ReleaseDC(window, dc);
    for (std::size_t i = 0; i < embeds.size() && i < placement.boxes.size(); ++i) {
        Child& child = embeds[i];
        const PlacedBox& box = placement.boxes[i];
        if (!child.window)
            continue;
        win::MoveWindow(child.window, box.x, box.y, box.width, box.height, win::TRUE);
        NPWindow where;
        where.window = child.window;
        where.x = box.x;
        where.y = box.y;
        where.width = static_cast<uint32_t>(box.width);
        where.height = static_cast<uint32_t>(box.height);
        where.clipRect = Visible(box, client);
        where.type = NPWindowTypeWindow;
        if (child.placed && SameWhere(where, child.where))
            continue;
        child.where = where;
        child.placed = true;
        listener.Placed(i, child.where);
    }
    win::InvalidateRect(window, nullptr, win::TRUE);
}

void PageWindow::Paint() {
    win::PAINTSTRUCT paint;
    const win::HDC dc = win::BeginPaint(window, &paint);
    if (!dc)
        return;
    win::SetBkMode(dc, win::TRANSPARENT);
    win::SetTextColor(dc, win::RGB(0, 0, 0));
    // Texts are in order from the top: only the lines in the update region.
    const auto first = std::lower_bound(
        placement.texts.begin(), placement.texts.end(), paint.rcPaint.top,
        [](const PlacedText& text, win::LONG top) { return text.y + kLineHeight <= top; });
    for (auto text = first; text != placement.texts.end() && text->y < paint.rcPaint.bottom; ++text)
        win::TextOut(dc, text->x, text->y, text->text.data(), static_cast<int>(text->text.size()));
    win::EndPaint(window, &paint);
}

} // namespace bxpage
