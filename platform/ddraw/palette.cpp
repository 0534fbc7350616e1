#include "platform/ddraw/palette.h"

#include "platform/ddraw/directdraw.h"
#include "platform/display/adapter.h"

#include <algorithm>

namespace win::ddraw {
namespace {

bool IsRange(DWORD flags, DWORD start, DWORD count, const void* entries) {
    return flags == 0 && entries && start < DirectDrawPalette::kEntries &&
           count <= DirectDrawPalette::kEntries - start;
}

} // namespace

DirectDrawPalette::DirectDrawPalette(DirectDraw* owner, const PALETTEENTRY* initial)
    : owner(owner) {
    std::copy_n(initial, kEntries, colours.begin());
}

DirectDrawPalette::~DirectDrawPalette() {
    if (owner)
        owner->Forget(this);
}

ULONG DirectDrawPalette::AddRef() {
    return ++references;
}

ULONG DirectDrawPalette::Release() {
    if (--references > 0)
        return references;
    delete this;
    return 0;
}

HRESULT DirectDrawPalette::GetEntries(DWORD flags, DWORD base, DWORD count, PALETTEENTRY* entries) {
    if (!IsRange(flags, base, count, entries))
        return DDERR_INVALIDPARAMS;
    std::copy_n(colours.begin() + base, count, entries);
    return DD_OK;
}

HRESULT DirectDrawPalette::SetEntries(DWORD flags, DWORD start, DWORD count,
                                      const PALETTEENTRY* entries) {
    if (!IsRange(flags, start, count, entries))
        return DDERR_INVALIDPARAMS;
    if (DisplayAdapter::Instance().Fails(FailingCall::SetEntries))
        return DDERR_GENERIC;
    std::copy_n(entries, count, colours.begin() + start);
    if (owner)
        owner->PalettesChanged();
    return DD_OK;
}

} // namespace win::ddraw
