// How the view answers the user and its host: the message map (keys, clicks,
// paint and palette messages, menu commands), the command hooks that see
// commands first, the right-click menu with its method and resolution
// submenus, and the message pump scripts wait in.
#include "view/bxview.h"

#include "display/excludedmodes.h"
#include "imaging/pxerror.h"
#include "platform/sys/lasterror.h"
#include "platform/win/messages.h"
#include "stereo/stereomethods.h"

#include <cstdio>

namespace {

constexpr win::UINT kTab = '\t';
constexpr win::UINT kEscape = 27;
// Items of the resolutions menu per column.
constexpr int kResolutionsPerColumn = 16;

} // namespace

win::LRESULT BxView::WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    if (message == WM_WINDISP_ALERT)
        return 1;
    return WindowObject::WindowProc(message, wParam, lParam);
}

win::BOOL BxView::OnCommand(win::WPARAM wParam, win::LPARAM lParam) {
    const auto command = static_cast<uint32_t>(wParam & 0xFFFF);
    for (const CommandHook& hook : hooks)
        if (hook.command == command) {
            if (hook.hook(command, lParam, hook.context))
                return win::TRUE;
            break;
        }
    return WindowObject::OnCommand(wParam, lParam);
}

bool BxView::OnCommandMessage(win::UINT id, win::UINT) {
    if (id >= ID_REDUCE_IMAGE && id <= ID_ORIGINAL_SIZE) {
        popupShowing = false;
        if (!active)
            return true;
        switch (id) {
        case ID_REDUCE_IMAGE:
            ReduceImage();
            break;
        case ID_ENLARGE_IMAGE:
            EnlargeImage();
            break;
        case ID_ENLARGE_IMAGE_FULL:
            EnlargeImageFull();
            break;
        default:
            OriginalSize();
            break;
        }
        return true;
    }
    if (id >= ID_STEREO_METHOD_FIRST && id <= ID_STEREO_METHOD_LAST) {
        popupShowing = false;
        if (active)
            ChangeViewMethod(static_cast<int32_t>(id - ID_STEREO_METHOD_FIRST));
        return true;
    }
    if (id >= ID_RESOLUTION_FIRST && id <= ID_RESOLUTION_LAST) {
        const auto index = static_cast<int32_t>(id - ID_RESOLUTION_FIRST);
        popupShowing = false;
        if (!active)
            return true;
        try {
            ChangeResolution(index, method ? method->surfType : DDSurfSingle);
            const int32_t shown = GetModeIndexFromDisplay();
            if (progressMessages && shown >= 0) {
                const ModeStruct& mode = modeList[static_cast<size_t>(shown)];
                char text[256];
                std::snprintf(text, sizeof text, "Updating image for %s at %dx%dx%d...",
                              MethodDisplayName(method, "Unnamed"), mode.width, mode.height,
                              mode.bpp);
                StatusBarMessage(text);
            }
            Update(true);
        } catch (const pxError& error) {
            Alert(error.GetMessage(), true);
        }
        return true;
    }
    if (id == ID_VIEW_EXIT) {
        popupShowing = false;
        InternalDestroy(1);
        return true;
    }
    return false;
}

void BxView::OnLButtonDown(win::UINT, win::POINT) {
    const bool closesPopup = popupShowing;
    popupShowing = false;
    if (!closesPopup)
        InternalDestroy(1);
    if (GetSafeHwnd())
        Default();
}

void BxView::OnRButtonDown(win::UINT, win::POINT point) {
    win::ClientToScreen(GetSafeHwnd(), &point);
    if (!win::TrackPopupMenu(rightClickMenu, win::TPM_RIGHTBUTTON | win::TPM_RIGHTALIGN, point.x,
                             point.y, 0, GetSafeHwnd(), nullptr)) {
        pxLog("TrackPopupMenu not sucessful: %d", static_cast<int>(win::GetLastError()));
        return;
    }
    popupShowing = true;
}

void BxView::OnChar(win::UINT character, win::UINT, win::UINT) {
    const auto allowed = [&](uint32_t bit) { return (keyMask & bit) != 0; };
    switch (character) {
    case '+':
    case '=':
        if (allowed(KEY_ENLARGE))
            return EnlargeImage();
        break;
    case 'F':
    case 'f':
        if (allowed(KEY_FILL_SCREEN))
            return EnlargeImageFull();
        break;
    case '-':
    case '_':
        if (allowed(KEY_REDUCE))
            return ReduceImage();
        break;
    case 'A':
    case 'a':
    case 'O':
    case 'o':
        if (allowed(KEY_ACTUAL_SIZE))
            return OriginalSize();
        break;
    case kTab:
        if (allowed(KEY_STATUS_BAR)) {
            statusBar = !statusBar;
            Refresh();
            return;
        }
        break;
    case kEscape:
        return InternalDestroy(2);
    default:
        break;
    }
    Default();
}

void BxView::OnPaint() {
    if (display)
        display->HandlePaint(GetSafeHwnd());
    else
        Default();
}

win::BOOL BxView::OnQueryNewPalette() {
    if (display)
        display->HandleQueryNewPalette();
    return static_cast<win::BOOL>(Default());
}

void BxView::OnPaletteChanged(win::HWND changer) {
    Default();
    if (display)
        display->HandlePaletteChanged(GetSafeHwnd(), changer);
}

int BxView::RegisterCommandHook(uint32_t command, BxCommandHook hook, void* context) {
    if (hooks.size() >= kMaxCommandHooks) {
        pxLog("BxView::RegisterCommandHook -- hook limit (%d) exceeded", kMaxCommandHooks);
        return 0;
    }
    if (command == 0 || !hook) {
        pxLog("BxView::RegisterCommandHook -- invalid params (%d, %x)", static_cast<int>(command),
              static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(hook)));
        return 0;
    }
    for (const CommandHook& existing : hooks)
        if (existing.command == command) {
            pxLog("BxView::RegisterCommandHook -- hook for msg %d already exists",
                  static_cast<int>(command));
            return 0;
        }
    hooks.push_back({command, hook, context});
    return 1;
}

const win::MSG* BxView::PumpMessages(const std::vector<win::UINT>* events) {
    for (;;) {
        win::MSG message;
        if (!win::PeekMessage(&message, nullptr, 0, 0, win::PM_NOREMOVE))
            return nullptr;
        if (!win::GetMessage(&message, nullptr, 0, 0)) {
            win::PostQuitMessage(0);
            pumped = message;
            pumped.message = 0;
            return &pumped;
        }
        if (events) {
            pxLog("BxView::PumpMessages -- searching for matching event messages....");
            for (const win::UINT wanted : *events) {
                pxLog("BxView::PumpMessages -- %d ?= %d", static_cast<int>(wanted),
                      static_cast<int>(message.message));
                if (wanted == message.message) {
                    pxLog("BxView::PumpMessages -- found a matching message: %d",
                          static_cast<int>(wanted));
                    pumped = message;
                    return &pumped;
                }
            }
        }
        win::TranslateMessage(&message);
        win::DispatchMessage(&message);
    }
}

win::HMENU BxView::BuildMethodMenu(int32_t checkedId) {
    const win::HMENU menu = win::CreatePopupMenu();
    bool addedSinceSeparator = false;
    for (const int32_t id : MethodMenuOrder()) {
        if (id == 0) {
            if (addedSinceSeparator)
                win::AppendMenu(menu, win::MF_SEPARATOR, ID_MENU_SEPARATOR, nullptr);
            addedSinceSeparator = false;
            continue;
        }
        const StereoViewMethod* entry = GetStereoMethodByID(id);
        if (!entry)
            continue;
        const win::UINT flags = win::MF_STRING | (id == checkedId ? win::MF_CHECKED : 0);
        win::AppendMenu(menu, flags, ID_STEREO_METHOD_FIRST + static_cast<win::UINT>(id),
                        entry->name.c_str());
        addedSinceSeparator = true;
    }
    return menu;
}

int BxView::CreateRightClickMenu(uint32_t flags) {
    if (rightClickMenu) {
        while (win::GetMenuItemCount(rightClickMenu) > 0)
            win::RemoveMenu(rightClickMenu, 0, win::MF_BYPOSITION);
        win::DestroyMenu(rightClickMenu);
    }
    // The submenus were taken off the old menu, so they go on their own.
    for (win::HMENU* submenu : {&methodsMenu, &resolutionsMenu})
        if (*submenu && win::IsMenu(*submenu))
            win::DestroyMenu(*submenu);
    methodsMenu = resolutionsMenu = nullptr;

    rightClickMenu = win::CreatePopupMenu();
    const auto item = [&](uint32_t bit, win::UINT command, const char* text) {
        if (flags & bit)
            win::AppendMenu(rightClickMenu, win::MF_STRING, command, text);
    };
    const auto separator = [&] {
        win::AppendMenu(rightClickMenu, win::MF_SEPARATOR, ID_MENU_SEPARATOR, nullptr);
    };
    item(RCM_REDUCE, ID_REDUCE_IMAGE, "Reduce Image");
    item(RCM_ENLARGE, ID_ENLARGE_IMAGE, "Enlarge Image");
    item(RCM_FILL_SCREEN, ID_ENLARGE_IMAGE_FULL, "Enlarge Image to Fullscreen");
    item(RCM_ACTUAL_SIZE, ID_ORIGINAL_SIZE, "Display Image at Actual Size");
    if (flags & (RCM_REDUCE | RCM_ENLARGE | RCM_FILL_SCREEN | RCM_ACTUAL_SIZE))
        separator();
    if (flags & RCM_STEREO_METHODS) {
        methodsMenu = BuildMethodMenu(-1);
        win::AppendMenu(rightClickMenu, win::MF_POPUP, reinterpret_cast<win::UINT_PTR>(methodsMenu),
                        "Change Stereo Method");
    }
    if (flags & RCM_RESOLUTIONS) {
        resolutionsMenu = win::CreatePopupMenu();
        win::AppendMenu(resolutionsMenu, win::MF_SEPARATOR, ID_MENU_SEPARATOR, nullptr);
        win::AppendMenu(rightClickMenu, win::MF_POPUP,
                        reinterpret_cast<win::UINT_PTR>(resolutionsMenu),
                        "Change Display Resolution");
    }
    if (flags & (RCM_STEREO_METHODS | RCM_RESOLUTIONS))
        separator();
    item(RCM_EXIT, ID_VIEW_EXIT, "Exit");
    return 1;
}

void BxView::BuildResolutionsMenu(win::HMENU menu) {
    if (!menu)
        return;
    while (win::GetMenuItemCount(menu) > 0)
        win::DeleteMenu(menu, 0, win::MF_BYPOSITION);
    for (size_t i = 0; i < modeList.size(); ++i) {
        const ModeStruct& mode = modeList[i];
        const bool newColumn = i > 0 && i % kResolutionsPerColumn == 0;
        win::AppendMenu(menu, win::MF_STRING | (newColumn ? win::MF_MENUBARBREAK : 0),
                        ID_RESOLUTION_FIRST + static_cast<win::UINT>(i),
                        ExcludedModeName(mode).c_str());
    }
    if (GetSafeHwnd())
        win::DrawMenuBar(GetSafeHwnd());
}

bool BxView::CheckCurrentModeItem() {
    const int32_t current = GetModeIndexFromDisplay();
    if (current < 0)
        return false;
    if (resolutionsMenu)
        win::CheckMenuItem(resolutionsMenu, ID_RESOLUTION_FIRST + static_cast<win::UINT>(current),
                           win::MF_BYCOMMAND | win::MF_CHECKED);
    return true;
}

void BxView::CheckMethodItem(int32_t id, bool checked) {
    if (methodsMenu && id >= 0)
        win::CheckMenuItem(methodsMenu, ID_STEREO_METHOD_FIRST + static_cast<win::UINT>(id),
                           win::MF_BYCOMMAND | (checked ? win::MF_CHECKED : win::MF_UNCHECKED));
}

void BxView::UpdateResolutionsMenu() {
    BuildModeList(true, true);
    BuildResolutionsMenu(resolutionsMenu);
    if (!CheckCurrentModeItem())
        pxLog("BxView::UpdateResolutionsMenu -- bad index");
}

void BxView::UpdateResolutionsMenu(const StereoViewMethod* current, const ModeStruct* excluded,
                                   int32_t count) {
    if (current) {
        method = current;
        methodId = current->id;
    }
    SetExcludedModes(excluded, count);
    UpdateResolutionsMenu();
}
