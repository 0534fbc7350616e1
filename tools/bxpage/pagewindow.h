// The page's window: the text drawn in the window's font, wrapped at its
// width, and a child window for each embedded file where it stands, for the
// plug-in to draw in.
#pragma once

#include "bxpage/layout.h"
#include "bxpage/page.h"
#include "platform/npapi/npapi.h"
#include "platform/win/window.h"

#include <string>
#include <vector>

namespace bxpage {

class PageWindow {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // An embedded file's window was placed, or moved, or shows another
        // part of itself: where it is now.
        virtual void Placed(std::size_t embed, const NPWindow& where) = 0;
        virtual void Tick() = 0;
        // The user closes the window: whether it may go now (otherwise the
        // listener closes it later).
        virtual bool Closing() = 0;
    };

    PageWindow(const Page& page, Listener& listener);
    ~PageWindow();
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    // The window with its child windows, shown; false when the platform
    // gives no window.
    bool Create(const std::string& title, int width, int height);
    win::HWND Handle() const { return window; }
    win::HWND EmbedWindow(std::size_t embed) const { return embeds.at(embed).window; }
    const NPWindow& Where(std::size_t embed) const { return embeds.at(embed).where; }

    void StartTicks(unsigned milliseconds);
    void StopTicks();
    // Destroys the window, which ends the message loop.
    void Destroy();

    // Dispatches messages until the page's window is gone; the exit code.
    static int RunMessageLoop();

private:
    struct Child {
        win::HWND window = nullptr;
        NPWindow where;
        bool placed = false;
    };

    static win::LRESULT Procedure(win::HWND window, win::UINT message, win::WPARAM wParam,
                                  win::LPARAM lParam);
    void LayOutAgain();
    void Paint();

    Listener& listener;
    std::vector<FlowItem> flow;
    Placement placement;
    win::HWND window = nullptr;
    std::vector<Child> embeds;
    bool ticking = false;
};

} // namespace bxpage
