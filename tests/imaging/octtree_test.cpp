#include "imaging/octtree.h"
#include "imaging/pixelops.h"
#include "imaging/pxerror.h"
#include "support/thrownmessage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace {

// n different colours, spread over the whole cube.
pxColor Distinct(int n) {
    return pxColor::Rgb(static_cast<uint8_t>(n * 37), static_cast<uint8_t>(n * 11 + n / 7),
                        static_cast<uint8_t>(n / 3));
}

void Insert(octTree& tree, pxColor colour) {
    tree.insert_color(colour.red, colour.green, colour.blue);
}

int Map(const octTree& tree, pxColor colour) {
    return tree.map_color(colour.red, colour.green, colour.blue);
}

// One colour in each of the top-level branches 1 to last (red, green or blue at 200).
void InsertOtherBranches(octTree& tree, int last = 7) {
    for (int branch = 1; branch <= last; ++branch)
        Insert(tree,
               pxColor::Rgb(branch & 4 ? 200 : 0, branch & 2 ? 200 : 0, branch & 1 ? 200 : 0));
}

} // namespace

TEST(OctTree, FewerColoursThanTheLimitKeepTheirExactColours) {
    pxImage image({20, 10}, 3, 4, 1);
    std::set<std::tuple<int, int, int>> inserted;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const pxColor colour = Distinct((x * 10 + y) % 250);
            uint8_t* pixel = PixelAddress(image, x, y);
            pixel[0] = colour.red;
            pixel[1] = colour.green;
            pixel[2] = colour.blue;
            inserted.insert({colour.red, colour.green, colour.blue});
        }
    ASSERT_EQ(inserted.size(), 200u);

    octTree tree(256);
    tree.insert_colors(image);
    EXPECT_EQ(tree.GetLeafCount(), 200);
    pxPalette palette;
    tree.gen_colormap(palette, 0);
    pxImage indexed({20, 10}, 1);
    tree.map_image(image, indexed);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const uint8_t* pixel = PixelAddress(image, x, y);
            const pxColor entry = palette[PixelAddress(indexed, x, y)[0]];
            EXPECT_EQ(entry, pxColor::Rgb(pixel[0], pixel[1], pixel[2])) << x << "," << y;
        }

    // Leaves are numbered depth first, lower branches first.
    octTree small(256);
    Insert(small, pxColor::Rgb(255, 255, 255));
    Insert(small, pxColor::Rgb(0, 0, 255));
    Insert(small, pxColor::Rgb(0, 0, 0));
    Insert(small, pxColor::Rgb(0, 0, 1));
    small.gen_colormap(palette, 10);
    EXPECT_EQ(palette[10], pxColor::Rgb(0, 0, 0));
    EXPECT_EQ(palette[11], pxColor::Rgb(0, 0, 1));
    EXPECT_EQ(palette[12], pxColor::Rgb(0, 0, 255));
    EXPECT_EQ(palette[13], pxColor::Rgb(255, 255, 255));
    EXPECT_EQ(Map(small, pxColor::Rgb(0, 0, 255)), 12);
}

TEST(OctTree, NeighboursInTheLowestRedBitMergeToTheirAverageRoundedDown) {
    octTree tree(8);
    InsertOtherBranches(tree);
    Insert(tree, pxColor::Rgb(101, 50, 50));
    Insert(tree, pxColor::Rgb(101, 50, 50));
    Insert(tree, pxColor::Rgb(100, 50, 50));
    EXPECT_EQ(tree.GetLeafCount(), 9); // reduced only when needed
    pxPalette palette;
    tree.gen_colormap(palette, 0);
    EXPECT_EQ(tree.GetLeafCount(), 8);
    EXPECT_EQ(palette[0], pxColor::Rgb(100, 50, 50)); // 302 / 3
    EXPECT_EQ(Map(tree, pxColor::Rgb(100, 50, 50)), 0);
    EXPECT_EQ(Map(tree, pxColor::Rgb(101, 50, 50)), 0);
    EXPECT_EQ(palette[7], pxColor::Rgb(200, 200, 200));
}

TEST(OctTree, TheNewestNodeOfTheDeepestLevelMergesFirst) {
    const pxColor a0 = pxColor::Rgb(10, 0, 0), a1 = pxColor::Rgb(11, 0, 0);
    const pxColor b0 = pxColor::Rgb(20, 0, 0), b1 = pxColor::Rgb(21, 0, 0);
    const pxColor orders[2][4] = {{a0, a1, b0, b1}, {b0, b1, a0, a1}};
    for (bool aFirst : {true, false}) {
        octTree tree(8);
        InsertOtherBranches(tree, 5);
        for (pxColor colour : orders[aFirst ? 0 : 1])
            Insert(tree, colour);
        // The ninth leaf came with the last insertion: the pair inserted last merges.
        pxPalette palette;
        tree.gen_colormap(palette, 0);
        EXPECT_EQ(Map(tree, a0) == Map(tree, a1), !aFirst);
        EXPECT_EQ(Map(tree, b0) == Map(tree, b1), aFirst);
        EXPECT_EQ(palette[aFirst ? 2 : 0], aFirst ? b0 : a0); // a's branch comes first
    }

    // Once the deepest level has no inner node left, the next level up merges.
    octTree tree(8);
    InsertOtherBranches(tree);
    Insert(tree, pxColor::Rgb(0, 0, 0));
    Insert(tree, pxColor::Rgb(2, 0, 0)); // splits from the first one level higher
    pxPalette palette;
    tree.gen_colormap(palette, 0);
    EXPECT_EQ(tree.GetLeafCount(), 8);
    EXPECT_EQ(palette[0], pxColor::Rgb(1, 0, 0));
    EXPECT_EQ(Map(tree, pxColor::Rgb(3, 1, 1)), 0); // now on a merged leaf's path
}

TEST(OctTree, TheColourMapMustFitThePalette) {
    octTree fits(256), tooMany(256);
    for (int n = 0; n < 247; ++n) {
        if (n < 246)
            Insert(fits, Distinct(n));
        Insert(tooMany, Distinct(n));
    }
    ASSERT_EQ(tooMany.GetLeafCount(), 247);
    pxPalette palette;
    fits.gen_colormap(palette, 10);
    std::set<int> indices;
    for (int n = 0; n < 246; ++n)
        indices.insert(Map(fits, Distinct(n)));
    EXPECT_EQ(indices.size(), 246u);
    EXPECT_EQ(*indices.begin(), 10);
    EXPECT_EQ(*indices.rbegin(), 255);

    // The failure is logged too (checked with ConvertBPP); keep it out of the way.
    pxSetLogName("/dev/null");
    const pxPalette before = palette;
    EXPECT_EQ(ThrownMessage([&] { tooMany.gen_colormap(palette, 10); }),
              "Problem generating colormap");
    pxSetLogName(nullptr);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(palette[i], before[i]);

    for (int first : {-1, 256})
        EXPECT_EQ(ThrownMessage([&] { fits.gen_colormap(palette, first); }),
                  "octTree::gen_colormap -- first index " + std::to_string(first) +
                      " is outside the palette of 256 colours");
}

TEST(OctTree, MappingFollowsInsertedPathsOnly) {
    octTree tree(256);
    Insert(tree, pxColor::Rgb(1, 2, 3));
    Insert(tree, pxColor::Rgb(200, 2, 3));
    // Before gen_colormap every leaf has index 0.
    EXPECT_EQ(Map(tree, pxColor::Rgb(200, 2, 3)), 0);
    EXPECT_EQ(tree.map_inserted_color(1, 2, 3), 0);

    EXPECT_EQ(ThrownMessage([&] { tree.map_color(1, 2, 4); }), "Bad error in octree::map_color");
    EXPECT_EQ(ThrownMessage([&] { tree.map_inserted_color(255, 255, 255); }),
              "Map_inserted_color failed (maybe need map_color?)");
}

TEST(OctTree, ImagesInAndOut) {
    octTree tree(256);
    pxImage twoBytes({2, 2}, 2);
    EXPECT_EQ(ThrownMessage([&] { tree.insert_colors(twoBytes); }),
              "octTree::insert_colors needs 3 or 4 byte per pixel image");

    // Only the odd rows of a bottom-up 4-byte frame.
    pxImage frame({2, 4}, 4, 1, 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 2; ++x) {
            uint8_t* pixel = PixelAddress(frame, x, y);
            pixel[0] = static_cast<uint8_t>(y * 60);
            pixel[1] = static_cast<uint8_t>(x * 90);
            pixel[2] = 7;
            pixel[3] = static_cast<uint8_t>(100 + x + y * 2);
        }
    const pxImage odd(frame, FIELD_ODD, BOTTOMUP_INHERIT);
    tree.insert_colors(odd);
    EXPECT_EQ(tree.GetLeafCount(), 4);
    pxPalette palette;
    tree.gen_colormap(palette, 0);

    pxImage indexed({2, 2}, 2, 4);
    tree.map_image(odd, indexed);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x) {
            const uint8_t* out = PixelAddress(indexed, x, y);
            EXPECT_EQ(palette[out[0]], pxColor::Rgb(static_cast<uint8_t>((2 * y + 1) * 60),
                                                    static_cast<uint8_t>(x * 90), 7));
            EXPECT_EQ(out[1], 100 + x + (2 * y + 1) * 2);
        }

    pxImage small({2, 1}, 1), indexedColour({2, 2}, 3), indexedOne({2, 2}, 1);
    EXPECT_EQ(ThrownMessage([&] { tree.map_image(odd, small); }),
              "map_image source and destination must be same size\n");
    EXPECT_EQ(ThrownMessage([&] { tree.map_image(indexedOne, indexed); }),
              "map_image source must be 3 or 4 bytes per pixel");
    EXPECT_EQ(ThrownMessage([&] { tree.map_image(odd, indexedColour); }),
              "map_image destination must be 1 or 2 bytes per pixel (3)");
}

TEST(OctTree, InsertsPaletteRanges) {
    pxPalette palette;
    octTree tree(256);
    tree.insert_palette(palette, 246, 255);
    EXPECT_EQ(tree.GetLeafCount(), 10);
    tree.insert_palette(palette, 5, 4);
    EXPECT_EQ(tree.GetLeafCount(), 10);
    EXPECT_EQ(ThrownMessage([&] { tree.insert_palette(palette, 250, 256); }),
              "octTree::insert_palette -- entries 250 to 256 lie outside the palette of 256 "
              "colours");
    EXPECT_EQ(ThrownMessage([&] { tree.insert_palette(palette, -1, 3); }),
              "octTree::insert_palette -- entries -1 to 3 lie outside the palette of 256 "
              "colours");
}

TEST(OctTree, ClearEmptiesTheTreeForReuse) {
    octTree tree(16);
    for (int round = 0; round < 3; ++round) {
        for (int n = 0; n < 200; ++n)
            Insert(tree, Distinct(n));
        pxPalette palette;
        tree.gen_colormap(palette, 0);
        EXPECT_LE(tree.GetLeafCount(), 16);
        tree.Clear();
        EXPECT_EQ(tree.GetLeafCount(), 0);
        EXPECT_EQ(ThrownMessage([&] { Map(tree, Distinct(0)); }), "Bad error in octree::map_color");
    }
    // After Clear, new leaves are made at the last level again.
    Insert(tree, pxColor::Rgb(4, 4, 4));
    Insert(tree, pxColor::Rgb(5, 4, 4));
    EXPECT_EQ(tree.GetLeafCount(), 2);
}

TEST(OctTree, RefusesLimitsItCannotReach) {
    EXPECT_EQ(ThrownMessage([] { octTree tree(7); }),
              "octTree: cannot reduce to fewer than 8 colours (7)");
    EXPECT_EQ(ThrownMessage([] { octTree tree(-1); }),
              "octTree: cannot reduce to fewer than 8 colours (-1)");
}

TEST(OctTree, SumsOfOneColourOverAHugePictureDoNotWrap) {
    // More white pixels than a 32-bit sum of 255s can hold.
    octTree tree(256);
    for (uint32_t n = 0; n < 16843010u; ++n)
        tree.insert_color(255, 255, 255);
    pxPalette palette;
    tree.gen_colormap(palette, 0);
    EXPECT_EQ(palette[0], pxColor::Rgb(255, 255, 255));
}
