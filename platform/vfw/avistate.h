// What the video service's handles hold, shared by its files.
#pragma once

#include "platform/vfw/vfw.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

struct win::AviFileTag {
    std::string path;
    AVFormatContext* format = nullptr;
    int references = 1; // the caller's, and one for each open stream
};

struct win::AviStreamTag {
    AviFileTag* file = nullptr;
    int index = 0; // in the demuxer's streams

    const AVStream* Video() const { return file->format->streams[index]; }
};

struct win::DecompressorTag {
    const AVCodec* decoder = nullptr;
};
