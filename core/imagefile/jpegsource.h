// A libjpeg data source over a file that may still be growing. libjpeg's own
// stdio source invents an end of image where the file ends now; this one
// makes the decoder suspend instead, and TakeMore() hands it what the file
// has gained since, so the next call resumes where the decoder stopped.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// jpeglib.h needs the stdio types first.
#include <jpeglib.h>

class SuspendingJpegSource {
public:
    explicit SuspendingJpegSource(std::FILE* file);
    SuspendingJpegSource(const SuspendingJpegSource&) = delete;
    SuspendingJpegSource& operator=(const SuspendingJpegSource&) = delete;

    // Makes this the decoder's source.
    void Attach(jpeg_decompress_struct& decompressor);

    // Keeps the bytes the decoder has not used yet (it backs up to them after
    // suspending) and appends what the file holds beyond what was read. False
    // when the file holds nothing new. Throws pxError when one unit of the
    // file would need an absurd buffer.
    bool TakeMore();

    // The decoder's next image begins at offset in the file (the second
    // view of an MPO): what is buffered is dropped and reading goes on from
    // there, once the file holds it.
    void RestartAt(int64_t offset);

    // Bytes taken from the file so far.
    int64_t BytesRead() const { return bytesRead; }

    // The file will not grow any more: once the decoder has used what it was
    // given, it meets an end of image (with libjpeg's warning for a file that
    // ends early), as libjpeg's own file source would give it.
    void EndData() { ended = true; }

private:
    static void Init(j_decompress_ptr);
    static boolean Fill(j_decompress_ptr);
    static void Skip(j_decompress_ptr decompressor, long count);
    static void Term(j_decompress_ptr);

    // First, so that the decoder's source pointer leads back to this object.
    jpeg_source_mgr manager{};
    std::FILE* file;
    std::vector<JOCTET> buffer;
    int64_t skipPending = 0; // bytes the decoder skipped past what was buffered
    int64_t bytesRead = 0;
    bool ended = false;
};
