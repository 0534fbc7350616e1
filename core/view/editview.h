// The alignment view: a full-screen view in which the user slides the left
// and right eye pictures against each other with the arrow keys, to move the
// point of zero parallax. Both eyes lie in one plane; only their overlap,
// cut out of each eye, is shown.
#pragma once

#include "view/bxview.h"

#include "imaging/geometry.h"
#include "platform/win/wintypes.h"
#include "stereo/cpair.h"

#include <memory>

// Key mask bits of the alignment view, besides the view's own.
enum EditViewKeys : uint32_t {
    KEY_MOVE_SIDEWAYS = 0x10000, // Left and Right arrows
    KEY_MOVE_UP_DOWN = 0x20000,  // Up and Down arrows
    KEY_RESET = 0x40000,         // "X"
    KEY_SELECT_EYE = 0x80000,    // "L" and "R"
    KEY_ALL_EDIT_KEYS = KEY_ALL_VIEW_KEYS | 0xF0000,
};

class EditView : public BxView {
public:
    EditView();
    ~EditView() override;

    // Splits the picture into its eyes once, and shows both whole.
    int ShowImage(const pxImage& stereoImage, const pxPalette* palette, uint32_t layout,
                  int32_t methodId) override;
    // Shows the overlap of two eye pictures placed in the common plane.
    int ShowImage(const pxImage& left, const win::RECT& leftPlacement, const pxImage& right,
                  const win::RECT& rightPlacement, const pxPalette* palette, int32_t methodId);
    using BxView::ShowImage;
    // Takes the eyes from the picture again first (a changed picture shows).
    int Update(bool clear) override;

    const win::RECT& Placement(int eye) const { return eye == 0 ? leftPlacement : rightPlacement; }
    const px2Rect& Cut(int eye) const { return eye == 0 ? leftCut : rightCut; }
    int SelectedEye() const { return selectedEye; }

protected:
    void OnChar(win::UINT character, win::UINT repeatCount, win::UINT flags) override;
    void OnKeyDown(win::UINT key, win::UINT repeatCount, win::UINT flags) override;
    void OnKeyUp(win::UINT key, win::UINT repeatCount, win::UINT flags) override;

private:
    void ExtractEyes();
    void CutOverlap();
    void MoveSelectedEye(int dx, int dy);
    void ShowCuts();

    int selectedEye = 0;
    bool fastStep = false;
    win::RECT leftPlacement{};
    win::RECT rightPlacement{};
    px2Rect leftCut;
    px2Rect rightCut;
    pxImage leftEye;
    pxImage rightEye;
    pxImage source;
    std::unique_ptr<pxCPair> pair;
};
