#include "viewer/animation.h"

#include "display/windisp.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "platform/sys/clock.h"
#include "platform/win/menus.h"
#include "stereo/stereomethods.h"
#include "view/bxview.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <thread>

const int32_t kAnimationMethods[] = {1, 21, -1};

bool CanPlayAnimations(const StereoViewMethod* method) {
    for (const int32_t* id = kAnimationMethods; method && *id != -1; ++id)
        if (method->id == *id)
            return true;
    return false;
}

namespace {

const char* ResultName(long result) {
    switch (static_cast<uint32_t>(result)) {
    case 0x80040154:
        return "classnotreg";
    case 0x80044066:
        return "badformat";
    case 0x80044067:
        return "memory";
    case 0x8004406D:
        return "fileread";
    case 0x8004406F:
        return "fileopen";
    default:
        return "other";
    }
}

// Colours of an 8-bit frame's table: the header's used count, 256 for 0.
uint32_t TableColours(const win::BITMAPINFOHEADER& header) {
    return header.biClrUsed == 0 ? 256 : std::min<uint32_t>(header.biClrUsed, 256);
}

// The header the frames are blitted with: the display's depth, and for an
// 8-bit display indices into its palette.
struct BlitHeader {
    win::BITMAPINFOHEADER header{};
    std::array<uint16_t, 256> indices{};
};

BlitHeader MakeBlitHeader(const px2Size& size, bool eightBitDisplay) {
    BlitHeader blit;
    blit.header.biSize = sizeof(win::BITMAPINFOHEADER);
    blit.header.biWidth = size.width;
    blit.header.biHeight = size.height;
    blit.header.biPlanes = 1;
    blit.header.biBitCount = eightBitDisplay ? 8 : 24;
    blit.header.biCompression = win::BI_RGB;
    blit.header.biXPelsPerMeter = 1000;
    blit.header.biYPelsPerMeter = 1000;
    if (eightBitDisplay) {
        blit.header.biClrUsed = 256;
        blit.header.biClrImportant = 256;
        for (uint16_t i = 0; i < 256; ++i)
            blit.indices[i] = i;
    }
    return blit;
}

// Where a frame goes in the display: centred on even coordinates. A frame
// larger than the display shows its centre, cut to the display.
struct Placement {
    px2Pnt position;
    px2Rect shown; // of the frame
};

Placement Place(const px2Size& frame, uint32_t displayWidth, uint32_t displayHeight) {
    const auto axis = [](int32_t length, uint32_t room, int32_t& at, int32_t& from,
                         int32_t& shown) {
        const int32_t space = static_cast<int32_t>(room);
        if (length <= space) {
            at = ((space - length) / 2) & ~1;
            from = 0;
            shown = length;
        } else {
            at = 0;
            from = ((length - space) / 2) & ~1;
            shown = space;
        }
    };
    Placement placement{};
    axis(frame.width, displayWidth, placement.position.x, placement.shown.x, placement.shown.width);
    axis(frame.height, displayHeight, placement.position.y, placement.shown.y,
         placement.shown.height);
    return placement;
}

} // namespace

AnimationState& TheAnimationState() {
    static AnimationState state;
    return state;
}

AVIFile::AVIFile() {
    win::AVIFileInit();
}

AVIFile::~AVIFile() {
    Close();
    win::AVIFileExit();
}

int AVIFile::Open(const char* path, const win::BITMAPINFOHEADER* wanted) {
    closed = false;
    result = win::AVIFileOpen(&file, path, win::OF_READ | win::OF_SHARE_DENY_NONE, nullptr);
    if (result != win::S_OK) {
        pxLog("AVIFile::Open -- Unable to open %s [%x]", path, static_cast<unsigned>(result));
        pxLog("%s", ResultName(result));
        throw pxError("Unable to open %s", path);
    }
    result = win::AVIFileGetStream(file, &stream, win::streamtypeVIDEO, 0);
    if (result != win::S_OK) {
        pxLog("AVIFile::Open -- Error opening video stream in %s [%x]", path,
              static_cast<unsigned>(result));
        throw pxError("Error opening video stream in: %s", path);
    }
    win::AVISTREAMINFO info{};
    GetStreamInfo(&info);
    if (info.fccType != win::streamtypeVIDEO) {
        pxLog("AVIFile::Open -- Non-video stream not supported [%d]",
              static_cast<int>(info.fccType));
        throw pxError("Cannot open this animation file.  First stream is not a video stream.  "
                      "Please contact the author of this file and notify them of this problem.");
    }
    const win::HIC decompressor =
        win::ICOpen(win::ICTYPE_VIDEO, info.fccHandler, win::ICMODE_DECOMPRESS);
    if (!decompressor) {
        pxLog("AVIFile::Open -- No suitable decompressor found [%d.%d]",
              static_cast<int>(info.fccType), static_cast<int>(info.fccHandler));
        throw pxError("No suitable decompressor found for this animation.  Please visit the "
                      "Norvane Technical Support web page for a list of commonly used "
                      "decompression codecs.  Additionally, you may contact the author of this "
                      "file and ask what compression codec they used.");
    }
    win::ICClose(decompressor);
    reader = win::AVIStreamGetFrameOpen(stream, wanted);
    const win::BITMAPINFOHEADER* first = GetFrameHeader(0);
    if (!first)
        throw pxError("Error opening video stream in: %s", path);
    if (first->biBitCount == 8) {
        const auto* table = reinterpret_cast<const win::RGBQUAD*>(
            reinterpret_cast<const uint8_t*>(first) + first->biSize);
        palette = std::make_unique<pxPalette>();
        const uint32_t colours = TableColours(*first);
        for (uint32_t i = 0; i < colours; ++i)
            (*palette)[static_cast<int>(i)] =
                pxColor::Rgb(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        headerSize = 40 + 4 * colours;
    }
    size = {first->biWidth, first->biHeight};
    frameImage = std::make_unique<pxImage>(size, first->biBitCount / 8, 4);
    return 0;
}

void AVIFile::GetStreamInfo(win::AVISTREAMINFO* info) const {
    *info = win::AVISTREAMINFO{};
    win::AVIStreamInfo(stream, info, sizeof *info);
}

const win::BITMAPINFOHEADER* AVIFile::GetFrameHeader(int32_t frame) {
    if (!reader)
        return nullptr;
    current = static_cast<const win::BITMAPINFOHEADER*>(win::AVIStreamGetFrame(reader, frame));
    return current;
}

const win::BITMAPINFOHEADER* AVIFile::GetFrameImage(pxImage& image, int32_t frame) {
    const win::BITMAPINFOHEADER* header = GetFrameHeader(frame);
    if (!header)
        return nullptr;
    // The pixels follow the header and, for 8-bit frames, the colour table.
    const uint32_t tableBytes = header->biBitCount == 8 ? 4 * TableColours(*header) : 0;
    auto* pixels = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(header)) + header->biSize +
                   tableBytes;
    image.Create(size, header->biBitCount / 8, 4, 1, pixels);
    return header;
}

void AVIFile::Close() {
    if (closed)
        return;
    if (reader)
        win::AVIStreamGetFrameClose(reader);
    if (stream)
        win::AVIStreamRelease(stream);
    if (file)
        win::AVIFileRelease(file);
    reader = nullptr;
    stream = nullptr;
    file = nullptr;
    current = nullptr;
    closed = true;
}

void PrepareAnimationMenu(BxView& view, bool looping) {
    view.CreateRightClickMenu(RCM_EXIT);
    if (const win::HMENU menu = view.GetRightClickMenu()) {
        win::InsertMenu(menu, 0, win::MF_BYPOSITION | win::MF_SEPARATOR, 0, nullptr);
        win::InsertMenu(menu, 0,
                        win::MF_BYPOSITION | win::MF_STRING |
                            (looping ? win::MF_CHECKED : win::MF_UNCHECKED),
                        ID_ANIM_LOOP, "Loop");
        win::InsertMenu(menu, 0, win::MF_BYPOSITION | win::MF_STRING, ID_ANIM_STOP, "Stop");
        win::InsertMenu(menu, 0, win::MF_BYPOSITION | win::MF_STRING, ID_ANIM_PLAY,
                        "Play from beginning");
        for (const uint32_t command : {ID_ANIM_PLAY, ID_ANIM_STOP, ID_ANIM_LOOP})
            view.RegisterCommandHook(command, AnimHookProc, menu);
    }
    view.SetKeyMask(0);
}

int32_t AnimHookProc(uint32_t command, win::LPARAM parameter, void* menu) {
    AnimationState& state = TheAnimationState();
    switch (command) {
    case ID_ANIM_PLAY:
        state.playing = true;
        state.restartRequested = true;
        return 1;
    case ID_ANIM_STOP:
        state.playing = false;
        return 1;
    case ID_ANIM_LOOP:
        state.looping = !state.looping;
        if (menu)
            win::CheckMenuItem(static_cast<win::HMENU>(menu), ID_ANIM_LOOP,
                               win::MF_BYCOMMAND |
                                   (state.looping ? win::MF_CHECKED : win::MF_UNCHECKED));
        return 1;
    default:
        pxLog("AnimHookProc: Got unknown message (%d, %d)", static_cast<int>(command),
              static_cast<int>(parameter));
        return 0;
    }
}

void PlayAnimation(const char* path, BxView& view, const StereoViewMethod* method, bool loop) {
    AnimationState& state = TheAnimationState();
    state.looping = loop;
    if (!CanPlayAnimations(method))
        throw pxError("Sorry.  At the moment, animation support is only available for Tessel "
                      "users");
    view.StereoOn(method);
    view.StatusBarMessage("Loading animation file...");

    AVIFile animation;
    animation.Open(path, nullptr);
    win::AVISTREAMINFO info{};
    animation.GetStreamInfo(&info);
    const auto frames = static_cast<int32_t>(info.dwLength);
    const double framesPerSecond =
        info.dwScale ? static_cast<double>(info.dwRate) / info.dwScale : 0.0;
    const auto duration =
        framesPerSecond > 0 ? static_cast<int64_t>((1000.0 * frames) / framesPerSecond) : 0;

    WinDisp* display = view.GetDisplay();
    if (!display)
        throw pxError("No display!  Can't play the animation");
    if (const pxPalette* palette = animation.GetPalette())
        display->SetPalette(*palette);
    const win::BITMAPINFOHEADER* first = animation.GetFrameHeader(0);
    if (!first)
        throw pxError("Error playing animation.  See tamber.log for details");
    const bool eightBitDisplay = display->Bpp() == 1;
    if (first->biBitCount > 8 && eightBitDisplay)
        throw pxError("Binoxa cannot play this animation file on an 8 bit (256 color) display.  "
                      "The attempted resolution was %dx%dx%d.  Please try using a resolution "
                      "with a 16, 24, or 32 bit color depth.  You can change the resolution "
                      "that Binoxa uses by selecting the \"Customize Display\" option.",
                      static_cast<int>(display->MonoWidth()),
                      static_cast<int>(display->MonoHeight()),
                      static_cast<int>(display->Bpp() * 8));

    const px2Size size = animation.GetSize();
    const BlitHeader blit = MakeBlitHeader(size, eightBitDisplay);
    const Placement placement = Place(size, display->MonoWidth(), display->MonoHeight());
    pxImage frameImage(size, first->biBitCount / 8, 4);
    pxImage outputImage(size, eightBitDisplay ? 1 : 3, 4);
    // Conversions through a palette need one, also when the file has none.
    pxPalette conversionPalette;
    pxPalette* palette = animation.GetPalette() ? animation.GetPalette() : &conversionPalette;

    int64_t start = win::timeGetTime();
    display->SetRefreshFlag(false);
    view.StatusBarMessage(" ");
    int32_t i = 0;
    bool lastFrameNoted = false;
    const auto now = [] { return static_cast<int64_t>(win::timeGetTime()); };
    while (frames > 0 && view.IsActive()) {
        animation.GetFrameImage(frameImage, i);
        pxImage* picture = nullptr;
        const int32_t frameBytes = frameImage.GetBytesPerPixel();
        const int32_t outputBytes = outputImage.GetBytesPerPixel();
        if (frameBytes == outputBytes) {
            picture = &frameImage;
        } else if ((frameBytes == 1 && outputBytes == 3) || (frameBytes == 3 && outputBytes == 1)) {
            ConvertBPP(outputImage, frameImage, *palette, outputBytes);
            picture = &outputImage;
        } else {
            pxLog("Error with iptr!");
            pxLog("fptr = %x : %dx%dx%d",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&frameImage)),
                  frameImage.GetWidth(), frameImage.GetHeight(), frameBytes);
            pxLog("iptr = %x : %dx%dx%d",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&outputImage)),
                  outputImage.GetWidth(), outputImage.GetHeight(), outputBytes);
            throw pxError("Error playing animation.  See tamber.log for details");
        }
        // Never outside the display: a larger frame shows its centre.
        const pxImage shown(*picture, placement.shown);
        view.BltImage(shown, reinterpret_cast<const win::BITMAPINFO*>(&blit.header),
                      &placement.position);

        int32_t t = i;
        while ((t == i || !state.playing) && view.IsActive()) {
            // Nothing to handle yet: a millisecond's rest rather than a
            // core spent waiting, well below a frame's time.
            if (!view.PumpMessages(nullptr))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (state.playing)
                t = duration > 0 ? static_cast<int32_t>(std::floor(static_cast<double>(frames) *
                                                                   (now() - start) / duration))
                                 : i + 1;
            else
                // The schedule does not run on while stopped.
                start = now() - (static_cast<int64_t>(i) * info.dwRate /
                                 std::max<win::DWORD>(info.dwScale, 1));
        }
        ++i;
        if (frames - i == 1)
            lastFrameNoted = true;
        if (!lastFrameNoted && view.IsActive() && i >= frames)
            i = frames - 1;
        if (view.IsActive()) {
            if (state.restartRequested) {
                state.restartRequested = false;
                i = 0;
                start = now();
            } else if (state.looping && i >= frames) {
                state.restartRequested = false;
                i = 0;
                start = now();
            }
        }
        if (i >= frames)
            break;
    }
    if (view.IsActive()) {
        display->SetRefreshFlag(true);
        view.Destroy(2);
    }
}
