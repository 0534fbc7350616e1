// Mode sorting, lookups and the mode list dump.
#include "display/modes.h"
#include "support/capturedlog.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Modes = std::vector<ModeStruct>;

std::string Names(const Modes& modes) {
    std::string names;
    for (const ModeStruct& m : modes)
        names += std::to_string(m.width) + "x" + std::to_string(m.height) + "x" +
                 std::to_string(m.bpp) + " ";
    return names;
}

// A list in the order the sort gives.
const Modes kSorted = {{640, 480, 8, 60},   {640, 480, 16, 60},  {640, 480, 32, 60},
                       {800, 600, 8, 60},   {800, 600, 16, 60},  {800, 600, 32, 60},
                       {1024, 768, 16, 60}, {1280, 1024, 32, 60}};

int32_t Closest(const Modes& modes, uint32_t w, uint32_t h, int32_t bpp) {
    return FindClosestModeToFit(modes.data(), uint32_t(modes.size()), w, h, bpp);
}

} // namespace

TEST(SortModes, OrdersBySizeThenDepthWithTheDialogsExchanges) {
    Modes modes = {{1280, 1024, 32, 0}, {800, 600, 16, 0},  {640, 480, 32, 0}, {800, 600, 8, 0},
                   {640, 480, 8, 0},    {1024, 768, 16, 0}, {640, 480, 16, 0}, {800, 600, 32, 0}};
    SortModes(modes.data(), int32_t(modes.size()));
    EXPECT_EQ(Names(modes), Names(kSorted));

    // Width and height disagree: a wider but lower mode goes after the
    // narrower, taller one, and the exchange on height alone moves it back.
    Modes odd = {{800, 400, 8, 0}, {640, 480, 8, 0}};
    SortModes(odd.data(), 2);
    EXPECT_EQ(Names(odd), "640x480x8 800x400x8 ");
    Modes odd2 = {{640, 480, 8, 0}, {800, 400, 8, 0}};
    SortModes(odd2.data(), 2);
    EXPECT_EQ(Names(odd2), "800x400x8 640x480x8 ");

    Modes one = {{640, 480, 8, 0}};
    SortModes(one.data(), 1);
    SortModes(nullptr, 0);
    EXPECT_EQ(Names(one), "640x480x8 ");
}

TEST(FindExactMode, MatchesSizeAndDepthButNotRefresh) {
    CapturedLog log;
    EXPECT_EQ(FindExactMode(kSorted.data(), uint32_t(kSorted.size()), 800, 600, 16), 4);
    EXPECT_EQ(FindExactMode(kSorted.data(), uint32_t(kSorted.size()), 800, 600, 24), -1);
    Modes refreshes = {{640, 480, 8, 72}, {640, 480, 8, 60}};
    EXPECT_EQ(FindExactMode(refreshes.data(), 2, 640, 480, 8), 0);
    EXPECT_EQ(FindExactMode(kSorted.data(), 0, 640, 480, 8), -1);
    EXPECT_EQ(log.Text(), "FindExactMode -- WARNING: invalid number of modes: 0\n");
}

TEST(FindClosestModeToFit, ChoosesTheFirstFittingSizeAndItsDeepestDepth) {
    // Exact depth of the first fitting entry.
    EXPECT_EQ(Closest(kSorted, 640, 480, 8), 0);
    EXPECT_EQ(Closest(kSorted, 700, 500, 8), 3);
    // Any depth, or a depth the first fitting entry lacks: the deepest of
    // that size; asking for 16 when 8, 16 and 32 exist gives 32.
    EXPECT_EQ(Closest(kSorted, 700, 500, -1), 5);
    EXPECT_EQ(Closest(kSorted, 700, 500, 16), 5);
    EXPECT_EQ(Closest(kSorted, 1000, 700, 8), 6);
    // Larger than every mode: the running maximum, not the last entry. An
    // entry larger in one dimension only replaces the maximum.
    Modes smallLast = {{640, 480, 8, 0}, {1600, 1200, 8, 0}, {800, 600, 8, 0}};
    EXPECT_EQ(Closest(smallLast, 2000, 2000, 8), 1);
    Modes wideLast = {{640, 480, 8, 0}, {1600, 1200, 8, 0}, {1700, 400, 8, 0}, {800, 300, 8, 0}};
    EXPECT_EQ(Closest(wideLast, 2000, 2000, 8), 2);
    // Equal depths of one size: the earliest.
    Modes twins = {{640, 480, 8, 60}, {640, 480, 16, 60}, {640, 480, 16, 75}};
    EXPECT_EQ(Closest(twins, 600, 400, -1), 1);

    EXPECT_EQ(ThrownMessage([] { Closest({}, 640, 480, 8); }),
              "FindClosestModeToFit: No available modes...");
}

TEST(FindClosestMode, AnEmptyListGivesTheFirstIndexAfterAWarning) {
    CapturedLog log;
    EXPECT_EQ(FindClosestMode(kSorted.data(), 0, 640, 480, 8), 0);
    EXPECT_EQ(log.Text(), "FindClosestMode -- WARNING: invalid number of modes: 0\n");
    EXPECT_EQ(FindClosestMode(kSorted.data(), uint32_t(kSorted.size()), 1024, 700, 16), 6);
}

TEST(PrintModeList, WritesEveryModeBetweenBanners) {
    CapturedLog log;
    PrintModeList(kSorted.data(), 2, "GDI");
    PrintModeList(kSorted.data(), 0, nullptr);
    EXPECT_EQ(log.Text(),
              "\n\n\n"
              "*********************** Begin Mode List: GDI ************************\n"
              "0:  640x480x8,60\n"
              "1:  640x480x16,60\n"
              "*********************** End Mode List: GDI ************************\n"
              "\n\n\n"
              "*********************** Begin Mode List: Unnamed ************************\n"
              "*********************** End Mode List: Unnamed ************************\n");
}
