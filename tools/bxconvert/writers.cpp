#include "writers.h"

#include "atomicfile.h"
#include "encoders.h"
#include "imaging/pxerror.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

struct Extension {
    const char* name;
    PictureFormat format;
};

constexpr Extension kExtensions[] = {
    {"ppm", PictureFormat::Ppm},  {"bmp", PictureFormat::Bmp}, {"png", PictureFormat::Png},
    {"jpg", PictureFormat::Jpeg}, {"jps", PictureFormat::Jps}, {"pns", PictureFormat::Pns},
    {"mpo", PictureFormat::Mpo},
};

// What follows the last dot of the file's own name, in lower case.
std::string LowerCaseExtension(const char* fileName) {
    const char* base = std::strrchr(fileName, '/');
    const char* dot = std::strrchr(base ? base : fileName, '.');
    std::string extension = dot ? dot + 1 : "";
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

void CheckPicture(const char* fileName, const pxImage& image, const pxPalette* palette,
                  PictureFormat format, const WriteOptions& options) {
    if (!image.GetPixels() || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        throw pxError("Cannot write '%s': the picture has no pixels.", fileName);
    const int32_t bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4)
        throw pxError("Cannot write '%s': pictures of %d bytes per pixel cannot be written.",
                      fileName, bytesPerPixel);
    if (bytesPerPixel == 1 && !palette)
        throw pxError("Cannot write '%s': the palette picture has no palette.", fileName);
    const bool jpeg = format == PictureFormat::Jpeg || format == PictureFormat::Jps ||
                      format == PictureFormat::Mpo;
    if (jpeg && (options.quality < 1 || options.quality > 100))
        throw pxError("Cannot write '%s': the JPEG quality %d is not between 1 and 100.", fileName,
                      options.quality);
}

void Encode(std::FILE* file, const char* fileName, const encode::PictureRows& picture,
            PictureFormat format, const WriteOptions& options) {
    switch (format) {
    case PictureFormat::Ppm:
        encode::WritePpm(file, picture);
        break;
    case PictureFormat::Bmp:
        encode::WriteBmp(file, fileName, picture);
        break;
    case PictureFormat::Png:
        encode::WritePng(file, fileName, picture, std::nullopt);
        break;
    case PictureFormat::Pns:
        encode::WritePng(file, fileName, picture, options.layout);
        break;
    case PictureFormat::Jpeg:
        encode::WriteJpeg(file, fileName, picture, options.quality, std::nullopt);
        break;
    case PictureFormat::Jps:
        encode::WriteJpeg(file, fileName, picture, options.quality, options.layout);
        break;
    case PictureFormat::Mpo:
        encode::WriteMpo(file, fileName, picture, options.quality, options.layout);
        break;
    }
}

} // namespace

PictureFormat PictureFormatOf(const char* fileName) {
    const std::string extension = LowerCaseExtension(fileName);
    for (const Extension& known : kExtensions)
        if (extension == known.name)
            return known.format;
    throw pxError("Cannot write '%s': unknown file extension (use .ppm, .bmp, .png, .jpg, .jps, "
                  ".pns or .mpo).",
                  fileName);
}

void WritePicture(const char* fileName, const pxImage& image, const pxPalette* palette,
                  const WriteOptions& options, const RowProgress* progress) {
    const PictureFormat format = PictureFormatOf(fileName);
    CheckPicture(fileName, image, palette, format, options);
    AtomicFile file(fileName);
    Encode(file.Stream(), fileName, encode::PictureRows(image, palette, progress), format, options);
    file.Commit();
}

void RowProgress::Finish(int32_t rows) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (rows <= finished.load(std::memory_order_relaxed))
            return;
        finished.store(rows, std::memory_order_release);
    }
    changed.notify_all();
}

void RowProgress::Abandon() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        abandoned = true;
    }
    changed.notify_all();
}

void RowProgress::WaitFor(int32_t rows) const {
    // Rows are mostly finished long before they are written: no lock then.
    if (finished.load(std::memory_order_acquire) >= rows)
        return;
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock,
                 [&] { return abandoned || finished.load(std::memory_order_relaxed) >= rows; });
    if (finished.load(std::memory_order_relaxed) < rows)
        throw pxError("The picture was not finished");
}
