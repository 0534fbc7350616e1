#include "display/directdraw.h"

#include "imaging/pxerror.h"

#include <array>
#include <utility>

namespace {

using win::MAKE_DDHRESULT;

constexpr std::array<std::pair<win::HRESULT, const char*>, 30> kNames = {{
    {win::E_NOTIMPL, "unsupported"},
    {win::E_FAIL, "generic"},
    {win::E_OUTOFMEMORY, "out of mem"},
    {win::E_INVALIDARG, "invalid params"},
    {MAKE_DDHRESULT(95), "incompat primary"},
    {MAKE_DDHRESULT(100), "invalid caps"},
    {MAKE_DDHRESULT(130), "invalid object"},
    {MAKE_DDHRESULT(145), "invalid pixel format"},
    {MAKE_DDHRESULT(180), "no alphs hw"},
    {MAKE_DDHRESULT(212), "no coop level set"},
    {MAKE_DDHRESULT(225), "no exclusive mode"},
    {MAKE_DDHRESULT(230), "no flip hw"},
    {MAKE_DDHRESULT(255), "not found"},
    {MAKE_DDHRESULT(260), "no overlay hw"},
    {MAKE_DDHRESULT(340), "no zbufferhw"},
    {MAKE_DDHRESULT(380), "out of vmem"},
    {MAKE_DDHRESULT(450), "surface lost"},
    {MAKE_DDHRESULT(540), "was still drawing"},
    {MAKE_DDHRESULT(563), "no dd hw"},
    {MAKE_DDHRESULT(564), "primary already exists"},
    {MAKE_DDHRESULT(565), "no emulation"},
    {MAKE_DDHRESULT(570), "hwnd subclassed"},
    {MAKE_DDHRESULT(571), "hwnd already set"},
    {MAKE_DDHRESULT(581), "exclusive mode already set"},
    {MAKE_DDHRESULT(587), "wrong mode"},
    {MAKE_DDHRESULT(588), "implicitly created"},
    {MAKE_DDHRESULT(590), "unsupported mode"},
    {MAKE_DDHRESULT(591), "no mipmap hw"},
    {MAKE_DDHRESULT(592), "invalid surface type"},
    {MAKE_DDHRESULT(620), "dc already created"},
}};

} // namespace

const char* DDErrorName(win::HRESULT result) {
    for (const auto& [code, name] : kNames)
        if (code == result)
            return name;
    return "other DD err";
}

void LogDDError(win::HRESULT result) {
    pxLog("%s", DDErrorName(result));
}
