// The page parser: text runs in reading order, embedded files with their
// attributes where they stand, sizes and types, and pages that are broken
// or built to hurt.
#include "bxpage/page.h"

#include <gtest/gtest.h>

#include <string>

using namespace bxpage;

namespace {

// The page's items as one line each: "T:text", "B", "E0".
std::vector<std::string> Items(const Page& page) {
    std::vector<std::string> items;
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Kind::Text:
            items.push_back("T:" + item.text);
            break;
        case PageItem::Kind::Break:
            items.push_back("B");
            break;
        case PageItem::Kind::Embed:
            items.push_back("E" + std::to_string(item.embed));
            break;
        }
    }
    return items;
}

std::string Attributes(const Embed& embed) {
    std::string text;
    for (const Attribute& attribute : embed.attributes)
        text += (text.empty() ? "" : " ") + attribute.name +
                (attribute.value ? "=" + *attribute.value : "");
    return text;
}

} // namespace

TEST(Page, TextAndEmbedsInReadingOrder) {
    const Page page = ParsePage("<html><head><title> Two\n  pictures </title>"
                                "<style>p { color: red }</style><script>var x;</script></head>"
                                "<body><h1>Stereo</h1><p>Hello   <b>wide</b>\n world: "
                                "<embed src=a.jps> and <EMBED SRC=b.pns>after.</p>"
                                "<p>line<br>next<br><br>last</p>"
                                "<noembed>no plug-in</noembed>"
                                "<table><tr><td>a</td><td>b</td></tr></table>"
                                "<pre>one  two\nthree</pre>caf&eacute; &amp; more</body></html>");
    EXPECT_EQ(page.title, "Two pictures");
    const std::vector<std::string> expected = {"T:Stereo",
                                               "B",
                                               "T:Hello wide world: ",
                                               "E0",
                                               "T: and ",
                                               "E1",
                                               "T:after.",
                                               "B",
                                               "T:line",
                                               "B",
                                               "T:next",
                                               "B",
                                               "B",
                                               "T:last",
                                               "B",
                                               "T:a b",
                                               "B",
                                               "T:one  two",
                                               "B",
                                               "T:three",
                                               "B",
                                               "T:café & more"};
    EXPECT_EQ(Items(page), expected);
    ASSERT_EQ(page.embeds.size(), 2u);
    EXPECT_EQ(page.embedsLeftOut, 0u);
    // libxml2 nests text after an unclosed EMBED inside it; it still reads
    // after the box.
    const Page nested = ParsePage("<embed src=x>inside<embed src=y>deeper");
    EXPECT_EQ(Items(nested), (std::vector<std::string>{"E0", "T:inside", "E1", "T:deeper"}));
    // Before any text, the parser puts EMBED in HEAD: still on the page.
    const Page early = ParsePage("<title>T</title><embed src=a><meta name=x><embed src=b>");
    EXPECT_EQ(early.title, "T");
    EXPECT_EQ(Items(early), (std::vector<std::string>{"E0", "E1"}));
}

TEST(Page, EmbedAttributesInOrderAsWritten) {
    const Page page = ParsePage("<EMBED SRC=\"left.jps\" Width=200 hidden HEIGHT='1&amp;0' "
                                "empty=\"\" src=again palette=foreground>"
                                "<Embed type=image/x-pns>");
    ASSERT_EQ(page.embeds.size(), 2u);
    const Embed& first = page.embeds[0];
    // Names come in lower case from the parser; a repeated name is dropped.
    EXPECT_EQ(Attributes(first),
              "src=left.jps width=200 hidden height=1&0 empty= palette=foreground");
    ASSERT_EQ(first.attributes.size(), 6u);
    EXPECT_FALSE(first.attributes[2].value.has_value()); // bare
    ASSERT_TRUE(first.attributes[4].value.has_value());  // empty, not bare
    EXPECT_EQ(*first.attributes[4].value, "");
    ASSERT_NE(first.Find("SRC"), nullptr);
    EXPECT_EQ(*first.Find("SRC"), "left.jps");
    EXPECT_EQ(first.Find("hidden"), nullptr);
    EXPECT_EQ(first.Find("type"), nullptr);
    EXPECT_EQ(Attributes(page.embeds[1]), "type=image/x-pns");
}

TEST(Page, SizesTypesAndTheLimitOfEmbeds) {
    const Page page = ParsePage("<embed width=200 height=100><embed><embed width=99999999 "
                                "height=-5><embed width=50% height=abc><embed width=' 64px' "
                                "height=0><embed width=123456789012345678901234 height=+7>"
                                "<embed width height=4096>");
    ASSERT_EQ(page.embeds.size(), 7u);
    const auto size = [&page](std::size_t i) {
        const EmbedSize s = SizeOf(page.embeds[i]);
        return std::to_string(s.width) + "x" + std::to_string(s.height);
    };
    EXPECT_EQ(size(0), "200x100");
    EXPECT_EQ(size(1), "320x240");
    EXPECT_EQ(size(2), "4096x1");
    EXPECT_EQ(size(3), "320x240");
    EXPECT_EQ(size(4), "64x1");
    EXPECT_EQ(size(5), "4096x7");
    EXPECT_EQ(size(6), "320x4096");

    EXPECT_EQ(MimeTypeOfName("pictures/Scene.JPS"), "image/x-jps");
    EXPECT_EQ(MimeTypeOfName("/a/b.pns?x=1.jpg#frag"), "image/x-pns");
    EXPECT_EQ(MimeTypeOfName("tour.pxr"), "image/x-pxr");
    EXPECT_EQ(MimeTypeOfName("camera.mpo"), "image/x-mpo");
    EXPECT_EQ(MimeTypeOfName("dir.jps/file"), "");
    EXPECT_EQ(MimeTypeOfName("photo.jpg"), "");

    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "<embed src=e" + std::to_string(i) + ".jps></embed>word ";
    const Page capped = ParsePage(many, 64);
    ASSERT_EQ(capped.embeds.size(), 64u);
    EXPECT_EQ(capped.embedsLeftOut, 36u);
    EXPECT_EQ(*capped.embeds[63].Find("src"), "e63.jps");
    // The text past the last embed shown is still there.
    std::string words = "T:word";
    for (int i = 64; i < 100; ++i)
        words += " word";
    EXPECT_EQ(Items(capped).back(), words);
}

TEST(Page, BrokenAndHostileHtmlStillGivesAPage) {
    EXPECT_TRUE(ParsePage("").items.empty());
    EXPECT_EQ(Items(ParsePage("<p>unclosed <b>bold <i>both <embed src=x")),
              (std::vector<std::string>{"T:unclosed bold both ", "E0"}));
    // Deep nesting: the parser stops at its depth limit, we do not recurse.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<div><span>";
    deep += "bottom";
    const Page nested = ParsePage(deep);
    EXPECT_LE(nested.items.size(), 1u);
    // Bytes that are no HTML at all, a NUL among them.
    std::string noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>((i * 7919 + 13) % 256);
    const Page garbage = ParsePage(noise);
    for (const PageItem& item : garbage.items)
        EXPECT_LT(item.embed, garbage.embeds.size() + 1);
    const Page attributes = ParsePage("<embed " + std::string(50000, 'a') + "=1 b=\"unclosed>");
    EXPECT_LE(attributes.embeds.size(), 1u);
}
