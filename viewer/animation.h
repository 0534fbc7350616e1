// Stereo animations: AVI files whose frames are stereo pictures, played in a
// full-screen view that the caller created, at the stream's frame rate and
// centred, under the view's right-click menu ("Play from beginning", "Stop",
// "Loop"). Only the shutter-glasses methods play animations.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pximage.h"
#include "platform/vfw/vfw.h"

#include <cstdint>
#include <memory>

class BxView;
struct StereoViewMethod;

// The right-click menu's animation commands.
constexpr uint32_t ID_ANIM_PLAY = 10024;
constexpr uint32_t ID_ANIM_STOP = 10025;
constexpr uint32_t ID_ANIM_LOOP = 10124;

// One AVI file being played: its first video stream decoded frame by frame.
class AVIFile {
public:
    AVIFile();
    ~AVIFile();
    AVIFile(const AVIFile&) = delete;
    AVIFile& operator=(const AVIFile&) = delete;

    // Opens the file and prepares decoding (wanted: null for the decoder's
    // own format). Throws pxError.
    int Open(const char* path, const win::BITMAPINFOHEADER* wanted);
    void GetStreamInfo(win::AVISTREAMINFO* info) const;
    // The frames' colour table, for 8-bit frames only.
    pxPalette* GetPalette() const { return palette.get(); }
    // Frame i's bitmap header (its pixels follow it), or null.
    const win::BITMAPINFOHEADER* GetFrameHeader(int32_t frame);
    // Points image at frame i's pixels (borrowed, not copied); its header, or null.
    const win::BITMAPINFOHEADER* GetFrameImage(pxImage& image, int32_t frame);
    void Close();
    px2Size GetSize() const { return size; }

private:
    long result = 0;
    win::PAVIFILE file = nullptr;
    win::PAVISTREAM stream = nullptr;
    win::PGETFRAME reader = nullptr;
    const win::BITMAPINFOHEADER* current = nullptr;
    std::unique_ptr<pxImage> frameImage;
    std::unique_ptr<pxPalette> palette;
    bool closed = true;
    uint32_t headerSize = 0;
    px2Size size{0, 0};
};

// The view's menu for an animation: its "Exit" item under "Play from
// beginning", "Stop" and "Loop" (checked when looping), with their hooks; no
// keyboard command of the view applies.
void PrepareAnimationMenu(BxView& view, bool looping);

// The hook of the three commands; menu is the view's right-click menu.
int32_t AnimHookProc(uint32_t command, win::LPARAM parameter, void* menu);

// The methods animations play with, the shutter glasses' (Tessel Classic
// and Tessel Web (OSPI)), ending with -1.
extern const int32_t kAnimationMethods[];
bool CanPlayAnimations(const StereoViewMethod* method);

// Plays the file in the view until it ends (the view is then destroyed with
// 2, unless looping) or the view is closed. Throws pxError.
void PlayAnimation(const char* path, BxView& view, const StereoViewMethod* method, bool loop);

// The process-wide playback state, as the menu commands leave it.
struct AnimationState {
    bool looping = true;
    bool playing = true;
    bool restartRequested = false;
};
AnimationState& TheAnimationState();
