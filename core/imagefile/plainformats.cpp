#include "imagefile/plainformats.h"

#include "imagefile/blockfile.h"
#include "imagefile/file.h"
#include "imagefile/plainreaders.h"

#include <cstring>
#include <string>

namespace {

struct Extension {
    const char* text;
    PlainFormat format;
};

constexpr Extension kExtensions[] = {
    {"tga", FORMAT_TGA},       {"TGA", FORMAT_TGA},       {"bmp", FORMAT_BMP},
    {"BMP", FORMAT_BMP},       {"ppm", FORMAT_PPM},       {"PPM", FORMAT_PPM},
    {"pxf", FORMAT_BLOCKFILE}, {"PXF", FORMAT_BLOCKFILE}, {"jpg", FORMAT_JPEG},
    {"JPG", FORMAT_JPEG},      {"jpeg", FORMAT_JPEG},     {"JPEG", FORMAT_JPEG},
    {"jps", FORMAT_JPEG},      {"JPS", FORMAT_JPEG},      {"png", FORMAT_PNG},
    {"PNG", FORMAT_PNG},       {"pns", FORMAT_PNG},       {"PNS", FORMAT_PNG},
};

constexpr char kTargaFooter[18] = "TRUEVISION-XFILE."; // with its closing zero byte

// The file's own name: what follows the last directory separator.
const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\')
            base = c + 1;
    return base;
}

bool HasTargaFooter(File& file) {
    if (file.Size() < static_cast<long>(sizeof kTargaFooter))
        return false;
    char tail[sizeof kTargaFooter];
    file.SeekEnd(-static_cast<long>(sizeof tail));
    file.Read(tail, sizeof tail);
    return std::memcmp(tail, kTargaFooter, sizeof tail) == 0;
}

} // namespace

PlainFormat GetImageFileFormat(const char* fileName) {
    const char* name = fileName ? fileName : "";
    if (const char* dot = std::strrchr(name, '.'))
        for (const Extension& extension : kExtensions)
            if (std::strcmp(dot + 1, extension.text) == 0)
                return extension.format;

    File file(name, 'r');
    if (file.ReadChar() == 'B' && file.ReadChar() == 'M')
        return FORMAT_BMP;
    file.SeekSet(0);
    const std::optional<std::string> word = plainread::ReadPpmWord(file, 2);
    if (word == "P3" || word == "P6")
        return FORMAT_PPM;
    if (HasTargaFooter(file))
        return FORMAT_TGA;
    throw pxError("Cannot recognize format of file '%s'", BaseName(name));
}

void ReadPlainImage(const char* fileName, pxImage* image, pxPalette* palette, int32_t bottomUp,
                    int32_t format) {
    const char* name = fileName ? fileName : "";
    if (format == FORMAT_FROM_FILE)
        format = GetImageFileFormat(name);
    if (format == FORMAT_JPEG || format == FORMAT_PNG)
        return; // these have readers of their own
    if (!image)
        throw pxError("No image given to read '%s' into", name);
    switch (format) {
    case FORMAT_TGA:
        plainread::ReadTga(name, *image, palette, bottomUp);
        break;
    case FORMAT_BMP:
        plainread::ReadBmp(name, *image, palette, bottomUp);
        break;
    case FORMAT_PPM:
        plainread::ReadPpm(name, *image, bottomUp);
        break;
    case FORMAT_BLOCKFILE:
        ReadBlockFileImage(name, *image, palette); // always top-down
        break;
    default:
        throw pxError("Unknown plain image format %d for '%s'", format, name);
    }
}
