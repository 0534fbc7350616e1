// The pair converter fed row by row: writes the picture that
// pxCPair::CopyConvert writes, from the rows of the pair as they arrive (from
// the top, in order), so that a picture being decoded is converted band by
// band while its rows are still in cache and is never held whole. The rows
// of the output become final in order from the top; FinishedRows says how
// far, so that a writer can follow the conversion.
#pragma once

#include "stereo/cpair.h"

#include <array>
#include <memory>

class AnaglyphChannels;
class AveragedColours;
class DuboisAnaglyph;
class ShownRows;

class pxPairRowConverter {
public:
    // The conversion pair.CopyConvert(destination, origin, outputType,
    // swapEyes, outputPalette) does, with the same checks, thrown before
    // anything is written (eye views the caller emptied are made again). The
    // pair may be a frame that is still to come
    // (pxCPair with a frame size): it gives the sizes, and the rows come
    // through PutFrameRows. A 1-byte pair shown at half height needs its
    // whole eyes for the averaged colours, so it cannot be fed that way.
    pxPairRowConverter(pxCPair& pair, pxImage& destination, px2Pnt origin, int32_t outputType,
                       int32_t swapEyes, pxPalette* outputPalette);
    ~pxPairRowConverter();
    pxPairRowConverter(const pxPairRowConverter&) = delete;
    pxPairRowConverter& operator=(const pxPairRowConverter&) = delete;

    // The next rows of the frame holding both views, as the pair's layout
    // arranges them; each call goes on where the last one ended.
    void PutFrameRows(const pxImage& rows);
    // The next rows of one eye picture (EYE_LEFT or EYE_RIGHT).
    void PutEyeRows(int32_t eye, const pxImage& rows);

    // How many output rows from the top are final.
    int32_t FinishedRows() const;
    px2Size OutputSize() const { return size; }

    static constexpr int32_t EYE_LEFT = 0;
    static constexpr int32_t EYE_RIGHT = 1;

private:
    // Where the rows of one eye lie in the frame.
    struct EyeInFrame {
        int32_t firstRow = 0; // frame row of the eye's row 0
        int32_t rowStep = 1;  // frame rows from one eye row to the next
        int32_t rows = 0;
        size_t byteOffset = 0; // of the eye's first pixel within a frame row
    };

    void PutEyeRow(int32_t eye, const uint8_t* row);
    void Show(int32_t outputEye, int32_t shownRow, const uint8_t* row);
    uint8_t* OutputRow(int32_t y, int32_t x) const;

    pxImage& destination;
    px2Pnt origin;
    int32_t outputType;
    px2Size size; // of the output
    int32_t separation;
    int32_t pairBytesPerPixel;
    int32_t frameWidth; // 0 for a pair of two pictures
    int32_t frameRows = 0;
    int32_t eyeWidth = 0;
    int32_t eyeHeight = 0;
    int32_t shownCount = 0; // rows each eye shows
    size_t rowBytes = 0;    // of a shown row
    // Output eye 0 is the first eye (the left unless swapped); for OutputCopy
    // the frame's rows are shown as eye 0.
    std::array<int32_t, 2> outputEyeOf{}; // by EYE_LEFT / EYE_RIGHT
    std::array<std::unique_ptr<ShownRows>, 2> eyes;
    std::array<EyeInFrame, 2> inFrame;
    std::array<int32_t, 2> eyeRowsPut{};
    int32_t frameRowsPut = 0;
    std::unique_ptr<AveragedColours> averaged;
    std::unique_ptr<AnaglyphChannels> anaglyph;
    std::unique_ptr<DuboisAnaglyph> dubois;
};
