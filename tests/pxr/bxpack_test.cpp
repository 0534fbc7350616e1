// The bxpack program end to end: containers packed from the sample pictures
// and texts, read back through the reader and listed, and its errors and
// exit statuses.
#include "pxrfixtures.h"

#include "imagefile/plainfixtures.h"

#include "../support/programrun.h"
#include "../support/slurp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace pxrfixtures;
using fixtures::TempDir;

namespace {

PxrBytes Bytes(const std::string& text) {
    return PxrBytes(text.begin(), text.end());
}

// Runs bxpack in the test's directory, where its log goes too.
ProgramRun Pack(const std::string& arguments, const TempDir& dir) {
    return RunProgram(BXPACK_PROGRAM, arguments, dir.PathOf("stderr.txt"), dir.PathOf(""));
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

PxrOutBlock OutBlock(uint16_t type, PxrBytes body, bool compressed,
                     std::optional<std::string> name = std::nullopt,
                     std::optional<uint32_t> extra = std::nullopt) {
    PxrOutBlock block;
    block.type = type;
    block.body = std::move(body);
    block.compressed = compressed;
    block.name = std::move(name);
    block.extra = extra;
    return block;
}

} // namespace

TEST(Bxpack, PackedContainersReadBackThroughTheReaderAndList) {
    const TempDir dir;
    const std::string sample = std::string(BINOXA_SAMPLES_DIR) + "/scene.jps";
    const PxrBytes picture = Bytes(Slurp(sample));
    ASSERT_GT(picture.size(), 1000u);
    const std::string notesText = "line one\nline two\n";
    const std::string scriptText = "show scene.jps\nwait 5\n";
    const PxrBytes raw = Payload(100);
    const std::string notes = dir.Write("notes.txt", Bytes(notesText));
    const std::string script = dir.Write("show.scr", Bytes(scriptText));
    const std::string rawPath = dir.Write("raw.bin", raw);
    const std::string out = dir.PathOf("show.pxr");

    const ProgramRun run = Pack("-o " + Quote(out) + " --wrap " + Quote(sample) +
                                    " --store --name 'stored copy' --wrap " + Quote(sample) +
                                    " --text 'Hello, viewer' --name notes --extra 0x1234"
                                    " --text-file " +
                                    Quote(notes) + " --compress --script " + Quote(script) +
                                    " --block 77 " + Quote(rawPath),
                                dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    // Each item as the writer makes it, in the order given, with the defaults:
    // a wrapped file compressed, everything else stored.
    const std::vector<PxrOutBlock> expected = {
        OutBlock(PXR_BLOCK_WRAP, PxrWrapBody("scene.jps", picture), true),
        OutBlock(PXR_BLOCK_WRAP, PxrWrapBody("scene.jps", picture), false, "stored copy"),
        OutBlock(PXR_BLOCK_TEXT, PxrTextBody("Hello, viewer"), false),
        OutBlock(PXR_BLOCK_TEXT, PxrTextBody(notesText), false, "notes", 0x1234),
        OutBlock(PXR_BLOCK_SCRIPT, PxrTextBody(scriptText), true),
        OutBlock(77, raw, false),
    };
    std::vector<PxrBytes> encoded;
    for (const PxrOutBlock& block : expected)
        encoded.push_back(PxrEncodeBlock(block));
    EXPECT_TRUE(Bytes(Slurp(out)) == Container(encoded));

    // Through the viewer's reader, as the viewer will: a complete file.
    pxrInputFile input(out.c_str());
    input.SetSourceComplete(true);
    for (const bool stored : {false, true}) {
        ASSERT_EQ(input.NextBlock(), PXR_BLOCK_WRAP);
        EXPECT_EQ(input.IsCompressed(), !stored);
        EXPECT_STREQ(input.GetName(), stored ? "stored copy" : "");
        pxrBlockWrap wrap;
        PxrBytes delivered;
        for (int i = 0; i < 1000; ++i) {
            const int32_t done = wrap.Load(input, 10240);
            delivered.insert(delivered.end(), wrap.GetData(), wrap.GetData() + wrap.GetDataSize());
            if (done)
                break;
        }
        EXPECT_EQ(wrap.GetOriginalName(), "scene.jps");
        EXPECT_TRUE(delivered == picture);
    }
    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_TEXT);
    pxrBlockText hello;
    ASSERT_EQ(hello.Load(input, 0), 1);
    EXPECT_EQ(std::string(hello.GetText(), hello.GetTextLength()), "Hello, viewer");
    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_TEXT);
    EXPECT_STREQ(input.GetName(), "notes");
    EXPECT_EQ(input.GetExtra(), 0x1234u);
    pxrBlockText notesBlock;
    ASSERT_EQ(notesBlock.Load(input, 0), 1);
    EXPECT_EQ(std::string(notesBlock.GetText(), notesBlock.GetTextLength()), notesText);
    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_SCRIPT);
    EXPECT_TRUE(input.IsCompressed());
    pxrBlockText scriptBlock(PXR_BLOCK_SCRIPT);
    ASSERT_EQ(scriptBlock.Load(input, 0), 1);
    EXPECT_EQ(std::string(scriptBlock.GetText(), scriptBlock.GetTextLength()), scriptText);
    ASSERT_EQ(input.NextBlock(), 77);
    EXPECT_EQ(ReadBody(input), raw);
    EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
    EXPECT_FALSE(input.SourceExhausted());

    const auto stored = [&](size_t i) { return std::to_string(encoded[i].size() - 8); };
    const std::string size = std::to_string(picture.size());
    const ProgramRun list = Pack("--list " + Quote(out), dir);
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.err, "");
    EXPECT_EQ(list.out,
              "block 0: type 6 (wrapped file), flags 0x8000, stored " + stored(0) +
                  ", extra 0, name \"\", file \"scene.jps\" " + size +
                  " bytes\n"
                  "block 1: type 6 (wrapped file), flags 0x2000, stored " +
                  stored(1) + ", extra 0, name \"stored copy\", file \"scene.jps\" " + size +
                  " bytes\n"
                  "block 2: type 9 (text), flags 0x0000, stored 17, extra 0, name \"\", text 13 "
                  "bytes\n"
                  "block 3: type 9 (text), flags 0x6000, stored 32, extra 4660, name \"notes\", "
                  "text 18 bytes\n"
                  "block 4: type 11 (script), flags 0x8000, stored " +
                  stored(4) +
                  ", extra 0, name \"\", script 22 bytes\n"
                  "block 5: type 77 (unknown), flags 0x0000, stored 100, extra 0, name \"\"\n"
                  "end\n");

    // No items: the end block alone.
    const std::string empty = dir.PathOf("empty.pxr");
    ASSERT_EQ(Pack(Quote(empty), dir).status, 0);
    EXPECT_TRUE(Bytes(Slurp(empty)) == Container({}));
    EXPECT_EQ(Pack("--list " + Quote(empty), dir).out, "end\n");
}

TEST(Bxpack, ErrorsGoToStandardErrorWithTheirStatus) {
    const TempDir dir;
    const std::string usage = "usage: bxpack [-o] OUT.pxr ITEM...\n"
                              "       bxpack --list FILE\n"
                              "       bxpack --help\n";
    const ProgramRun help = Pack("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, usage.size()), usage);
    EXPECT_NE(help.out.find("--block TYPE FILE"), std::string::npos);

    const std::string out = dir.PathOf("out.pxr");
    struct Usage {
        std::string arguments;
        std::string message;
    };
    const Usage usages[] = {
        {"", ""},
        {Quote(out) + " --bogus", "bxpack: unknown item '--bogus'\n"},
        {Quote(out) + " --text a --name x", "bxpack: --name has no item after it\n"},
        {Quote(out) + " --block 0 x", "bxpack: --block needs a number from 1 to 65535, not '0'\n"},
        {Quote(out) + " --extra 1x --text a",
         "bxpack: --extra needs a number from 0 to 4294967295, not '1x'\n"},
        {Quote(out) + " --wrap", "bxpack: --wrap needs an argument\n"},
        {"--text a", "bxpack: the output file must come first\n"},
        {"--list", "bxpack: --list takes one file\n"},
    };
    for (const Usage& u : usages) {
        SCOPED_TRACE(u.arguments);
        const ProgramRun run = Pack(u.arguments, dir);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, u.message + usage);
        EXPECT_FALSE(std::filesystem::exists(out));
    }

    ProgramRun run = Pack(Quote(out) + " --wrap /nonexistent/scene.jps", dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "bxpack: /nonexistent/scene.jps: cannot open: No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    run = Pack("/nonexistent/out.pxr --text a", dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "bxpack: /nonexistent/out.pxr: cannot create: No such file or directory\n");

    // Listing files that are not whole containers.
    const PxrBytes picture = Payload(5000);
    const PxrBytes whole = Container({Block(PXR_BLOCK_WRAP, PxrWrapBody("p", picture), true)});
    PxrBytes damaged = whole;
    damaged[16 + 1000] ^= 0xFF;
    damaged[16 + 1001] ^= 0x5A;
    const PxrBytes hugeText = Concat(Little32(0xFFFFFFF0), {'a'});
    const std::string stored = std::to_string(whole.size() - 24);
    const std::string wrapLine =
        "block 0: type 6 (wrapped file), flags 0x8000, stored " + stored + ", extra 0, name \"\"";
    struct Listing {
        PxrBytes bytes;
        std::string out;
        std::string message;
    };
    const Listing listings[] = {
        {Bytes("GIF89a......"), "", "not a PXR container (it does not start with PXRF)"},
        {PxrBytes(whole.begin(), whole.end() - 8), wrapLine + ", file \"p\" 5000 bytes\n",
         "the file ends before its end block"},
        {PxrBytes(whole.begin(), whole.begin() + 16 + 100), wrapLine + "\n",
         "block 0 is cut short"},
        {damaged, wrapLine + "\n",
         "Data Error on PXR file.  File may be corrupt!  Try again and if problem persist, please "
         "notify the owner/author of this PXR file"},
        {Container({Block(PXR_BLOCK_TEXT, hugeText)}),
         "block 0: type 9 (text), flags 0x0000, stored 5, extra 0, name \"\"\n",
         "Error loading PXR block.  This PXR file may be corrupt."},
    };
    for (const Listing& listing : listings) {
        SCOPED_TRACE(listing.message);
        const std::string path = dir.Write("bad.pxr", listing.bytes);
        run = Pack("--list " + Quote(path), dir);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, listing.out);
        EXPECT_EQ(run.err, "bxpack: " + path + ": " + listing.message + "\n");
    }
    run = Pack("--list /nonexistent/show.pxr", dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "bxpack: /nonexistent/show.pxr: cannot open: No such file or directory\n");
}
