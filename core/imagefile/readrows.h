// Reading a finished image file from the top down, handing its rows over as
// they are decoded, so that a program converting the picture need not hold
// it whole. JPEG files are decoded a band of rows at a time; other formats
// are read whole and then handed over.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>

// What is known of a picture before its first row.
struct ImageHeader {
    px2Size size;
    int32_t bytesPerPixel = 0;
    pxPalette palette;     // for 1-byte pictures
    int fileType = 0;      // as CheckFileType answers
    int hasDescriptor = 0; // the file carried a stereo descriptor
    uint32_t layout = 0;   // its layout word, or the default of files without one
};

class ImageRowSink {
public:
    virtual ~ImageRowSink() = default;
    // Once, before any rows.
    virtual void Begin(const ImageHeader& header) = 0;
    // The next rows of the picture, from the top; valid only during the call.
    virtual void Rows(const pxImage& rows) = 0;
};

// Reads the whole file into sink. Throws pxError for a file that cannot be
// read, and for one that ends before its image does (after handing over the
// rows it held).
void ReadImageRows(const char* fileName, ImageRowSink& sink);
