// Reads arbitrary bytes as a stereo JPEG handed over in bands, each band
// converted at once for an output type and eye order taken from the input's
// last byte: the band reader and the row converter together.
#include "imagefile/readrows.h"
#include "jpegsize_fuzz.h"
#include "stereo/cpairrows.h"

#include <memory>

namespace {

class Converting final : public ImageRowSink {
public:
    explicit Converting(uint8_t choice) : choice(choice) {}

    void Begin(const ImageHeader& header) override {
        pair = std::make_unique<pxCPair>(header.layout, header.size, header.bytesPerPixel,
                                         &header.palette);
        pair->halveRows = (choice >> 4) & 1;
        pair->SetSeparation((choice >> 5) & 3);
        const int32_t type = 1 + choice % 10;
        output.Create(pair->CalcConvertSize(type), header.bytesPerPixel, 4);
        converter = std::make_unique<pxPairRowConverter>(*pair, output, px2Pnt{}, type,
                                                         (choice >> 7) & 1, &palette);
    }
    void Rows(const pxImage& rows) override {
        converter->PutFrameRows(rows);
        if (converter->FinishedRows() > output.GetHeight())
            __builtin_trap();
    }

private:
    uint8_t choice;
    std::unique_ptr<pxCPair> pair;
    pxImage output;
    pxPalette palette;
    std::unique_ptr<pxPairRowConverter> converter;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || AsksForHugePicture(data, size))
        return 0;
    static const FuzzFile fuzzFile("jps");
    WritePart(fuzzFile.name.c_str(), "wb", data, size - 1);
    Converting converting(data[size - 1]);
    try {
        ReadImageRows(fuzzFile.name.c_str(), converting);
    } catch (const pxError&) {
    }
    return 0;
}
