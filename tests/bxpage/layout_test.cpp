// The page's flow: words wrapped at the width, boxes in the line where they
// stand and standing on its foot, long words and tiny windows, and the text
// in the code page of the window's font.
#include "bxpage/layout.h"

#include <gtest/gtest.h>

using namespace bxpage;

namespace {

// The window's fixed font: 8 pixels a character.
int Measure(const char*, int count) {
    return count * 8;
}

FlowItem Text(const std::string& text) {
    return {FlowItem::Kind::Text, text, 0, 0};
}
FlowItem Box(int width, int height) {
    return {FlowItem::Kind::Box, {}, width, height};
}
FlowItem Break() {
    return {FlowItem::Kind::Break, {}, 0, 0};
}

std::string Texts(const Placement& placement) {
    std::string all;
    for (const PlacedText& text : placement.texts)
        all += std::to_string(text.x) + "," + std::to_string(text.y) + ":" + text.text + "|";
    return all;
}

} // namespace

TEST(Layout, WrapsWordsAndPlacesBoxesInTheFlow) {
    // 96 pixels less the margins: ten characters a line.
    const Placement placement =
        LayOut({Text("one two three four"), Break(), Text("ab "), Box(40, 50), Text(" c"), Break(),
                Break(), Text("six "), Box(100, 20), Text("seven")},
               96, 16, Measure);
    // "three" would make 13 characters; "three four" is exactly 10. The
    // box's line is as tall as the box, its text standing on the foot; the
    // second break leaves an empty line; a box wider than what is left of
    // the line starts the next, and so does the word after it.
    EXPECT_EQ(Texts(placement),
              "8,8:one two|8,24:three four|8,74:ab|80,74:c|8,106:six|8,142:seven|");
    ASSERT_EQ(placement.boxes.size(), 2u);
    EXPECT_EQ(placement.boxes[0], (PlacedBox{32, 40, 40, 50}));
    EXPECT_EQ(placement.boxes[1], (PlacedBox{8, 122, 100, 20}));
    EXPECT_EQ(placement.height, 158 + 8);
}

TEST(Layout, LongWordsAndTinyWindows) {
    const Placement placement = LayOut({Text(std::string(25, 'x'))}, 96, 16, Measure);
    EXPECT_EQ(Texts(placement), "8,8:xxxxxxxxxx|8,24:xxxxxxxxxx|8,40:xxxxx|");
    // Narrower than the margins: a character a line, boxes sticking out.
    const Placement tiny = LayOut({Text("ab c"), Box(4096, 4096), Text("d")}, 1, 16, Measure);
    EXPECT_EQ(Texts(tiny), "8,8:a|8,24:b|8,40:c|8,4152:d|");
    EXPECT_EQ(tiny.boxes.at(0), (PlacedBox{8, 56, 4096, 4096}));
    // A long text in a narrow window keeps only what a screen could show;
    // the box after it still gets its place.
    const Placement narrow = LayOut({Text(std::string(100000, 'y')), Box(10, 10)}, 1, 16, Measure);
    EXPECT_LE(narrow.texts.size(), 65536u / 16 + 1);
    // (On a line of text height, standing on its foot.)
    EXPECT_EQ(narrow.boxes.at(0), (PlacedBox{8, 8 + 100000 * 16 + 16 - 10, 10, 10}));
    // An empty page is its margins.
    EXPECT_EQ(LayOut({}, 500, 16, Measure).height, 16);
    // Words made of nothing but spaces place nothing.
    EXPECT_TRUE(LayOut({Text("   "), Break(), Text(" ")}, 500, 16, Measure).texts.empty());
}

TEST(Layout, TextInTheWindowsCodePage) {
    EXPECT_EQ(ToWindowsAnsi("plain"), "plain");
    EXPECT_EQ(ToWindowsAnsi("caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"),
              "caf\xE9 \x80 \x93q\x94");
    // Characters the code page lacks, broken sequences and controls.
    EXPECT_EQ(ToWindowsAnsi("\xE6\x97\xA5 \xF0\x9F\x98\x80 \xC3 \xFF\x80 \x01"), "? ? ? ??  ");
    EXPECT_EQ(ToWindowsAnsi("\xE2\x82"), "??");

    Page page = ParsePage("<p>caf&eacute; <embed width=10 height=20>");
    const std::vector<FlowItem> flow = FlowOf(page);
    ASSERT_EQ(flow.size(), 2u);
    EXPECT_EQ(flow[0].text, "caf\xE9 ");
    EXPECT_EQ(flow[1].kind, FlowItem::Kind::Box);
    EXPECT_EQ(flow[1].width, 10);
    EXPECT_EQ(flow[1].height, 20);
}
