// AVI files and their streams over libavformat, and the decompressor probe
// over libavcodec's decoders for the file's codec codes.
#include "platform/vfw/avistate.h"

#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace win {
namespace {

int libraryUsers = 0;

// "RIFF", the size, "AVI ": anything else is not an AVI file, whatever a
// demuxer would make of it.
HRESULT CheckAviSignature(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return AVIERR_FILEOPEN;
    unsigned char signature[12] = {};
    const size_t read = std::fread(signature, 1, sizeof signature, file);
    std::fclose(file);
    if (read != sizeof signature || std::memcmp(signature, "RIFF", 4) != 0 ||
        std::memcmp(signature + 8, "AVI ", 4) != 0)
        return AVIERR_BADFORMAT;
    return S_OK;
}

// The codec code a decompressor is asked for; uncompressed frames are
// "DIB " or 0 (BI_RGB).
AVCodecID CodecForHandler(DWORD handler) {
    if (handler == 0 || handler == MakeFourCC('D', 'I', 'B', ' ') ||
        handler == MakeFourCC('R', 'G', 'B', ' ') || handler == MakeFourCC('R', 'A', 'W', ' '))
        return AV_CODEC_ID_RAWVIDEO;
    const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
    return av_codec_get_id(tables, handler);
}

} // namespace

void AVIFileInit() {
    if (libraryUsers++ == 0)
        av_log_set_level(AV_LOG_QUIET); // failures are reported by result codes
}

void AVIFileExit() {
    if (libraryUsers > 0)
        --libraryUsers;
}

HRESULT AVIFileOpen(PAVIFILE* file, const char* path, UINT, void* handler) {
    if (!file)
        return E_INVALIDARG;
    *file = nullptr;
    if (!path || handler)
        return AVIERR_UNSUPPORTED;
    if (const HRESULT signature = CheckAviSignature(path); FAILED(signature))
        return signature;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path, av_find_input_format("avi"), nullptr) < 0)
        return AVIERR_FILEREAD;
    auto* opened = new (std::nothrow) AviFileTag;
    if (!opened) {
        avformat_close_input(&format);
        return AVIERR_MEMORY;
    }
    opened->path = path;
    opened->format = format;
    *file = opened;
    return S_OK;
}

ULONG AVIFileRelease(PAVIFILE file) {
    if (!file || --file->references > 0)
        return file ? static_cast<ULONG>(file->references) : 0;
    avformat_close_input(&file->format);
    delete file;
    return 0;
}

HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index) {
    if (!stream)
        return E_INVALIDARG;
    *stream = nullptr;
    if (!file || type != streamtypeVIDEO || index < 0)
        return AVIERR_NODATA;
    LONG seen = 0;
    for (unsigned i = 0; i < file->format->nb_streams; ++i) {
        if (file->format->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        if (seen++ != index)
            continue;
        ++file->references; // the stream keeps its file open
        *stream = new AviStreamTag{file, static_cast<int>(i)};
        return S_OK;
    }
    return AVIERR_NODATA;
}

HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, LONG size) {
    if (!stream || !info || size < static_cast<LONG>(sizeof(AVISTREAMINFO)))
        return E_INVALIDARG;
    const AVStream* video = stream->Video();
    *info = AVISTREAMINFO{};
    info->fccType = streamtypeVIDEO;
    info->fccHandler = video->codecpar->codec_tag;
    // The demuxer's time base is the stream header's scale / rate.
    info->dwScale = static_cast<DWORD>(video->time_base.num);
    info->dwRate = static_cast<DWORD>(video->time_base.den);
    info->dwLength = static_cast<DWORD>(video->nb_frames > 0  ? video->nb_frames
                                        : video->duration > 0 ? video->duration
                                                              : 0);
    info->rcFrame = {0, 0, video->codecpar->width, video->codecpar->height};
    return S_OK;
}

ULONG AVIStreamRelease(PAVISTREAM stream) {
    if (!stream)
        return 0;
    AVIFileRelease(stream->file);
    delete stream;
    return 0;
}

HIC ICOpen(DWORD type, DWORD handler, UINT mode) {
    if (type != ICTYPE_VIDEO || mode != ICMODE_DECOMPRESS)
        return nullptr;
    const AVCodec* decoder = avcodec_find_decoder(CodecForHandler(handler));
    return decoder ? new DecompressorTag{decoder} : nullptr;
}

LRESULT ICClose(HIC decompressor) {
    delete decompressor;
    return 0;
}

} // namespace win
