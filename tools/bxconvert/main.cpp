// bxconvert: reads stereo pictures and writes them converted for a viewing
// method, or describes a file.
//
//   bxconvert [options] INPUT OUTPUT
//   bxconvert [options] LEFT RIGHT OUTPUT
//   bxconvert --info FILE
#include "bxconvert/methodnames.h"
#include "bxconvert/writers.h"

#include "imagefile/readimage.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "stereo/cpair.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: bxconvert [options] INPUT OUTPUT\n"
                               "       bxconvert [options] LEFT RIGHT OUTPUT\n"
                               "       bxconvert --info FILE\n"
                               "options: -oform=NAME -layout=WORD -separation=N -quality=N\n";

// A mistake in the command line: exit status 2.
struct UsageError {
    std::string message;
};

struct Options {
    std::optional<std::string> method;
    std::optional<uint32_t> layout;
    int32_t separation = 0;
    int quality = 92;
    bool info = false;
    std::vector<std::string> files;
};

// A whole number: hexadecimal after 0x, else decimal.
long long ParseNumber(const std::string& option, const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (text.empty() || *end != '\0')
        throw UsageError{"bxconvert: " + option + " needs a number, not '" + text + "'"};
    return value;
}

Options ParseArguments(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
        if (argument == "--info") {
            options.info = true;
        } else if (name == "-oform") {
            options.method = value;
        } else if (name == "-layout") {
            const long long layout = ParseNumber(name, value);
            if (layout < 0 || layout > 0xFFFFFFFFLL)
                throw UsageError{"bxconvert: -layout must fit in 32 bits"};
            options.layout = static_cast<uint32_t>(layout);
        } else if (name == "-separation") {
            const long long separation = ParseNumber(name, value);
            if (separation < 0 || separation > 65536)
                throw UsageError{"bxconvert: -separation must be between 0 and 65536"};
            options.separation = static_cast<int32_t>(separation);
        } else if (name == "-quality") {
            const long long quality = ParseNumber(name, value);
            if (quality < 1 || quality > 100)
                throw UsageError{"bxconvert: -quality must be between 1 and 100"};
            options.quality = static_cast<int>(quality);
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw UsageError{"bxconvert: unknown option '" + argument + "'"};
        } else {
            options.files.push_back(argument);
        }
    }
    const size_t files = options.files.size();
    if (options.info ? files != 1 : files != 2 && files != 3)
        throw UsageError{""};
    return options;
}

// One input file, read whole.
struct Picture {
    pxImage image;
    pxPalette palette;
    int fileType = 0;
    int hasDescriptor = 0;
    uint32_t layout = 0;
};

// Reads a finished file; one that ends before its image does is an error.
void ReadPicture(const std::string& fileName, Picture& picture) {
    picture.fileType = CheckFileType(fileName.c_str());
    _ImageInfo info;
    int64_t bytesBefore = -1;
    while (ReadImage(fileName.c_str(), &picture.image, &picture.palette, &info, nullptr) == 0) {
        if (info.bytesRead == bytesBefore)
            throw pxError("The file '%s' ends before its image is complete (%d of %d rows)",
                          fileName.c_str(), info.rowsDone, picture.image.GetHeight());
        bytesBefore = info.bytesRead;
    }
    picture.hasDescriptor = info.hasDescriptor;
    picture.layout = info.hasDescriptor || info.layout ? info.layout : kJpegDefaultLayout;
    // The converter mixes 3-byte pixels; a fourth byte is never written.
    if (picture.image.GetBytesPerPixel() == 4) {
        pxImage colour(picture.image.GetSize(), 3, 4);
        ConvertBPP(colour, picture.image, picture.palette, 3);
        picture.image = colour;
    }
}

void PrintInfo(const std::string& fileName) {
    Picture picture;
    ReadPicture(fileName, picture);
    std::printf("type: %d\nwidth: %d\nheight: %d\nbytes-per-pixel: %d\nlayout: 0x%08X\n"
                "descriptor: %s\n",
                picture.fileType, picture.image.GetWidth(), picture.image.GetHeight(),
                picture.image.GetBytesPerPixel(), static_cast<unsigned>(picture.layout),
                picture.hasDescriptor ? "yes" : "no");
}

ConvertMethod ChosenMethod(const Options& options) {
    if (!options.method)
        return *FindConvertMethod("copy");
    const std::optional<ConvertMethod> method = FindConvertMethod(*options.method);
    if (!method)
        throw UsageError{"bxconvert: unknown method '" + *options.method +
                         "'; valid methods: " + ConvertMethodNames()};
    return *method;
}

void Convert(const Options& options) {
    const ConvertMethod method = ChosenMethod(options);
    const std::string& output = options.files.back();
    const PictureFormat format = PictureFormatOf(output.c_str());
    const bool stereoFile = format == PictureFormat::Jps || format == PictureFormat::Pns;

    Picture first, second;
    ReadPicture(options.files[0], first);
    const bool twoInputs = options.files.size() == 3;
    if (twoInputs)
        ReadPicture(options.files[1], second);
    const uint32_t layout =
        options.layout.value_or(twoInputs ? LAYOUT_SIDE_BY_SIDE | LAYOUT_LEFT_FIRST : first.layout);
    std::optional<uint32_t> writtenLayout = WrittenLayout(method, layout);
    if (stereoFile && !writtenLayout)
        throw pxError("The method '%s' does not write a stereo pair, so it cannot be written to "
                      "'%s'; write a .ppm, .png, .bmp or .jpg file",
                      method.name, output.c_str());

    pxCPair pair = twoInputs ? pxCPair(layout, first.image, second.image, &first.palette)
                             : pxCPair(layout, first.image, &first.palette);
    pair.SetSeparation(options.separation);
    const px2Size size = pair.CalcConvertSize(method.outputType);
    // Anaglyphs mix colours, so 1-byte pairs become 3-byte pictures for them.
    const bool mixes =
        method.outputType >= OUTPUT_PURE_RED_BLUE && method.outputType <= OUTPUT_COLOR;
    const int32_t bytesPerPixel = mixes ? 3 : pair.GetBytesPerPixel();
    // A new picture starts black, which is what a separation gap shows.
    pxImage picture(size, bytesPerPixel, 4);
    pxPalette palette = pair.GetPalette();
    pair.CopyConvert(picture, {0, 0}, method.outputType, method.swapEyes, &palette);

    WriteOptions writeOptions;
    writeOptions.quality = options.quality;
    writeOptions.layout = writtenLayout.value_or(0);
    WritePicture(output.c_str(), picture, bytesPerPixel == 1 ? &palette : nullptr, writeOptions);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseArguments(argc, argv);
        if (options.info)
            PrintInfo(options.files[0]);
        else
            Convert(options);
        return 0;
    } catch (const UsageError& error) {
        if (!error.message.empty())
            std::fprintf(stderr, "%s\n", error.message.c_str());
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const pxError& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage());
        return 1;
    }
}
