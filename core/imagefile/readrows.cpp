#include "imagefile/readrows.h"

#include "imagefile/readimage.h"
#include "imaging/pxerror.h"

void ReadImageRows(const char* fileName, ImageRowSink& sink) {
    ImageHeader header;
    header.fileType = CheckFileType(fileName);
    pxImage image;
    _ImageInfo info;
    int64_t bytesBefore = -1;
    while (ReadImage(fileName, &image, &header.palette, &info, nullptr) == 0) {
        // A finished file that gave nothing new will give nothing more.
        if (info.bytesRead == bytesBefore)
            throw pxError("The file '%s' ends before its image is complete (%d of %d rows)",
                          fileName, info.rowsDone, image.GetHeight());
        bytesBefore = info.bytesRead;
    }
    header.size = image.GetSize();
    header.bytesPerPixel = image.GetBytesPerPixel();
    header.hasDescriptor = info.hasDescriptor;
    header.layout = info.hasDescriptor || info.layout ? info.layout : kJpegDefaultLayout;
    sink.Begin(header);
    sink.Rows(image);
}
