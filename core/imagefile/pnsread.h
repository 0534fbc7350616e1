// Reading PNG files, plain and stereo (.pns), into 24-bit pictures, in steps
// while the file is still arriving.
#pragma once

#include "imagefile/imageinfo.h"
#include "imaging/pximage.h"

// Feeds what the file holds now to the decoder. The picture is made when the
// header has been read: 3 bytes per pixel, top-down, rows aligned to 4 bytes,
// filled with background first when one is given; transparency is composed
// over black. The file's sTEr descriptor, when it has one, is reported
// through info. 1 when the image is complete, 0 when the file has no more
// data yet; a file whose image data ends before the last row stays at 0, as
// if it had stopped there. Throws pxError; the read is then over and info is
// reset.
int ReadPngImage(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo* info,
                 const pxColor* background);
