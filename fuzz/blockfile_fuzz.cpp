// Reads arbitrary bytes as a block resource file: opening, walking the
// blocks, loading every listed one, and the plain-format reader.
#include "imagefile/blockfile.h"
#include "plainread_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPlainReader(data, size, "pxf", FORMAT_BLOCKFILE);
    static const FuzzFile fuzzFile("walk.pxf");
    fuzzFile.Write(data, size);
    try {
        pxFile file(fuzzFile.name.c_str(), 'r');
        for (size_t i = 0; i < file.GetContents().size(); ++i) {
            try {
                file.LoadEntry(i);
            } catch (const pxError&) {
            }
        }
    } catch (const pxError&) {
    }
    return 0;
}
