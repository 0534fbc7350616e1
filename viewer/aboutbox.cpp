#include "viewer/aboutbox.h"

#include "platform/dialogs/messagebox.h"
#include "platform/gdi/bitmaps.h"
#include "platform/sys/clock.h"
#include "platform/sys/directories.h"
#include "platform/sys/libraries.h"
#include "platform/sys/versioninfo.h"
#include "platform/win/bitmapresources.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

using namespace win;

namespace {

// A step of the roll every 44 ms at most.
constexpr DWORD kStepMilliseconds = 44;

constexpr WORD kPictureBitmap = 133;
constexpr WORD kCreditsBitmap = 152;

// The version strings of one file, read once.
class VersionStrings {
public:
    explicit VersionStrings(const std::string& fileName) {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSize(fileName.c_str(), &handle);
        if (size == 0)
            return;
        block.resize(size);
        if (!GetFileVersionInfo(fileName.c_str(), handle, size, block.data()))
            block.clear();
    }

    bool Present() const { return !block.empty(); }

    std::optional<std::string> Query(const std::string& languageBlock, const char* name) const {
        if (block.empty())
            return std::nullopt;
        const std::string subBlock = "\\StringFileInfo\\" + languageBlock + "\\" + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValue(block.data(), subBlock.c_str(), &value, &length) || !value)
            return std::nullopt;
        return std::string(static_cast<const char*>(value));
    }

private:
    std::vector<char> block;
};

std::string ModuleFile(HINSTANCE module) {
    char name[4096];
    const DWORD length = GetModuleFileName(module, name, sizeof name);
    return length > 0 && length < sizeof name ? std::string(name, length) : std::string();
}

} // namespace

CAboutBox::CAboutBox(DialogTemplate dialogTemplate, const AboutBoxControls& controls, HWND parent,
                     HINSTANCE module)
    : DialogHandler(std::move(dialogTemplate), parent, module), controls(controls), module(module) {
}

CAboutBox::~CAboutBox() {
    if (credits)
        DeleteObject(credits);
}

void CAboutBox::SetLanguageBlock(const std::string& block) {
    languageBlock = block == "040904E4" ? block : "040904B0";
}

BOOL CAboutBox::OnInitDialog() {
    ShowVersionInformation();
    char build[256];
    std::snprintf(build, sizeof build, "Built on %s at %s", __DATE__, __TIME__);
    SetDlgItemText(Handle(), controls.build, build);
    LoadCredits();
    if (showCoreVersion)
        ShowCoreVersion();
    return TRUE;
}

void CAboutBox::ShowVersionInformation() {
    const VersionStrings strings(ModuleFile(module));
    if (!strings.Present())
        return;
    if (const auto name = strings.Query(languageBlock, "ProductName"))
        SetDlgItemText(Handle(), controls.name, name->c_str());
    if (const auto copyright = strings.Query(languageBlock, "LegalCopyright"))
        SetDlgItemText(Handle(), controls.copyright, copyright->c_str());
    if (const auto version = strings.Query(languageBlock, "FileVersion")) {
        char text[256];
        std::snprintf(text, sizeof text, "Version %s", version->c_str());
        SetDlgItemText(Handle(), controls.version, text);
    }
}

void CAboutBox::LoadCredits() {
    credits = LoadBitmap(module, MAKEINTRESOURCE(controls.creditsBitmap));
    BITMAP size{};
    if (!credits || !GetObject(credits, sizeof size, &size)) {
        MessageBox(Handle(), "error loading bitmap", nullptr, MB_OK);
        return;
    }
    creditsWidth = size.bmWidth;
    creditsHeight = size.bmHeight;
}

void CAboutBox::ShowCoreVersion() {
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectory(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory)
        return;
    const VersionStrings strings(std::string(directory) + "\\bxcore.dll");
    if (const auto version = strings.Query(languageBlock, "FileVersion")) {
        char text[256];
        std::snprintf(text, sizeof text, "Binoxa Core Version %s", version->c_str());
        SetDlgItemText(Handle(), controls.core, text);
    }
}

bool CAboutBox::OnCommand(int id, WORD code, HWND) {
    if (id == controls.credits && code == BN_CLICKED) {
        RollCredits();
        return true;
    }
    if (controls.endsWithOwnId != 0 && id == controls.endsWithOwnId) {
        EndDialog(id);
        return true;
    }
    return false;
}

void CAboutBox::OnCreditsStep(int) {}

void CAboutBox::OnIdle() {}

void CAboutBox::RollCredits() {
    if (rolling || !credits)
        return;
    const HWND picture = Item(controls.picture);
    if (!picture)
        return;
    rolling = true;
    // The picture's rectangle inside its frame. Every window keeps its own
    // pixels here, so the roll draws on the picture's context, in its
    // coordinates, at the same place on the screen.
    RECT area;
    GetWindowRect(picture, &area);
    POINT topLeft{area.left + 1, area.top + 1};
    POINT bottomRight{area.right - 1, area.bottom - 1};
    ScreenToClient(picture, &topLeft);
    ScreenToClient(picture, &bottomRight);
    area = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    // A pending repaint first, so that the snapshot is what the user sees.
    UpdateWindow(picture);
    const HDC dc = GetDC(picture);
    const HDC creditsDC = CreateCompatibleDC(dc);
    const HGDIOBJ creditsBefore = SelectObject(creditsDC, credits);
    const HDC snapshotDC = CreateCompatibleDC(dc);
    const HBITMAP snapshot =
        CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1);
    const HGDIOBJ snapshotBefore = SelectObject(snapshotDC, snapshot);
    BitBlt(snapshotDC, 0, 0, width, height, dc, area.left, area.top, SRCCOPY);

    const int steps = width > 0 && height > 0 ? creditsHeight + height : 0;
    DWORD previousStep = timeGetTime();
    for (int step = 0; step < steps; ++step) {
        ScrollDC(dc, 0, -1, &area, &area, nullptr, nullptr);
        if (step < creditsHeight)
            BitBlt(dc, area.left, area.bottom - 1, width, 1, creditsDC, 0, step, SRCCOPY);
        else
            BitBlt(dc, area.left, area.bottom - 1, width, 1, snapshotDC, 0, step - creditsHeight,
                   SRCCOPY);
        OnCreditsStep(step);
        if (step + 1 < steps && !WaitForNextStep(previousStep))
            break;
    }

    SelectObject(snapshotDC, snapshotBefore);
    DeleteObject(snapshot);
    DeleteDC(snapshotDC);
    SelectObject(creditsDC, creditsBefore);
    DeleteDC(creditsDC);
    // Gone already when the dialog was destroyed meanwhile.
    if (IsWindow(picture))
        ReleaseDC(picture, dc);
    rolling = false;
}

bool CAboutBox::WaitForNextStep(DWORD& previousStep) {
    for (;;) {
        MSG message;
        bool handled = false;
        while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
            handled = true;
            if (message.message == WM_DESTROY) {
                PostMessage(Handle(), WM_DESTROY, message.wParam, message.lParam);
                return false;
            }
            if (message.message == WM_QUIT) {
                // For the loop that runs the dialog.
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            TranslateMessage(&message);
            DispatchMessage(&message);
            if (!IsWindow(Handle()) || !IsWindowVisible(Handle()))
                return false;
        }
        OnIdle();
        if (!IsWindow(Handle()) || !IsWindowVisible(Handle()))
            return false;
        const DWORD now = timeGetTime();
        if (now - previousStep > kStepMilliseconds) {
            previousStep = now;
            return true;
        }
        if (!handled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Dialog 100 of the viewer.
DialogTemplate ViewerAboutTemplate() {
    DialogTemplate dialog;
    dialog.caption = "About Binoxa Viewer";
    dialog.x = 40;
    dialog.y = 40;
    dialog.cx = 340;
    dialog.cy = 176;
    dialog.items = {
        {"STATIC", "#" + std::to_string(kPictureBitmap), WS_VISIBLE | SS_BITMAP, 12, 12, 100, 120,
         1018},
        {"STATIC", "program name", WS_VISIBLE | SS_LEFT, 126, 14, 200, 16, 1020},
        {"STATIC", "version", WS_VISIBLE | SS_LEFT, 126, 34, 200, 16, 1019},
        {"STATIC", "program copyright", WS_VISIBLE | SS_LEFT, 126, 54, 200, 16, 1021},
        {"STATIC", "binoxa core info", WS_VISIBLE | SS_LEFT, 126, 74, 200, 16, 1028},
        {"STATIC", "build info", SS_LEFT, 126, 94, 200, 16, 1017},
        {"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 254, 140, 72, 24, IDOK},
        {"BUTTON", "Credits", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, 140, 72, 24, 1026},
        {"BUTTON", "dummy", BS_PUSHBUTTON, 126, 140, 72, 24, 1027},
    };
    return dialog;
}

AboutBoxControls ViewerAboutControls() {
    AboutBoxControls controls;
    controls.name = 1020;
    controls.version = 1019;
    controls.copyright = 1021;
    controls.build = 1017;
    controls.core = 1028;
    controls.picture = 1018;
    controls.credits = 1026;
    controls.endsWithOwnId = 1027;
    controls.creditsBitmap = kCreditsBitmap;
    return controls;
}

CAboutDlg::CAboutDlg(HWND parent)
    : CAboutBox(ViewerAboutTemplate(), ViewerAboutControls(), parent, nullptr) {}
