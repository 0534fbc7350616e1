#include "viewer/showfile.h"

#include "imagefile/readimage.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"
#include "view/editview.h"
#include "viewer/animation.h"
#include "viewer/preferences.h"
#include "viewer/presentation.h"

#include <string>

namespace {

constexpr uint32_t kEveryMenuItem = RCM_EXIT | RCM_STEREO_METHODS | RCM_RESOLUTIONS | RCM_REDUCE |
                                    RCM_ENLARGE | RCM_FILL_SCREEN | RCM_ACTUAL_SIZE;
// The alignment view's keys too, for the alignment view.
constexpr uint32_t kEveryViewKey = KEY_ALL_EDIT_KEYS;

} // namespace

void ReadAndDisplayFile(const char* fileName, BxView& view) {
    switch (CheckFileType(fileName)) {
    case FILETYPE_AVI: {
        const ViewerSettings& settings = TheViewerSettings();
        PrepareAnimationMenu(view, settings.loopAnimation != 0);
        PlayAnimation(fileName, view, settings.stereoView, settings.loopAnimation != 0);
        break;
    }
    case FILETYPE_PXR:
        ShowPresentationFile(fileName, view);
        break;
    default:
        view.CreateRightClickMenu(kEveryMenuItem);
        view.SetKeyMask(kEveryViewKey);
        ShowImageFile(fileName, view);
    }
}

void ShowImageFile(const char* fileName, BxView& view) {
    pxImage image;
    pxPalette palette;
    ReadImageData data;
    data.fileName = fileName;
    data.image = &image;
    data.palette = &palette;
    data.firstCall = 1;

    const StereoViewMethod* method = TheViewerSettings().stereoView;
    view.StatusBarMessage("Reading Image...");
    int complete = ReadImage(&data);
    const std::string converting = std::string("Converting and Displaying for ") +
                                   MethodDisplayName(method, "Unnamed") + "...";
    view.StatusBarMessage(converting.c_str());
    view.ShowImage(image, &palette, data.layout, method ? method->id : 0);
    while (!complete) {
        view.StatusBarMessage("Reading Image...");
        complete = ReadImage(&data);
        view.StatusBarMessage("Converting and Displaying...");
        view.Update(true);
    }
}
