// The frame reader: decodes a video stream with libavcodec and hands out each
// frame as a packed device-independent bitmap. Frames asked for in order are
// decoded once each; any other frame is reached from the key frame before it.
#include "platform/vfw/avistate.h"

#include <cstring>
#include <new>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

struct win::GetFrameTag {
    AviStreamTag* stream = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    bool only24 = false;
    std::vector<BYTE> bitmap; // header, colour table, bottom-up rows
    int64_t shown = -1;       // the frame the bitmap holds
    int64_t nextPts = 0;      // for frames without timestamps
    bool flushed = false;     // the demuxer ran out and the decoder was drained

    ~GetFrameTag() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
    }
};

namespace win {
namespace {

constexpr int kHeaderSize = sizeof(BITMAPINFOHEADER);
// Larger frames are refused before their bitmap is allocated.
constexpr int kLargestSide = 8192;
constexpr int kPaletteSize = 256 * sizeof(RGBQUAD);
// libswscale's vector code stores whole blocks of pixels and may write past
// a row's end; the last row in memory gets room for that.
constexpr size_t kScalerSlack = 64;

// Palette codecs keep their indices; uncompressed 16- and 32-bit sources
// keep their depth; everything else is 24-bit.
int OutputBits(const GetFrameTag& reader, AVPixelFormat source) {
    if (reader.only24)
        return 24;
    if (source == AV_PIX_FMT_PAL8)
        return 8;
    if (reader.decoder->codec_id == AV_CODEC_ID_RAWVIDEO) {
        const int bits = av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(source));
        if (bits == 15 || bits == 16)
            return 16;
        if (bits == 32)
            return 32;
    }
    return 24;
}

AVPixelFormat OutputFormat(int bits) {
    switch (bits) {
    case 16:
        return AV_PIX_FMT_RGB555LE; // the 5-5-5 of a 16-bit bitmap
    case 32:
        return AV_PIX_FMT_BGR0;
    default:
        return AV_PIX_FMT_BGR24;
    }
}

// Packs the decoded frame into the reader's bitmap.
bool PackFrame(GetFrameTag& reader) {
    const AVFrame& frame = *reader.frame;
    const auto source = static_cast<AVPixelFormat>(frame.format);
    const int bits = OutputBits(reader, source);
    const int width = frame.width, height = frame.height;
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return false;
    const int stride = ((width * bits / 8) + 3) & ~3;
    const int tableSize = bits == 8 ? kPaletteSize : 0;
    reader.bitmap.assign(static_cast<size_t>(kHeaderSize + tableSize) +
                             static_cast<size_t>(stride) * height + kScalerSlack,
                         0);
    BITMAPINFOHEADER header{};
    header.biSize = kHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride) * height;
    header.biClrUsed = bits == 8 ? 256 : 0;
    std::memcpy(reader.bitmap.data(), &header, sizeof header);
    BYTE* const pixels = reader.bitmap.data() + kHeaderSize + tableSize;
    BYTE* const bottomRow = pixels + static_cast<size_t>(stride) * (height - 1);

    if (bits == 8 && source == AV_PIX_FMT_PAL8) {
        // FFmpeg's entries are 0xAARRGGBB words: blue, green, red, alpha in memory.
        auto* table = reinterpret_cast<RGBQUAD*>(reader.bitmap.data() + kHeaderSize);
        std::memcpy(table, frame.data[1], kPaletteSize);
        for (int i = 0; i < 256; ++i)
            table[i].rgbReserved = 0;
        for (int y = 0; y < height; ++y)
            std::memcpy(bottomRow - static_cast<ptrdiff_t>(y) * stride,
                        frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0],
                        static_cast<size_t>(width));
        return true;
    }
    reader.scaler = sws_getCachedContext(reader.scaler, width, height, source, width, height,
                                         OutputFormat(bits), SWS_POINT, nullptr, nullptr, nullptr);
    if (!reader.scaler)
        return false;
    uint8_t* destination[4] = {bottomRow, nullptr, nullptr, nullptr};
    const int destinationStride[4] = {-stride, 0, 0, 0};
    return sws_scale(reader.scaler, frame.data, frame.linesize, 0, height, destination,
                     destinationStride) == height;
}

// Decodes until a frame at or past the position arrives; false at the end.
bool DecodeTo(GetFrameTag& reader, int64_t position) {
    AVFormatContext* format = reader.stream->file->format;
    for (;;) {
        const int received = avcodec_receive_frame(reader.decoder, reader.frame);
        if (received == 0) {
            int64_t pts = reader.frame->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE)
                pts = reader.nextPts;
            reader.nextPts = pts + 1;
            if (pts >= position)
                return true;
            continue;
        }
        if (received != AVERROR(EAGAIN))
            return false;
        if (reader.flushed)
            return false;
        if (av_read_frame(format, reader.packet) < 0) {
            reader.flushed = true;
            avcodec_send_packet(reader.decoder, nullptr);
            continue;
        }
        if (reader.packet->stream_index == reader.stream->index)
            avcodec_send_packet(reader.decoder, reader.packet);
        av_packet_unref(reader.packet);
    }
}

void SeekBefore(GetFrameTag& reader, int64_t position) {
    AVFormatContext* format = reader.stream->file->format;
    if (av_seek_frame(format, reader.stream->index, position, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(format, reader.stream->index, 0, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(reader.decoder);
    reader.flushed = false;
    reader.nextPts = 0;
}

} // namespace

PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted) {
    if (!stream || (wanted && wanted->biBitCount != 24))
        return nullptr;
    const AVCodecParameters* parameters = stream->Video()->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return nullptr;
    auto* reader = new (std::nothrow) GetFrameTag;
    if (!reader)
        return nullptr;
    reader->stream = stream;
    reader->only24 = wanted != nullptr;
    reader->decoder = avcodec_alloc_context3(codec);
    reader->packet = av_packet_alloc();
    reader->frame = av_frame_alloc();
    if (!reader->decoder || !reader->packet || !reader->frame ||
        avcodec_parameters_to_context(reader->decoder, parameters) < 0 ||
        avcodec_open2(reader->decoder, codec, nullptr) < 0) {
        delete reader;
        return nullptr;
    }
    reader->decoder->pkt_timebase = stream->Video()->time_base;
    return reader;
}

void* AVIStreamGetFrame(PGETFRAME reader, LONG position) {
    if (!reader || position < 0)
        return nullptr;
    if (position == reader->shown)
        return reader->bitmap.data();
    if (reader->shown < 0 || position != reader->shown + 1)
        SeekBefore(*reader, position);
    if (!DecodeTo(*reader, position) || !PackFrame(*reader)) {
        reader->shown = -1;
        return nullptr;
    }
    reader->shown = position;
    return reader->bitmap.data();
}

HRESULT AVIStreamGetFrameClose(PGETFRAME reader) {
    delete reader;
    return S_OK;
}

} // namespace win
