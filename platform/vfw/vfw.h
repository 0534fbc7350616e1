// The video service: AVI files, their first video stream, its information
// and a frame reader that hands out decoded frames as packed
// device-independent bitmaps (header, colour table, bottom-up pixels) by
// frame index, with the decompressor probe. Decoding is FFmpeg's.
//
// Palette codecs give 8-bit frames with their colour table, 16- and 32-bit
// uncompressed sources keep their depth, everything else comes out 24-bit.
#pragma once

#include "platform/gdi/dib.h"
#include "platform/win/wintypes.h"

namespace win {

using PAVIFILE = struct AviFileTag*;
using PAVISTREAM = struct AviStreamTag*;
using PGETFRAME = struct GetFrameTag*;
using HIC = struct DecompressorTag*;

constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD streamtypeVIDEO = MakeFourCC('v', 'i', 'd', 's');
constexpr DWORD ICTYPE_VIDEO = MakeFourCC('v', 'i', 'd', 'c');
constexpr UINT ICMODE_DECOMPRESS = 2;
constexpr UINT OF_READ = 0x0000;
constexpr UINT OF_SHARE_DENY_NONE = 0x0040;

constexpr HRESULT AVIERR_UNSUPPORTED = static_cast<HRESULT>(0x80044065);
constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066);
constexpr HRESULT AVIERR_MEMORY = static_cast<HRESULT>(0x80044067);
constexpr HRESULT AVIERR_FILEREAD = static_cast<HRESULT>(0x8004406D);
constexpr HRESULT AVIERR_NODATA = static_cast<HRESULT>(0x8004406E);
constexpr HRESULT AVIERR_FILEOPEN = static_cast<HRESULT>(0x8004406F);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

// The stream information record, 140 bytes.
struct AVISTREAMINFO {
    DWORD fccType; // streamtypeVIDEO for video
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale; // rate / scale is the frame rate
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength; // in frames
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    char szName[64];
};
static_assert(sizeof(AVISTREAMINFO) == 140);

// The library is counted: each AVIFileInit is matched by an AVIFileExit.
void AVIFileInit();
void AVIFileExit();

// Opens an AVI file for reading (the mode's share flags are accepted and
// mean nothing here; the handler must be null). AVIERR_FILEOPEN when the
// file cannot be opened, AVIERR_BADFORMAT when it is not an AVI file,
// AVIERR_FILEREAD when its data cannot be read.
HRESULT AVIFileOpen(PAVIFILE* file, const char* path, UINT mode, void* handler);
ULONG AVIFileRelease(PAVIFILE file);

// The index-th stream of the type; AVIERR_NODATA when there is none.
HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index);
HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, LONG size);
ULONG AVIStreamRelease(PAVISTREAM stream);

// A decompressor for the handler code, or null when none decodes it.
HIC ICOpen(DWORD type, DWORD handler, UINT mode);
LRESULT ICClose(HIC decompressor);

// A frame reader on the stream; wanted is null (the decoder's own depth as
// above) or asks for 24 bits. Null when the stream cannot be decoded.
PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);
// Frame position (0-based) as a packed bitmap that stays valid until the
// next call on the reader; null past the end or when decoding fails.
void* AVIStreamGetFrame(PGETFRAME reader, LONG position);
HRESULT AVIStreamGetFrameClose(PGETFRAME reader);

} // namespace win
