// bxconvert: reads stereo pictures and writes them converted for a viewing
// method, or describes a file.
//
//   bxconvert [options] INPUT OUTPUT
//   bxconvert [options] LEFT RIGHT OUTPUT
//   bxconvert --info FILE
//
// "--" ends the options.
#include "bxconvert/conversion.h"
#include "bxconvert/methodnames.h"

#include "imaging/pxerror.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: bxconvert [options] [--] INPUT OUTPUT\n"
                               "       bxconvert [options] [--] LEFT RIGHT OUTPUT\n"
                               "       bxconvert --info [--] FILE\n"
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
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // After "--" every argument is a file, even one whose name starts with "-".
        if (optionsEnded || argument == "--") {
            if (optionsEnded)
                options.files.push_back(argument);
            optionsEnded = true;
            continue;
        }
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
    ConversionRequest request;
    request.inputs.assign(options.files.begin(), options.files.end() - 1);
    request.output = options.files.back();
    request.method = ChosenMethod(options);
    request.layout = options.layout;
    request.separation = options.separation;
    request.quality = options.quality;
    ConvertFiles(request);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseArguments(argc, argv);
        if (options.info)
            std::fputs(DescribeFile(options.files[0]).c_str(), stdout);
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
