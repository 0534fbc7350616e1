#include "view/editview.h"

#include "platform/dialogs/messagebox.h"
#include "platform/win/input.h"

namespace {

constexpr int kStep = 1;
constexpr int kFastStep = 10;

win::RECT WholeOf(const pxImage& eye) {
    return {0, 0, eye.GetWidth(), eye.GetHeight()};
}

} // namespace

EditView::EditView() {
    SetKeyMask(KEY_ALL_EDIT_KEYS);
}

EditView::~EditView() = default;

int EditView::ShowImage(const pxImage& stereoImage, const pxPalette* palette, uint32_t layout,
                        int32_t methodId) {
    pair = std::make_unique<pxCPair>(layout, stereoImage, palette);
    const px2Size eye = pair->CalcConvertSize(OUTPUT_ONE_EYE);
    // New buffers: the eyes may still share the pixels of pictures a caller
    // showed before, which Create would resize in place.
    leftEye = pxImage(eye, stereoImage.GetBytesPerPixel(), 4);
    rightEye = pxImage(eye, stereoImage.GetBytesPerPixel(), 4);
    source = stereoImage;
    ExtractEyes();
    return ShowImage(leftEye, WholeOf(leftEye), rightEye, WholeOf(rightEye), palette, methodId);
}

int EditView::ShowImage(const pxImage& left, const win::RECT& leftPlace, const pxImage& right,
                        const win::RECT& rightPlace, const pxPalette* palette, int32_t methodId) {
    if (&left != &leftEye) { // eye pictures of the caller's, not split here
        pair.reset();
        leftEye = left;
        rightEye = right;
    }
    leftPlacement = leftPlace;
    rightPlacement = rightPlace;
    CutOverlap();
    return BxView::ShowImage(&left, &leftCut, &right, &rightCut, palette, methodId);
}

int EditView::Update(bool clear) {
    if (pair)
        ExtractEyes();
    return BxView::Update(clear);
}

// Each eye is the one-eye picture of the pair, the right one with the eyes swapped.
void EditView::ExtractEyes() {
    pair->CopyConvert(leftEye, {0, 0}, OUTPUT_ONE_EYE, 0);
    pair->CopyConvert(rightEye, {0, 0}, OUTPUT_ONE_EYE, 1);
}

void EditView::CutOverlap() {
    win::RECT left{};
    win::RECT right{};
    CalcIntersectRect(leftPlacement, rightPlacement, left, right);
    leftCut = ctopx(left);
    rightCut = ctopx(right);
}

void EditView::ShowCuts() {
    Settings().leftRect = leftCut;
    Settings().rightRect = rightCut;
    Update(true);
}

void EditView::MoveSelectedEye(int dx, int dy) {
    win::RECT& placement = selectedEye == 0 ? leftPlacement : rightPlacement;
    const int step = fastStep ? kFastStep : kStep;
    placement.left += dx * step;
    placement.right += dx * step;
    placement.top += dy * step;
    placement.bottom += dy * step;
    CutOverlap();
    ShowCuts();
}

void EditView::OnKeyDown(win::UINT key, win::UINT repeatCount, win::UINT flags) {
    const bool sideways = (GetKeyMask() & KEY_MOVE_SIDEWAYS) != 0;
    const bool upDown = (GetKeyMask() & KEY_MOVE_UP_DOWN) != 0;
    switch (key) {
    case win::VK_SHIFT:
        fastStep = true;
        return;
    case win::VK_LEFT:
        if (sideways)
            return MoveSelectedEye(-1, 0);
        break;
    case win::VK_RIGHT:
        if (sideways)
            return MoveSelectedEye(1, 0);
        break;
    case win::VK_UP:
        if (upDown)
            return MoveSelectedEye(0, -1);
        break;
    case win::VK_DOWN:
        if (upDown)
            return MoveSelectedEye(0, 1);
        break;
    default:
        break;
    }
    BxView::OnKeyDown(key, repeatCount, flags);
}

void EditView::OnKeyUp(win::UINT key, win::UINT repeatCount, win::UINT flags) {
    if (key == win::VK_SHIFT) {
        fastStep = false;
        return;
    }
    BxView::OnKeyUp(key, repeatCount, flags);
}

void EditView::OnChar(win::UINT character, win::UINT repeatCount, win::UINT flags) {
    if (IsActive()) {
        const bool selects = (GetKeyMask() & KEY_SELECT_EYE) != 0;
        switch (character) {
        case 'L':
        case 'l':
            if (!selects)
                break;
            selectedEye = 0;
            win::MessageBox(GetSafeHwnd(), "selected left image", "Binoxa Viewer", win::MB_OK);
            return;
        case 'R':
        case 'r':
            if (!selects)
                break;
            selectedEye = 1;
            win::MessageBox(GetSafeHwnd(), "selected right image", "Binoxa Viewer", win::MB_OK);
            return;
        case 'X':
        case 'x':
            if (!(GetKeyMask() & KEY_RESET))
                break;
            leftCut = ctopx(WholeOf(leftEye));
            rightCut = ctopx(WholeOf(rightEye));
            ShowCuts();
            return;
        default:
            break;
        }
    }
    BxView::OnChar(character, repeatCount, flags);
}
