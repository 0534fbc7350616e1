// The container reader: walking the blocks, bodies stored and inflated,
// loaders resuming as data arrives, and the refusal of whatever a block
// cannot hold.
#include "pxrfixtures.h"

#include "imagefile/plainfixtures.h"
#include "support/capturedlog.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace pxrfixtures;
using fixtures::TempDir;

namespace {

constexpr const char* kOverRead = "pxrInput::ReadData -- WARNING: Over Read 1";
constexpr const char* kCorrupt = "Error loading PXR block.  This PXR file may be corrupt.";
constexpr const char* kDataError =
    "Data Error on PXR file.  File may be corrupt!  Try again and if problem persist, please "
    "notify the owner/author of this PXR file";

// The zlib stream bxpack's writer makes of a body.
PxrBytes Deflated(const PxrBytes& body) {
    PxrBytes block = Block(1, body, true);
    return PxrBytes(block.begin() + 8, block.end());
}

PxrBytes TextBlock(const std::string& text, uint16_t type = PXR_BLOCK_TEXT) {
    return Block(type, PxrTextBody(text));
}

std::string Text(const pxrBlockText& text) {
    return std::string(text.GetText(), text.GetTextLength());
}

// Loads a text block that is all there.
std::string LoadText(pxrInput& input, uint16_t type = PXR_BLOCK_TEXT) {
    pxrBlockText text(type);
    EXPECT_EQ(text.Load(input, 0), 1);
    return Text(text);
}

PxrBytes ReadExactly(pxrInput& input, int32_t count) {
    PxrBytes out(static_cast<size_t>(count));
    int32_t got = 0;
    while (got < count) {
        const int32_t n = input.ReadData(out.data() + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    out.resize(size_t(got));
    return out;
}

long MaxResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Calls step until it answers nonzero, growing the source between calls; 0
// when it waits with all the data there.
template <typename Step> int32_t Answer(MemorySource& source, size_t growth, Step step) {
    for (;;) {
        const int32_t answer = step();
        if (answer != 0 || source.AllAvailable())
            return answer;
        source.Grow(growth);
    }
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(PxrInput, AContainerOfTheEndBlockAloneEndsAtOnceAndStaysEnded) {
    PxrBytes bytes = Container({});
    // The file header's second word is nobody's business.
    bytes[4] = 0xDE;
    bytes[7] = 0xAD;
    MemorySource memory(bytes);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(memory.NextBlock(), kPxrEndBlock);
    EXPECT_EQ(memory.GetType(), 0);
    EXPECT_EQ(memory.GetLength(), 0u);
    EXPECT_STREQ(memory.GetName(), "");
    EXPECT_EQ(ThrownMessage([&] {
                  char c;
                  memory.ReadData(&c, 1);
              }),
              kOverRead);

    const TempDir dir;
    pxrInputFile file(dir.Write("empty.pxr", bytes).c_str());
    EXPECT_TRUE(file.IsOpen());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(file.NextBlock(), kPxrEndBlock);

    // Arriving a byte at a time: 0 until the 16th byte, nothing lost between.
    MemorySource trickle(bytes, 1, 0);
    int waits = 0;
    int32_t answer;
    while ((answer = trickle.NextBlock()) == 0 && waits < 100) {
        trickle.Grow(1);
        ++waits;
    }
    EXPECT_EQ(answer, kPxrEndBlock);
    EXPECT_EQ(waits, 16);
    EXPECT_EQ(trickle.NextBlock(), kPxrEndBlock);
}

TEST(PxrInput, AnUnknownBlockIsPassedOverWhateverPartOfItWasRead) {
    const PxrBytes body = Payload(100, 7);
    const PxrBytes deflated = Deflated(body);
    // The stream may end before its block: stored bytes after it are padding.
    const PxrBytes padded = RawBlock(77, PXR_FLAG_COMPRESSED, uint32_t(deflated.size() + 5),
                                     Concat(deflated, {9, 9, 9, 9, 9}));
    struct Form {
        const char* what;
        PxrBytes block;
        bool compressed;
    };
    const Form forms[] = {{"stored", Block(77, body), false},
                          {"compressed", Block(77, body, true), true},
                          {"compressed with padding", padded, true}};
    for (const Form& form : forms) {
        for (const int32_t readCount : {0, 37, 100}) {
            for (const int32_t bufferSize : {1, 7, 1024}) {
                SCOPED_TRACE(std::string(form.what) + ", " + std::to_string(readCount) +
                             " bytes read, buffer " + std::to_string(bufferSize));
                MemorySource input(Container({form.block, TextBlock("after")}));
                input.SetInputBufferSize(bufferSize);
                ASSERT_EQ(input.NextBlock(), 77);
                EXPECT_EQ(input.IsCompressed(), form.compressed);
                EXPECT_EQ(input.GetLength(), form.block.size() - 8);
                const PxrBytes read = ReadExactly(input, readCount);
                EXPECT_EQ(read, PxrBytes(body.begin(), body.begin() + readCount));
                if (readCount == 100) {
                    // Nothing beyond the body, padding or not.
                    EXPECT_EQ(ReadBody(input), PxrBytes());
                    EXPECT_EQ(input.MaxBodyBytes(), 0u);
                }
                ASSERT_EQ(input.NextBlock(), PXR_BLOCK_TEXT);
                EXPECT_EQ(LoadText(input), "after");
                EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
            }
        }
    }
}

TEST(PxrInput, AWrappedFileArrivesInPiecesThroughAnyBufferAndSource) {
    const PxrBytes original = Payload(30000, 3);
    struct Source {
        const char* what;
        int32_t perRead;
        size_t initially;
        size_t growth; // 0: all there from the start
    };
    const Source sources[] = {{"whole", 1 << 30, SIZE_MAX, 0},
                              {"3 bytes a read", 3, SIZE_MAX, 0},
                              {"growing 5 bytes at a time", 2, 0, 5}};
    for (const bool compressed : {true, false}) {
        const PxrBytes container =
            Container({Block(PXR_BLOCK_WRAP, PxrWrapBody("scene.jps", original), compressed),
                       TextBlock("caption")});
        for (const int32_t bufferSize : {1, 7, 1024, 65536}) {
            for (const Source& source : sources) {
                SCOPED_TRACE(std::string(compressed ? "compressed, " : "stored, ") + source.what +
                             ", buffer " + std::to_string(bufferSize));
                MemorySource input(container, source.perRead, source.initially);
                input.SetInputBufferSize(bufferSize);
                const auto next = [&] { return input.NextBlock(); };
                ASSERT_EQ(Answer(input, source.growth, next), PXR_BLOCK_WRAP);
                pxrBlockWrap wrap;
                PxrBytes delivered;
                std::vector<int32_t> pieces;
                while (true) {
                    const int32_t done = wrap.Load(input, 4096);
                    if (wrap.GetDataSize() > 0) {
                        delivered.insert(delivered.end(), wrap.GetData(),
                                         wrap.GetData() + wrap.GetDataSize());
                        pieces.push_back(wrap.GetDataSize());
                    }
                    if (done)
                        break;
                    if (wrap.GetDataSize() == 0) {
                        if (input.AllAvailable())
                            FAIL() << "Load waits with all the data there";
                        input.Grow(source.growth);
                    }
                }
                EXPECT_EQ(wrap.GetOriginalName(), "scene.jps");
                EXPECT_EQ(wrap.GetOriginalSize(), original.size());
                EXPECT_TRUE(delivered == original);
                if (source.growth == 0) {
                    std::vector<int32_t> expected(7, 4096);
                    expected.push_back(30000 - 7 * 4096);
                    EXPECT_EQ(pieces, expected);
                } else {
                    for (const int32_t piece : pieces)
                        EXPECT_LE(piece, 4096);
                }
                ASSERT_EQ(Answer(input, source.growth, next), PXR_BLOCK_TEXT);
                pxrBlockText text;
                EXPECT_EQ(Answer(input, source.growth, [&] { return text.Load(input, 0); }), 1);
                EXPECT_EQ(Text(text), "caption");
                EXPECT_EQ(Answer(input, source.growth, next), kPxrEndBlock);
            }
        }
    }

    // Piece size 0: the whole file in one piece.
    MemorySource whole(Container({Block(PXR_BLOCK_WRAP, PxrWrapBody("", original), true)}));
    ASSERT_EQ(whole.NextBlock(), PXR_BLOCK_WRAP);
    pxrBlockWrap wrap;
    EXPECT_EQ(wrap.Load(whole, 0), 1);
    EXPECT_EQ(wrap.GetDataSize(), 30000);
    EXPECT_EQ(PxrBytes(wrap.GetData(), wrap.GetData() + wrap.GetDataSize()), original);
    EXPECT_EQ(wrap.GetOriginalName(), "");
    // An empty file is complete at once.
    MemorySource empty(Container({Block(PXR_BLOCK_WRAP, PxrWrapBody("none", {}))}));
    ASSERT_EQ(empty.NextBlock(), PXR_BLOCK_WRAP);
    pxrBlockWrap nothing;
    EXPECT_EQ(nothing.Load(empty, 4096), 1);
    EXPECT_EQ(nothing.GetDataSize(), 0);
    EXPECT_EQ(nothing.GetOriginalName(), "none");
}

TEST(PxrInput, NumbersArrivingInPartsAreKeptUntilWhole) {
    const CapturedLog log;
    const PxrBytes body = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
    MemorySource whole(Container({Block(77, body, true), Block(78, body)}));
    for (const int32_t type : {77, 78}) {
        ASSERT_EQ(whole.NextBlock(), type);
        uint16_t small = 0;
        uint32_t large = 0;
        EXPECT_EQ(whole.ReadUInt16(&small), 2);
        EXPECT_EQ(small, 0x1234);
        EXPECT_EQ(whole.ReadUInt32(&large), 4);
        EXPECT_EQ(large, 0x12345678u);
    }
    EXPECT_EQ(log.Text(), "");
    // Cut inside each number: the bytes that came are kept for the next call.
    const PxrBytes stored = Container({Block(78, body)});
    MemorySource input(stored, 1 << 30, 16 + 1);
    ASSERT_EQ(input.NextBlock(), 78);
    uint16_t small = 0;
    EXPECT_EQ(input.ReadUInt16(&small), 1);
    input.Grow(2);
    EXPECT_EQ(input.ReadUInt16(&small), 2);
    EXPECT_EQ(small, 0x1234);
    uint32_t large = 0;
    EXPECT_EQ(input.ReadUInt32(&large), 1);
    EXPECT_EQ(large, 0u);
    input.Grow(2);
    EXPECT_EQ(input.ReadUInt32(&large), 3);
    input.Grow(1);
    EXPECT_EQ(input.ReadUInt32(&large), 4);
    EXPECT_EQ(large, 0x12345678u);
    EXPECT_EQ(log.Text(), "pxrInput::ReadData -- under-read uInt16 (1, 2)\n"
                          "pxrInput::ReadData -- under-read uInt32 (1, 4)\n"
                          "pxrInput::ReadData -- under-read uInt32 (3, 4)\n");
}

TEST(PxrInput, BlockHeadersCarryTheirNamesAndExtraWords) {
    const std::string longName = std::string(99, 'a') + std::string(201, 'b');
    const auto block = [](std::optional<std::string> name, std::optional<uint32_t> extra,
                          PxrBytes body, bool compressed = false) {
        PxrOutBlock out;
        out.type = 77;
        out.name = std::move(name);
        out.extra = extra;
        out.body = std::move(body);
        out.compressed = compressed;
        return PxrEncodeBlock(out);
    };
    const PxrBytes container = Container({
        block("intro", std::nullopt, {1, 2, 3}),
        block(longName, std::nullopt, {4, 5}),
        block(std::nullopt, 0xDEADBEEF, {6}),
        block("both", 7, Payload(50), true),
        block(std::nullopt, std::nullopt, {8}),
        // A name without its zero byte ends with the block.
        RawBlock(77, PXR_FLAG_NAME, 4, {'a', 'b', 'c', 'd'}),
    });
    for (const int32_t bufferSize : {1, 1024}) {
        SCOPED_TRACE(bufferSize);
        MemorySource input(container);
        input.SetInputBufferSize(bufferSize);
        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_STREQ(input.GetName(), "intro");
        EXPECT_EQ(input.GetFlags(), PXR_FLAG_NAME);
        EXPECT_EQ(input.GetExtra(), 0u);
        EXPECT_EQ(input.GetLength(), 6u + 3u);
        EXPECT_EQ(ReadBody(input), PxrBytes({1, 2, 3}));

        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_EQ(std::string(input.GetName()), std::string(99, 'a'));
        EXPECT_EQ(ReadBody(input), PxrBytes({4, 5})) << "the rest of the name is passed over";

        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_STREQ(input.GetName(), "");
        EXPECT_EQ(input.GetFlags(), PXR_FLAG_EXTRA);
        EXPECT_EQ(input.GetExtra(), 0xDEADBEEFu);
        EXPECT_EQ(ReadBody(input), PxrBytes({6}));

        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_STREQ(input.GetName(), "both");
        EXPECT_EQ(input.GetExtra(), 7u);
        EXPECT_EQ(input.GetFlags(), PXR_FLAG_COMPRESSED | PXR_FLAG_EXTRA | PXR_FLAG_NAME);
        EXPECT_TRUE(input.IsCompressed());
        EXPECT_EQ(ReadBody(input, 7), Payload(50));

        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_STREQ(input.GetName(), "");
        EXPECT_EQ(input.GetExtra(), 0u);
        EXPECT_EQ(input.GetFlags(), 0);
        EXPECT_FALSE(input.IsCompressed());
        EXPECT_EQ(ReadBody(input), PxrBytes({8}));

        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_STREQ(input.GetName(), "abcd");
        EXPECT_EQ(input.MaxBodyBytes(), 0u);
        EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
    }

    // Lengths too short for the fields the flags announce.
    const CapturedLog log;
    for (const PxrBytes& bad :
         {RawBlock(77, PXR_FLAG_EXTRA, 3, {1, 2, 3}), RawBlock(77, PXR_FLAG_NAME, 0, {}),
          RawBlock(77, PXR_FLAG_EXTRA | PXR_FLAG_NAME, 4, {1, 2, 3, 4})}) {
        MemorySource input(Container({bad}));
        EXPECT_EQ(ThrownMessage([&] { input.NextBlock(); }), kCorrupt);
    }
    EXPECT_EQ(log.Text(), "pxrInput::NextBlock -- a block of 3 bytes cannot hold its extra word\n"
                          "pxrInput::NextBlock -- a block of 0 bytes cannot hold its name\n"
                          "pxrInput::NextBlock -- a block of 4 bytes cannot hold its name\n");
}

TEST(PxrInput, ReadingBeyondItsBlockIsRefused) {
    const CapturedLog log;
    const PxrBytes payload = Payload(5000, 11);
    const PxrBytes stream = Deflated(payload);
    // The first half of a stream: it cannot end within its block.
    const PxrBytes half(stream.begin(), stream.begin() + stream.size() / 2);
    const PxrBytes cutWrap = Deflated(PxrWrapBody("cut", payload));
    const PxrBytes container = Container(
        {Block(77, {1, 2, 3}), RawBlock(77, PXR_FLAG_COMPRESSED, uint32_t(half.size()), half),
         RawBlock(PXR_BLOCK_WRAP, PXR_FLAG_COMPRESSED, uint32_t(cutWrap.size() / 2),
                  PxrBytes(cutWrap.begin(), cutWrap.begin() + cutWrap.size() / 2)),
         TextBlock("next")});
    MemorySource input(container);
    ASSERT_EQ(input.NextBlock(), 77);
    EXPECT_EQ(ReadBody(input), PxrBytes({1, 2, 3}));
    char c;
    EXPECT_EQ(ThrownMessage([&] { input.ReadData(&c, 1); }), kOverRead);
    EXPECT_EQ(log.Text(), std::string(kOverRead) + "\n");

    ASSERT_EQ(input.NextBlock(), 77);
    PxrBytes delivered;
    const std::string message = ThrownMessage([&] {
        for (int i = 0; i < 100; ++i) {
            unsigned char part[512];
            const int32_t got = input.ReadData(part, sizeof part);
            delivered.insert(delivered.end(), part, part + got);
        }
    });
    EXPECT_EQ(message, kOverRead);
    EXPECT_GT(delivered.size(), 0u);
    EXPECT_LT(delivered.size(), payload.size());
    EXPECT_TRUE(std::equal(delivered.begin(), delivered.end(), payload.begin()));

    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_WRAP);
    pxrBlockWrap wrap;
    EXPECT_EQ(ThrownMessage([&] {
                  for (int i = 0; i < 100; ++i)
                      wrap.Load(input, 256);
              }),
              kOverRead);

    // The next block's bytes were never fed to zlib.
    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_TEXT);
    EXPECT_EQ(LoadText(input), "next");
    EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
}

TEST(PxrInput, CorruptAndHostileBlocksAreRefused) {
    const CapturedLog log;
    const auto loadText = [](const PxrBytes& container) {
        MemorySource input(container);
        input.SetSourceComplete(true);
        input.NextBlock();
        return ThrownMessage([&] {
            pxrBlockText text;
            for (int i = 0; i < 10 && !text.Load(input, 0); ++i) {
            }
        });
    };
    const auto loadWrap = [](const PxrBytes& container, int32_t piece = 4096) {
        MemorySource input(container);
        input.SetSourceComplete(true);
        input.NextBlock();
        return ThrownMessage([&] {
            pxrBlockWrap wrap;
            for (int i = 0; i < 10 && !wrap.Load(input, piece); ++i) {
            }
        });
    };
    const PxrBytes hugeText = Concat(Little32(0xFFFFFFF0), {'a', 'b', 'c', 'd'});
    EXPECT_EQ(loadText(Container({Block(PXR_BLOCK_TEXT, hugeText)})), kCorrupt);
    EXPECT_EQ(loadText(Container({Block(PXR_BLOCK_TEXT, hugeText, true)})), kCorrupt);
    EXPECT_TRUE(Contains(log.Text(), "pxrBlockText::Load -- the text length (4294967280 bytes) "
                                     "exceeds what the block can hold (4 bytes)\n"));
    // The name, the file, and a file longer than its stream.
    EXPECT_EQ(loadWrap(Container({Block(PXR_BLOCK_WRAP, Little32(0x80000000), true)})), kCorrupt);
    const PxrBytes named = Concat(Little32(1), {'a'});
    EXPECT_EQ(loadWrap(Container({Block(PXR_BLOCK_WRAP, Concat(named, Little32(0xFFFFFFFF)))})),
              kCorrupt);
    EXPECT_EQ(loadWrap(Container({Block(
                  PXR_BLOCK_WRAP, Concat(Concat(named, Little32(2000)), Payload(1000)), true)})),
              kCorrupt);
    EXPECT_TRUE(Contains(log.Text(), "pxrBlockWrap::Load -- the rest of the file (1000 bytes) "
                                     "exceeds what the block can hold (0 bytes)\n"));
    // Each loader keeps to its own type.
    EXPECT_EQ(loadWrap(Container({TextBlock("text")})), kCorrupt);
    EXPECT_EQ(loadText(Container({Block(PXR_BLOCK_WRAP, PxrWrapBody("a", {1}))})), kCorrupt);
    EXPECT_TRUE(
        Contains(log.Text(), "pxrBlockWrap::Load -- current block type is 9, expecting 6\n"));
    EXPECT_TRUE(
        Contains(log.Text(), "pxrBlockText::Load -- current block type is 6, expecting 9\n"));

    // Damaged zlib streams, in the header and in the middle.
    for (const size_t at : {size_t(0), size_t(40)}) {
        PxrBytes stream = Deflated(Payload(2000));
        stream[at] ^= 0xFF;
        stream[at + 1] ^= 0x5A;
        MemorySource input(
            Container({RawBlock(77, PXR_FLAG_COMPRESSED, uint32_t(stream.size()), stream)}));
        ASSERT_EQ(input.NextBlock(), 77);
        EXPECT_EQ(ThrownMessage([&] { ReadBody(input); }), kDataError) << at;
        EXPECT_EQ(ThrownMessage([&] { ReadBody(input); }), kDataError) << "and stays refused";
    }

    // Lengths the data does not back cost no memory: a block that claims 4 GiB
    // in a file of a few bytes.
    const long before = MaxResidentKilobytes();
    const PxrBytes claimText =
        RawBlock(PXR_BLOCK_TEXT, 0, 0xFFFFFFFF, Concat(Little32(0xFFFFFF00), {'x', 'y'}));
    const PxrBytes claimWrap =
        RawBlock(PXR_BLOCK_WRAP, 0, 0xFFFFFFFF, Concat(Concat(named, Little32(0xFFFFFF00)), {'x'}));
    for (const PxrBytes& claim : {claimText, claimWrap}) {
        PxrBytes cut = Container({claim});
        cut.resize(cut.size() - 8);
        MemorySource input(cut);
        input.SetSourceComplete(true);
        ASSERT_NE(input.NextBlock(), 0);
        int32_t done;
        if (input.GetType() == PXR_BLOCK_TEXT) {
            pxrBlockText text;
            done = text.Load(input, 0);
        } else {
            pxrBlockWrap wrap;
            done = wrap.Load(input, 0);
            EXPECT_EQ(wrap.GetDataSize(), 1);
        }
        EXPECT_EQ(done, 0);
        EXPECT_TRUE(input.SourceExhausted());
        EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
    }
    EXPECT_LT(MaxResidentKilobytes() - before, 64 * 1024);
    EXPECT_TRUE(Contains(log.Text(), "pxrInput::NextBlock -- the file ends inside a block\n"));
}

TEST(PxrInput, TheInputBufferCanBeResizedWithoutLosingBytes) {
    MemorySource input(Container({}));
    EXPECT_EQ(ThrownMessage([&] { input.SetInputBufferSize(0); }),
              "pxrInput::SetInputBufferSize -- invalid size: 0");
    EXPECT_EQ(ThrownMessage([&] { input.SetInputBufferSize(-5); }),
              "pxrInput::SetInputBufferSize -- invalid size: -5");
    EXPECT_EQ(input.SetInputBufferSize(16), pxrInput::kDefaultBufferSize);
    EXPECT_EQ(input.SetInputBufferSize(5), 16);

    const PxrBytes body = Payload(3000, 5);
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "stored");
        MemorySource reader(Container({Block(77, body, compressed), TextBlock("tail")}));
        ASSERT_EQ(reader.NextBlock(), 77);
        PxrBytes read = ReadExactly(reader, 100);
        // Bytes read ahead into the large buffer stay when it shrinks, and grows.
        reader.SetInputBufferSize(3);
        read = Concat(read, ReadExactly(reader, 1000));
        reader.SetInputBufferSize(4096);
        read = Concat(read, ReadBody(reader));
        EXPECT_TRUE(read == body);
        ASSERT_EQ(reader.NextBlock(), PXR_BLOCK_TEXT);
        EXPECT_EQ(LoadText(reader), "tail");
    }
}

TEST(PxrInput, ACompleteSourceCutInsideAHeaderEndsThere) {
    const CapturedLog log;
    PxrOutBlock block;
    block.type = PXR_BLOCK_SCRIPT;
    block.extra = 1;
    block.name = "run";
    block.body = PxrTextBody("go");
    const PxrBytes full = Container({PxrEncodeBlock(block)});
    struct Cut {
        size_t at;
        const char* where;
    };
    // File header 8, block header 8, extra 4, name 4, then the body.
    const Cut cuts[] = {{5, "the file header"},
                        {8 + 5, "a block header"},
                        {16 + 2, "a block header"},
                        {20 + 2, "a block header"},
                        {24 + 3, "a block"}};
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.at);
        const PxrBytes part(full.begin(), full.begin() + cut.at);
        const bool inBody = std::string(cut.where) == "a block";
        // Growing: wait for more.
        MemorySource growing(part);
        if (inBody) {
            ASSERT_EQ(growing.NextBlock(), PXR_BLOCK_SCRIPT);
        }
        EXPECT_EQ(growing.NextBlock(), 0);
        EXPECT_EQ(growing.NextBlock(), 0);
        // Complete: that is the end.
        const TempDir dir;
        pxrInputFile complete(dir.Write("cut.pxr", part).c_str());
        complete.SetSourceComplete(true);
        if (inBody) {
            ASSERT_EQ(complete.NextBlock(), PXR_BLOCK_SCRIPT);
            EXPECT_EQ(complete.GetExtra(), 1u);
            EXPECT_STREQ(complete.GetName(), "run");
            pxrBlockText script(PXR_BLOCK_SCRIPT);
            EXPECT_EQ(script.Load(complete, 0), 0);
            EXPECT_TRUE(complete.SourceExhausted());
        }
        const std::string before = log.Text();
        EXPECT_EQ(complete.NextBlock(), kPxrEndBlock);
        EXPECT_EQ(log.Text().substr(before.size()),
                  std::string("pxrInput::NextBlock -- the file ends inside ") + cut.where + "\n");
        EXPECT_EQ(complete.GetType(), 0);
        EXPECT_STREQ(complete.GetName(), "");
        EXPECT_EQ(complete.NextBlock(), kPxrEndBlock);
    }
    // Whole, the script loads.
    MemorySource input(full);
    input.SetSourceComplete(true);
    ASSERT_EQ(input.NextBlock(), PXR_BLOCK_SCRIPT);
    EXPECT_EQ(LoadText(input, PXR_BLOCK_SCRIPT), "go");
    EXPECT_EQ(input.NextBlock(), kPxrEndBlock);
    EXPECT_FALSE(input.SourceExhausted());
}

TEST(PxrInputFile, AMissingFileIsLoggedAndReadsNothingAndSkipKeepsToItsBlock) {
    const CapturedLog log;
    pxrInputFile missing("/nonexistent/binoxa/show.pxr");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(log.Text(),
              "pxrInputFile::pxrInputFile -- could not open file: '/nonexistent/binoxa/show.pxr'\n"
              "\n");
    EXPECT_EQ(missing.NextBlock(), 0);
    EXPECT_EQ(missing.NextBlock(), 0);
    missing.SetSourceComplete(true);
    EXPECT_EQ(missing.NextBlock(), kPxrEndBlock);

    const TempDir dir;
    const PxrBytes body = Payload(10);
    const std::string path = dir.Write("skip.pxr", Container({Block(77, body)}));
    {
        pxrInputFile file(path.c_str());
        ASSERT_EQ(file.NextBlock(), 77);
        const std::string before = log.Text();
        const char* expected = "pxrInputFile::Skip -- size (11) exceeds current block size (10)!";
        EXPECT_EQ(ThrownMessage([&] { file.Skip(11); }), expected);
        EXPECT_EQ(log.Text().substr(before.size()), std::string(expected) + "\n");
        EXPECT_EQ(file.Skip(4), 4);
    }
    {
        // More than the buffer holds: raw reads to the end of the file.
        pxrInputFile file(path.c_str());
        file.SetInputBufferSize(3);
        ASSERT_EQ(file.NextBlock(), 77);
        EXPECT_EQ(file.Skip(10), 10);
    }
}
