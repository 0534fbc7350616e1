#include "viewer/displaycustomisation.h"

#include "platform/dialogs/messagebox.h"
#include "platform/registry/registry.h"
#include "view/modesdlg.h"

#include <utility>

bool CustomizeDisplay(win::HWND parent, const StereoViewMethod* method,
                      std::vector<ModeStruct>& excludedModes, int32_t& displayMethod,
                      ModeType& modeType, WinRegistry& registry) {
    CModesDlg dialog(parent);
    dialog.SetExcludedModes(excludedModes.data(), static_cast<int32_t>(excludedModes.size()));
    dialog.SetDisplayType(displayMethod);
    dialog.SetStereoViewMethod(method);
    dialog.SetModeType(&modeType);
    if (dialog.DoModal() != win::IDOK)
        return false;
    excludedModes = dialog.ExcludedModes();
    displayMethod = dialog.DisplayType();
    const std::pair<const char*, int32_t> written[] = {
        {"DDModeType", modeType.type},     {"DDModeWidth", modeType.width},
        {"DDModeHeight", modeType.height}, {"DDModeBpp", modeType.bpp},
        {"DisplayMethod", displayMethod},
    };
    for (const auto& [name, value] : written)
        registry.SetCommonValue(name, static_cast<uint32_t>(value), win::REG_DWORD);
    return true;
}
