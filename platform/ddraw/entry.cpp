// The library's one export: the display code finds it by name.
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/directdraw.h"
#include "platform/display/adapter.h"

#include <new>

// The adapter has one driver, the default one (a null GUID).
extern "C" __attribute__((visibility("default"))) win::HRESULT
DirectDrawCreate(win::GUID* driver, win::IDirectDraw** directDraw, void* outer) {
    if (!directDraw)
        return win::DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer)
        return win::DDERR_INVALIDPARAMS;
    if (driver)
        return win::DDERR_INVALIDDIRECTDRAWGUID;
    if (win::DisplayAdapter::Instance().Fails(win::FailingCall::DirectDrawCreate))
        return win::DDERR_GENERIC;
    try {
        *directDraw = new win::ddraw::DirectDraw;
    } catch (const std::bad_alloc&) {
        return win::DDERR_OUTOFMEMORY;
    }
    return win::DD_OK;
}
