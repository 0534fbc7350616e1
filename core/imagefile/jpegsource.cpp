#include "imagefile/jpegsource.h"

#include "imaging/pxerror.h"

#include <algorithm>
#include <cstring>

#include <jerror.h>

namespace {

constexpr size_t kInitialBuffer = size_t{256} << 10;
// Far above any marker segment (64 KiB) or entropy-coded unit the decoder
// backs up over; only a broken file could ask for more.
constexpr size_t kMaxBuffer = size_t{64} << 20;

SuspendingJpegSource& SourceOf(j_decompress_ptr decompressor) {
    // The manager is the first member of a standard-layout class.
    return *reinterpret_cast<SuspendingJpegSource*>(decompressor->src);
}

} // namespace

static_assert(std::is_standard_layout_v<SuspendingJpegSource>);

SuspendingJpegSource::SuspendingJpegSource(std::FILE* file) : file(file), buffer(kInitialBuffer) {
    manager.init_source = Init;
    manager.fill_input_buffer = Fill;
    manager.skip_input_data = Skip;
    manager.resync_to_restart = jpeg_resync_to_restart;
    manager.term_source = Term;
    manager.next_input_byte = buffer.data();
    manager.bytes_in_buffer = 0;
}

void SuspendingJpegSource::Attach(jpeg_decompress_struct& decompressor) {
    decompressor.src = &manager;
}

bool SuspendingJpegSource::TakeMore() {
    const size_t kept = manager.bytes_in_buffer;
    if (kept > 0 && manager.next_input_byte != buffer.data())
        std::memmove(buffer.data(), manager.next_input_byte, kept);
    if (kept == buffer.size()) {
        if (buffer.size() >= kMaxBuffer)
            throw pxError("JPEG data needs more than %ld bytes at once",
                          static_cast<long>(kMaxBuffer));
        buffer.resize(buffer.size() * 2);
    }
    // A file that reached its end may have grown since: read on past the
    // end-of-file mark.
    std::clearerr(file);
    bool gained = false;
    while (skipPending > 0) {
        const size_t wanted = static_cast<size_t>(
            std::min<int64_t>(skipPending, static_cast<int64_t>(buffer.size() - kept)));
        const size_t skipped = std::fread(buffer.data() + kept, 1, wanted, file);
        if (skipped == 0)
            break;
        skipPending -= static_cast<int64_t>(skipped);
        bytesRead += static_cast<int64_t>(skipped);
        gained = true;
    }
    size_t got = 0;
    if (skipPending == 0)
        got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file);
    bytesRead += static_cast<int64_t>(got);
    manager.next_input_byte = buffer.data();
    manager.bytes_in_buffer = kept + got;
    return gained || got > 0;
}

void SuspendingJpegSource::RestartAt(int64_t offset) {
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
        throw pxError("Cannot read the image at offset %ld", static_cast<long>(offset));
    skipPending = 0;
    manager.next_input_byte = buffer.data();
    manager.bytes_in_buffer = 0;
}

void SuspendingJpegSource::Init(j_decompress_ptr) {}

// The decoder has used every byte it was given: suspend until TakeMore, or,
// once the data has ended, give it an end-of-image marker.
boolean SuspendingJpegSource::Fill(j_decompress_ptr decompressor) {
    static const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};
    SuspendingJpegSource& source = SourceOf(decompressor);
    if (!source.ended)
        return FALSE;
    WARNMS(decompressor, JWRN_JPEG_EOF);
    source.manager.next_input_byte = kEndOfImage;
    source.manager.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SuspendingJpegSource::Skip(j_decompress_ptr decompressor, long count) {
    if (count <= 0)
        return;
    SuspendingJpegSource& source = SourceOf(decompressor);
    jpeg_source_mgr& manager = source.manager;
    const size_t inBuffer = std::min(static_cast<size_t>(count), manager.bytes_in_buffer);
    manager.next_input_byte += inBuffer;
    manager.bytes_in_buffer -= inBuffer;
    source.skipPending += count - static_cast<long>(inBuffer);
}

void SuspendingJpegSource::Term(j_decompress_ptr) {}
