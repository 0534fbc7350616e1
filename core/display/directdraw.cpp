#include "display/directdraw.h"

#include "imaging/pxerror.h"
#include "platform/sys/libraries.h"

win::IDirectDraw* CreateDirectDraw(win::HMODULE* library) {
    *library = nullptr;
    const win::HMODULE loaded = win::LoadLibraryEx("ddraw.dll", nullptr, 0);
    if (!loaded) {
        pxLog("CreateDirectDraw -- Couldn't load 'ddraw.dll'");
        return nullptr;
    }
    const auto create = reinterpret_cast<win::DirectDrawCreateFunction>(
        win::GetProcAddress(loaded, "DirectDrawCreate"));
    if (!create) {
        pxLog("CreateDirectDraw -- Couldn't load function: DirectDrawCreate from ddraw.dll");
        win::FreeLibrary(loaded);
        return nullptr;
    }
    win::IDirectDraw* directDraw = nullptr;
    const win::HRESULT result = create(nullptr, &directDraw, nullptr);
    if (win::FAILED(result) || !directDraw) {
        pxLog("CreateDirectDraw -- ERROR on DirectDrawCreate %d", static_cast<int>(result));
        LogDDError(result);
        win::FreeLibrary(loaded);
        return nullptr;
    }
    *library = loaded;
    return directDraw;
}

void ReleaseDirectDraw(win::IDirectDraw* directDraw, win::HMODULE library) {
    if (directDraw)
        directDraw->Release();
    if (library)
        win::FreeLibrary(library);
}
