// bxpack: writes presentation containers from files and texts, and lists
// what a container holds through the viewer's own reader.
//
//   bxpack [-o] OUT.pxr ITEM...
//   bxpack --list FILE
//   bxpack --help
#include "bxpack/pxrwriter.h"
#include "viewer/pxrinput.h"

#include "imaging/pxerror.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: bxpack [-o] OUT.pxr ITEM...\n"
                               "       bxpack --list FILE\n"
                               "       bxpack --help\n";

constexpr const char* kHelp =
    "Writes a PXR presentation container, one block per item in the order given,\n"
    "or lists the blocks of one.\n"
    "\n"
    "items:\n"
    "  --wrap FILE         the file itself, under its base name (a wrapped file, type 6)\n"
    "  --text TEXT         a text block (type 9)\n"
    "  --text-file FILE    a text block with the file's contents\n"
    "  --script FILE       a script block (type 11) with the file's contents\n"
    "  --block TYPE FILE   a block of any type 1-65535 whose body is the file as it is\n"
    "modifiers, for the next item only:\n"
    "  --compress          store the body as a zlib stream (the default for --wrap)\n"
    "  --store             store the body plain (the default for every other item)\n"
    "  --name NAME         give the block a name\n"
    "  --extra N           give the block an extra 32-bit word (decimal or 0x hex)\n"
    "\n"
    "--list prints one line per block: its index, type, flags, stored length, extra\n"
    "word and name, then the original name and size of a wrapped file or the length\n"
    "of a text or script, and \"end\" at the end block. Every block is read whole,\n"
    "so a listing that ends in \"end\" also checks the container.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 a usage error.\n";

// A mistake in the command line: exit status 2.
struct UsageError {
    std::string message;
};

// A file that cannot be read or written: exit status 1.
struct FileError {
    std::string message;
};

long long ParseNumber(const std::string& option, const std::string& text, long long low,
                      long long high) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high)
        throw UsageError{"bxpack: " + option + " needs a number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", not '" + text + "'"};
    return value;
}

PxrBytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError{"bxpack: " + path + ": cannot open: " + std::strerror(errno)};
    PxrBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileError{"bxpack: " + path + ": cannot read"};
    return bytes;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct PackRequest {
    std::string output;
    std::vector<PxrOutBlock> blocks;
};

PackRequest ParsePack(int argc, char** argv) {
    PackRequest request;
    int i = 1;
    if (std::string(argv[i]) == "-o")
        ++i;
    if (i >= argc || argv[i][0] == '-')
        throw UsageError{"bxpack: the output file must come first"};
    request.output = argv[i++];

    std::optional<bool> compress;
    std::optional<std::string> name;
    std::optional<uint32_t> extra;
    std::string pendingModifier;
    const auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= argc)
            throw UsageError{"bxpack: " + option + " needs an argument"};
        return argv[++i];
    };
    const auto add = [&](uint16_t type, PxrBytes body, bool compressedByDefault) {
        PxrOutBlock block;
        block.type = type;
        block.compressed = compress.value_or(compressedByDefault);
        block.name = name;
        block.extra = extra;
        block.body = std::move(body);
        request.blocks.push_back(std::move(block));
        compress.reset();
        name.reset();
        extra.reset();
        pendingModifier.clear();
    };
    for (; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--compress" || argument == "--store") {
            compress = argument == "--compress";
            pendingModifier = argument;
        } else if (argument == "--name") {
            name = value(argument);
            if (name->empty())
                throw UsageError{"bxpack: --name needs a name that is not empty"};
            pendingModifier = argument;
        } else if (argument == "--extra") {
            extra = uint32_t(ParseNumber(argument, value(argument), 0, 0xFFFFFFFFLL));
            pendingModifier = argument;
        } else if (argument == "--wrap") {
            const std::string file = value(argument);
            add(PXR_BLOCK_WRAP, PxrWrapBody(BaseName(file), ReadWholeFile(file)), true);
        } else if (argument == "--text") {
            add(PXR_BLOCK_TEXT, PxrTextBody(value(argument)), false);
        } else if (argument == "--text-file") {
            const PxrBytes text = ReadWholeFile(value(argument));
            add(PXR_BLOCK_TEXT,
                PxrTextBody({reinterpret_cast<const char*>(text.data()), text.size()}), false);
        } else if (argument == "--script") {
            const PxrBytes text = ReadWholeFile(value(argument));
            add(PXR_BLOCK_SCRIPT,
                PxrTextBody({reinterpret_cast<const char*>(text.data()), text.size()}), false);
        } else if (argument == "--block") {
            const auto type = uint16_t(ParseNumber(argument, value(argument), 1, 65535));
            add(type, ReadWholeFile(value(argument)), false);
        } else {
            throw UsageError{"bxpack: unknown item '" + argument + "'"};
        }
    }
    if (!pendingModifier.empty())
        throw UsageError{"bxpack: " + pendingModifier + " has no item after it"};
    return request;
}

void Pack(const PackRequest& request) {
    try {
        PxrWriter writer(request.output);
        for (const PxrOutBlock& block : request.blocks)
            writer.Add(block);
        writer.Finish();
    } catch (const pxError& error) {
        std::remove(request.output.c_str());
        throw FileError{std::string("bxpack: ") + error.GetMessage()};
    }
}

// Printable bytes as they are, others as \xNN, so that a hostile name cannot
// garble the terminal.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            quoted += char(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            quoted += escape;
        }
    }
    return quoted + "\"";
}

const char* KindName(int32_t type) {
    switch (type) {
    case PXR_BLOCK_WRAP:
        return "wrapped file";
    case PXR_BLOCK_TEXT:
        return "text";
    case PXR_BLOCK_SCRIPT:
        return "script";
    default:
        return "unknown";
    }
}

void List(const std::string& path) {
    const std::string where = "bxpack: " + path + ": ";
    {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw FileError{where + "cannot open: " + std::strerror(errno)};
        char magic[4] = {};
        file.read(magic, 4);
        if (std::memcmp(magic, "PXRF", 4) != 0)
            throw FileError{where + "not a PXR container (it does not start with PXRF)"};
    }
    pxrInputFile input(path.c_str());
    if (!input.IsOpen())
        throw FileError{where + "cannot open"};
    input.SetSourceComplete(true);
    input.SetInputBufferSize(65536);
    constexpr int32_t kPiece = 1 << 20;
    // A block's line is begun before its body is read, so that an error names it.
    bool lineOpen = false;
    try {
        for (int index = 0;; ++index) {
            // With a complete source, 0 is a block of type 0, not a wait.
            if (input.NextBlock() == kPxrEndBlock) {
                if (input.SourceExhausted())
                    throw FileError{where + "the file ends before its end block"};
                std::printf("end\n");
                return;
            }
            const int32_t type = input.GetType();
            std::printf("block %d: type %d (%s), flags 0x%04x, stored %u, extra %u, name %s", index,
                        type, KindName(type), input.GetFlags(), input.GetLength(), input.GetExtra(),
                        Quoted(input.GetName()).c_str());
            lineOpen = true;
            const std::string cutShort = where + "block " + std::to_string(index) + " is cut short";
            if (type == PXR_BLOCK_WRAP) {
                pxrBlockWrap wrap;
                while (!wrap.Load(input, kPiece)) {
                    if (wrap.GetDataSize() == 0)
                        throw FileError{cutShort};
                }
                std::printf(", file %s %u bytes", Quoted(wrap.GetOriginalName()).c_str(),
                            wrap.GetOriginalSize());
            } else if (type == PXR_BLOCK_TEXT || type == PXR_BLOCK_SCRIPT) {
                pxrBlockText text{uint16_t(type)};
                if (!text.Load(input, 0))
                    throw FileError{cutShort};
                std::printf(", %s %u bytes", KindName(type), text.GetTextLength());
            }
            std::printf("\n");
            lineOpen = false;
        }
    } catch (const pxError& error) {
        if (lineOpen)
            std::printf("\n");
        throw FileError{where + error.GetMessage()};
    } catch (const FileError&) {
        if (lineOpen)
            std::printf("\n");
        throw;
    }
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2)
            throw UsageError{""};
        const std::string first = argv[1];
        if (first == "--help" || first == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (first == "--list") {
            if (argc != 3)
                throw UsageError{"bxpack: --list takes one file"};
            List(argv[2]);
            return 0;
        }
        Pack(ParsePack(argc, argv));
        return 0;
    } catch (const UsageError& error) {
        if (!error.message.empty())
            std::fprintf(stderr, "%s\n", error.message.c_str());
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const FileError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.message.c_str());
        return 1;
    } catch (const pxError& error) {
        std::fprintf(stderr, "bxpack: %s\n", error.GetMessage());
        return 1;
    }
}
