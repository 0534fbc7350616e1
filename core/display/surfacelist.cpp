#include "display/surfacelist.h"

#include "imaging/pxerror.h"

#include <algorithm>

win::HRESULT EnumSurfacesCallback(win::IDirectDrawSurface* surface, win::DDSURFACEDESC*,
                                  void* context) {
    auto* list = static_cast<DDSurfaceList*>(context);
    if (!list) {
        pxLog("EnumSurfacesCallback: Canceling enumeration, no lpContext!");
        return win::DDENUMRET_CANCEL;
    }
    if (list->count >= DDSurfaceList::kCapacity) {
        pxLog("EnumSurfacesCallback: Canceling enumeration, maximum surface count exceeded!");
        return win::DDENUMRET_CANCEL;
    }
    win::IDirectDrawSurface** end = list->surfaces + list->count;
    if (std::find(list->surfaces, end, surface) == end) {
        *end = surface;
        ++list->count;
    }
    return win::DDENUMRET_OK;
}
