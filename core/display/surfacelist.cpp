#include "display/surfacelist.h"

#include "imaging/pxerror.h"

#include <algorithm>

namespace {

win::HRESULT Decline(win::IDirectDrawSurface* surface, win::HRESULT answer) {
    if (surface)
        surface->Release();
    return answer;
}

} // namespace

win::HRESULT EnumSurfacesCallback(win::IDirectDrawSurface* surface, win::DDSURFACEDESC*,
                                  void* context) {
    auto* list = static_cast<DDSurfaceList*>(context);
    if (!list) {
        pxLog("EnumSurfacesCallback: Canceling enumeration, no lpContext!");
        return Decline(surface, win::DDENUMRET_CANCEL);
    }
    if (list->count >= DDSurfaceList::kCapacity) {
        pxLog("EnumSurfacesCallback: Canceling enumeration, maximum surface count exceeded!");
        return Decline(surface, win::DDENUMRET_CANCEL);
    }
    win::IDirectDrawSurface** end = list->surfaces + list->count;
    if (!surface || std::find(list->surfaces, end, surface) != end)
        return Decline(surface, win::DDENUMRET_OK);
    *end = surface;
    ++list->count;
    return win::DDENUMRET_OK;
}

void ReleaseListedSurfaces(DDSurfaceList& list) {
    for (int32_t i = 0; i < list.count; ++i)
        list.surfaces[i]->Release();
    list = DDSurfaceList{};
}
