// JPEG files through libjpeg; with a layout word, a JPS file: the stereo
// descriptor goes into an APP3 segment right after the JFIF header. Other
// segments (an MPO's MPF index) go there the same way.
#include "encoders.h"

#include "imaging/pxerror.h"

#include <csetjmp>
#include <cstddef>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace encode {

namespace {

// libjpeg reports errors here; error_exit jumps back to the encoder with the
// message, so that no exception passes through libjpeg's frames.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

std::vector<uint8_t> JpsPayload(uint32_t layout) {
    std::vector<uint8_t> payload = {'_', 'J', 'P', 'S', 'J', 'P', 'S', '_', 0, 4};
    const std::vector<uint8_t> tail = DescriptorTail(layout);
    payload.insert(payload.end(), tail.begin(), tail.end());
    return payload;
}

// Everything that calls into libjpeg. Returns false, with the message in
// errors, when libjpeg gave up.
bool Compress(jpeg_compress_struct& info, JpegErrors& errors, std::FILE* file,
              const PictureRows& picture, int quality, const std::vector<JpegSegment>& segments,
              std::vector<uint8_t>& row) {
    if (setjmp(errors.jump))
        return false;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.Width());
    info.image_height = static_cast<JDIMENSION>(picture.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (const JpegSegment& segment : segments)
        jpeg_write_marker(&info, segment.marker, segment.data.data(),
                          static_cast<unsigned>(segment.data.size()));
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) {
        RgbRow(picture, static_cast<int32_t>(info.next_scanline), row.data());
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

void WriteJpeg(std::FILE* file, const char* fileName, const PictureRows& picture, int quality,
               std::optional<uint32_t> stereoLayout) {
    std::vector<JpegSegment> segments;
    if (stereoLayout)
        segments.push_back({JPEG_APP0 + 3, JpsPayload(*stereoLayout)});
    WriteJpegWithSegments(file, fileName, picture, quality, segments);
}

void WriteJpegWithSegments(std::FILE* file, const char* fileName, const PictureRows& picture,
                           int quality, const std::vector<JpegSegment>& segments) {
    std::vector<uint8_t> row(static_cast<size_t>(picture.Width()) * 3);
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOnError;
    const bool written = Compress(info, errors, file, picture, quality, segments, row);
    jpeg_destroy_compress(&info);
    if (!written)
        throw pxError("Cannot write the JPEG file '%s': %s", fileName, errors.message);
}

} // namespace encode
