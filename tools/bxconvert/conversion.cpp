#include "bxconvert/conversion.h"

#include "bxconvert/writers.h"

#include "imagefile/readrows.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "stereo/cpairrows.h"

#include <cstdio>
#include <future>
#include <memory>

namespace {

// The pair converter mixes only 3-byte pixels and never writes a fourth
// byte: rows of 4 bytes per pixel lose it, and palette rows become colours
// for methods that mix colours. Other rows pass unchanged.
class DepthAdapter {
public:
    DepthAdapter(int32_t inputBytesPerPixel, int32_t outputType, const pxPalette& palette)
        : input(inputBytesPerPixel), palette(palette) {
        output = input == 4 || (input == 1 && IsAnaglyphOutput(outputType)) ? 3 : input;
    }
    int32_t BytesPerPixel() const { return output; }

    // rows in the adapted depth, valid until the next call.
    const pxImage& Adapt(const pxImage& rows) {
        if (input == output)
            return rows;
        if (adapted.GetWidth() != rows.GetWidth() || adapted.GetHeight() != rows.GetHeight())
            adapted.Create(rows.GetSize(), output, 4);
        if (input == 1) {
            pxImage source = rows;
            ConvertBPP(adapted, source, palette, output);
            return adapted;
        }
        DropFourthByte(adapted, rows);
        return adapted;
    }

private:
    int32_t input;
    int32_t output;
    pxPalette palette;
    pxImage adapted;
};

// The output picture, its converter and the writer that follows them.
class Output {
public:
    explicit Output(const ConversionRequest& request) : request(request) {}
    ~Output() {
        // A conversion that failed leaves the writer waiting: let it give up.
        if (writer.valid()) {
            progress.Abandon();
            try {
                writer.get();
            } catch (const pxError&) {
            }
        }
    }

    // Makes the output for pair and starts writing it.
    void Start(pxCPair& pair) {
        const ConvertMethod& method = request.method;
        // A half-height pair is interleaved in the height of its frame.
        if (method.outputType == OUTPUT_INTERLEAVED && (pair.GetLayout() & LAYOUT_HALF_HEIGHT))
            pair.halveRows = 1;
        pair.SetSeparation(request.separation);
        // A new picture starts black, which is what a separation gap shows.
        picture.Create(pair.CalcConvertSize(method.outputType), pair.GetBytesPerPixel(), 4);
        palette = pair.GetPalette();
        converter = std::make_unique<pxPairRowConverter>(pair, picture, px2Pnt{}, method.outputType,
                                                         method.swapEyes, &palette);
        const std::optional<uint32_t> layout = WrittenLayout(method, pair.GetLayout());
        WriteOptions options;
        options.quality = request.quality;
        options.layout = layout.value_or(0);
        const pxPalette* written = picture.GetBytesPerPixel() == 1 ? &palette : nullptr;
        writer = std::async(std::launch::async, [this, options, written] {
            WritePicture(request.output.c_str(), picture, written, options, &progress);
        });
    }

    pxPairRowConverter& Converter() { return *converter; }
    void RowsConverted() { progress.Finish(converter->FinishedRows()); }

    // Every row is in: waits for the writer and passes on its failure.
    void Finish() {
        progress.Finish(picture.GetHeight());
        writer.get();
    }

private:
    const ConversionRequest& request;
    pxImage picture;
    pxPalette palette;
    std::unique_ptr<pxPairRowConverter> converter;
    RowProgress progress;
    std::future<void> writer;
};

uint32_t LayoutOf(const ConversionRequest& request, const ImageHeader& header) {
    return request.layout.value_or(header.layout);
}

// One picture holding both views, converted as its rows are decoded.
class FrameConversion final : public ImageRowSink {
public:
    FrameConversion(const ConversionRequest& request, Output& output)
        : request(request), output(output) {}

    void Begin(const ImageHeader& header) override {
        adapter = std::make_unique<DepthAdapter>(header.bytesPerPixel, request.method.outputType,
                                                 header.palette);
        pair = std::make_unique<pxCPair>(LayoutOf(request, header), header.size,
                                         adapter->BytesPerPixel(), &header.palette);
        output.Start(*pair);
    }
    void Rows(const pxImage& rows) override {
        output.Converter().PutFrameRows(adapter->Adapt(rows));
        output.RowsConverted();
    }

private:
    const ConversionRequest& request;
    Output& output;
    std::unique_ptr<DepthAdapter> adapter;
    std::unique_ptr<pxCPair> pair;
};

// A whole picture gathered from its rows.
class WholePicture final : public ImageRowSink {
public:
    void Begin(const ImageHeader& read) override {
        header = read;
        rowsIn = 0;
    }
    void Rows(const pxImage& rows) override {
        if (rowsIn == 0 && rows.GetHeight() == header.size.height) {
            picture = rows; // the reader's own picture: share it
        } else {
            if (rowsIn == 0)
                picture.Create(header.size, header.bytesPerPixel, 4);
            CopyImage(picture, {0, rowsIn}, rows, {0, 0, rows.GetWidth(), rows.GetHeight()});
        }
        rowsIn += rows.GetHeight();
    }

    ImageHeader header;
    pxImage picture;

private:
    int32_t rowsIn = 0;
};

WholePicture ReadWhole(const std::string& fileName) {
    WholePicture whole;
    ReadImageRows(fileName.c_str(), whole);
    return whole;
}

// Two eye pictures, read whole one after the other.
void ConvertEyePictures(const ConversionRequest& request, Output& output) {
    const WholePicture left = ReadWhole(request.inputs[0]);
    const WholePicture right = ReadWhole(request.inputs[1]);
    const int32_t type = request.method.outputType;
    DepthAdapter leftAdapter(left.header.bytesPerPixel, type, left.header.palette);
    DepthAdapter rightAdapter(right.header.bytesPerPixel, type, right.header.palette);
    const pxImage leftEye = leftAdapter.Adapt(left.picture);
    const pxImage rightEye = rightAdapter.Adapt(right.picture);
    pxCPair pair(request.layout.value_or(LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST), leftEye,
                 rightEye, &left.header.palette);
    output.Start(pair);
    output.Converter().PutEyeRows(pxPairRowConverter::EYE_LEFT, leftEye);
    output.RowsConverted();
    output.Converter().PutEyeRows(pxPairRowConverter::EYE_RIGHT, rightEye);
}

} // namespace

void ConvertFiles(const ConversionRequest& request) {
    const PictureFormat format = PictureFormatOf(request.output.c_str());
    const bool stereoFile = format == PictureFormat::Jps || format == PictureFormat::Pns ||
                            format == PictureFormat::Mpo;
    if (stereoFile && !WrittenLayout(request.method, 0))
        throw pxError("The method '%s' does not write a stereo pair, so it cannot be written to "
                      "'%s'; write a .ppm, .png, .bmp or .jpg file",
                      request.method.name, request.output.c_str());
    Output output(request);
    if (request.inputs.size() == 2) {
        ConvertEyePictures(request, output);
    } else {
        FrameConversion conversion(request, output);
        ReadImageRows(request.inputs[0].c_str(), conversion);
    }
    output.Finish();
}

std::string DescribeFile(const std::string& fileName) {
    const WholePicture whole = ReadWhole(fileName);
    const ImageHeader& header = whole.header;
    char text[256];
    std::snprintf(text, sizeof text,
                  "type: %d\nwidth: %d\nheight: %d\nbytes-per-pixel: %d\nlayout: 0x%08X\n"
                  "descriptor: %s\n",
                  header.fileType, header.size.width, header.size.height, header.bytesPerPixel,
                  static_cast<unsigned>(header.layout), header.hasDescriptor ? "yes" : "no");
    return text;
}
