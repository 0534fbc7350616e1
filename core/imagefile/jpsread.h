// Reading JPEG files, plain and stereo (.jps), into 24-bit pictures, in steps
// while the file is still arriving.
#pragma once

#include "imagefile/imageinfo.h"
#include "imaging/pximage.h"

// Reads what the file holds now into a 3-byte, top-down picture with rows
// aligned to 4 bytes (allocated once, at its final size, when decoding
// starts; filled with background first when one is given). fileName is used
// only when info starts a new read. 1 when the image is complete, 0 when the
// file has no more data yet; the next call goes on where this one stopped.
// Throws pxError; the read is then over and info is reset.
int ReadJpegImage(const char* fileName, pxImage* image, pxPalette* palette, _ImageInfo* info,
                  const pxColor* background);

// Ends a read that ReadJpegImage left unfinished because the file stopped
// short and will not grow; returns the rows that hold the file's picture
// (the rows below are to be shown blank) and resets info. A sequential file
// keeps the rows decoded so far. A file whose decoder was still gathering its
// scans (progressive, or sequential in several scans) is decoded from the
// scans that came, as libjpeg does at a file's end: the picture is allocated
// and the rows the first scan reached are a coarse rendering. Throws pxError.
int EndJpegImageAtFileEnd(_ImageInfo* info);

class ImageRowSink;

// Reads a finished file from the top down into sink, a band of rows at a
// time, without ever holding the whole picture. Throws pxError, also for a
// file that ends before its image does.
void ReadJpegRows(const char* fileName, ImageRowSink& sink);
