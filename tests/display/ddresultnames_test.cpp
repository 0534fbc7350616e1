// The short names of DirectDraw results in the log.
#include "display/directdraw.h"
#include "support/capturedlog.h"

#include <gtest/gtest.h>

namespace {

struct NamedResult {
    win::HRESULT constant;
    unsigned value; // as DirectDraw and the system define it
    const char* name;
};

constexpr NamedResult kNamed[] = {
    {win::E_NOTIMPL, 0x80004001, "unsupported"},
    {win::E_FAIL, 0x80004005, "generic"},
    {win::E_OUTOFMEMORY, 0x8007000E, "out of mem"},
    {win::E_INVALIDARG, 0x80070057, "invalid params"},
    {win::DDERR_INCOMPATIBLEPRIMARY, 0x8876005F, "incompat primary"},
    {win::DDERR_INVALIDCAPS, 0x88760064, "invalid caps"},
    {win::DDERR_INVALIDOBJECT, 0x88760082, "invalid object"},
    {win::DDERR_INVALIDPIXELFORMAT, 0x88760091, "invalid pixel format"},
    {win::DDERR_NOALPHAHW, 0x887600B4, "no alphs hw"},
    {win::DDERR_NOCOOPERATIVELEVELSET, 0x887600D4, "no coop level set"},
    {win::DDERR_NOEXCLUSIVEMODE, 0x887600E1, "no exclusive mode"},
    {win::DDERR_NOFLIPHW, 0x887600E6, "no flip hw"},
    {win::DDERR_NOTFOUND, 0x887600FF, "not found"},
    {win::DDERR_NOOVERLAYHW, 0x88760104, "no overlay hw"},
    {win::DDERR_NOZBUFFERHW, 0x88760154, "no zbufferhw"},
    {win::DDERR_OUTOFVIDEOMEMORY, 0x8876017C, "out of vmem"},
    {win::DDERR_SURFACELOST, 0x887601C2, "surface lost"},
    {win::DDERR_WASSTILLDRAWING, 0x8876021C, "was still drawing"},
    {win::DDERR_NODIRECTDRAWHW, 0x88760233, "no dd hw"},
    {win::DDERR_PRIMARYSURFACEALREADYEXISTS, 0x88760234, "primary already exists"},
    {win::DDERR_NOEMULATION, 0x88760235, "no emulation"},
    {win::DDERR_HWNDSUBCLASSED, 0x8876023A, "hwnd subclassed"},
    {win::DDERR_HWNDALREADYSET, 0x8876023B, "hwnd already set"},
    {win::DDERR_EXCLUSIVEMODEALREADYSET, 0x88760245, "exclusive mode already set"},
    {win::DDERR_WRONGMODE, 0x8876024B, "wrong mode"},
    {win::DDERR_IMPLICITLYCREATED, 0x8876024C, "implicitly created"},
    {win::DDERR_UNSUPPORTEDMODE, 0x8876024E, "unsupported mode"},
    {win::DDERR_NOMIPMAPHW, 0x8876024F, "no mipmap hw"},
    {win::DDERR_INVALIDSURFACETYPE, 0x88760250, "invalid surface type"},
    {win::DDERR_DCALREADYCREATED, 0x8876026C, "dc already created"},
};

} // namespace

TEST(DDErrorNames, NamesEveryResultOfTheTableAndCallsEverythingElseOther) {
    for (const NamedResult& named : kNamed) {
        SCOPED_TRACE(named.name);
        EXPECT_EQ(static_cast<unsigned>(named.constant), named.value);
        EXPECT_STREQ(DDErrorName(static_cast<win::HRESULT>(named.value)), named.name);
    }
    // DirectDraw's own names for the system results.
    EXPECT_STREQ(DDErrorName(win::DDERR_UNSUPPORTED), "unsupported");
    EXPECT_STREQ(DDErrorName(win::DDERR_GENERIC), "generic");
    EXPECT_STREQ(DDErrorName(win::DDERR_OUTOFMEMORY), "out of mem");
    EXPECT_STREQ(DDErrorName(win::DDERR_INVALIDPARAMS), "invalid params");
    // Results beside the table's, and its codes without DirectDraw's facility.
    for (const win::HRESULT other :
         {win::DD_OK, win::DDERR_INVALIDMODE, win::DDERR_CANNOTDETACHSURFACE,
          win::MAKE_DDHRESULT(96), win::MAKE_DDHRESULT(619), win::MAKE_DDHRESULT(621),
          static_cast<win::HRESULT>(95), static_cast<win::HRESULT>(0x80004002)})
        EXPECT_STREQ(DDErrorName(other), "other DD err") << other;

    CapturedLog log;
    LogDDError(win::DD_OK);
    LogDDError(win::DDERR_SURFACELOST);
    EXPECT_EQ(log.Text(), "other DD err\nsurface lost\n");
}
