// Writing a picture to a file, in the format its name's extension names:
// .ppm, .bmp, .png, .jpg, and the stereo forms .jps (JPEG) and .pns (PNG),
// which carry a layout word saying how the two eye views are arranged, and
// .mpo (the two views as JPEG images of their own).
#pragma once

#include "imaging/pximage.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

enum class PictureFormat { Ppm, Bmp, Png, Jpeg, Jps, Pns, Mpo };

struct WriteOptions {
    int quality = 92; // JPEG quality, 1 to 100
    // The stereo descriptor's layout word of .jps and .pns files (for .mpo
    // files, how the picture holds the views): by default side by side,
    // left eye first.
    uint32_t layout = 0x40201;
};

// The format a file name's extension asks for (in any letter case). Throws
// pxError, listing the accepted extensions, for any other name.
PictureFormat PictureFormatOf(const char* fileName);

// How far a picture still being made is finished: one thread makes its rows
// from the top and says how many are final; a writer on another thread waits
// for each row it needs.
class RowProgress {
public:
    // The first `rows` rows are final (a smaller count than before changes nothing).
    void Finish(int32_t rows);
    // The picture will not be finished: writers waiting for rows give up.
    void Abandon();
    // Waits until `rows` rows are final; throws pxError if the picture was abandoned first.
    void WaitFor(int32_t rows) const;

private:
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::atomic<int32_t> finished{0};
    bool abandoned = false;
};

// Writes image to fileName, replacing any file there only once the whole
// picture is written. With progress, the picture is still being made and
// each row is written once it is finished. Pixels of 3 bytes are blue, green, red; of 4 bytes the
// fourth is left out; of 1 byte they are indices into palette, which must
// then be given (indices beyond its count come out black). Palette pictures
// become palette BMP and PNG files and are expanded to true colour
// elsewhere. Throws pxError naming the file on any failure; no file of that
// name is left behind by a write that failed.
void WritePicture(const char* fileName, const pxImage& image, const pxPalette* palette,
                  const WriteOptions& options = {}, const RowProgress* progress = nullptr);
