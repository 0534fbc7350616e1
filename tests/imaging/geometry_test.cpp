#include "imaging/geometry.h"

#include <gtest/gtest.h>

namespace {

struct TestRect {
    int32_t left, top, right, bottom;
};

bool Same(const px2Rect& a, const px2Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

TEST(Geometry, IntersectsNeedsOverlapNotJustTouchingEdges) {
    const px2Rect a{0, 0, 10, 10};
    EXPECT_TRUE(Intersects(a, {9, 9, 5, 5}));
    EXPECT_FALSE(Intersects(a, {10, 0, 5, 5}));
    EXPECT_FALSE(Intersects(a, {0, 10, 5, 5}));
    EXPECT_FALSE(Intersects(a, {-5, 0, 5, 5}));
    EXPECT_TRUE(Intersects(a, {-5, -5, 30, 30}));
}

TEST(Geometry, UnionCoversBothAndUnionWithStartsFromEmpty) {
    px2Rect out;
    Union(out, {2, 3, 4, 5}, {10, 1, 2, 2});
    EXPECT_TRUE(Same(out, {2, 1, 10, 7}));

    px2Rect grown;
    EXPECT_TRUE(grown.IsEmpty());
    grown.UnionWith({5, 5, 1, 1});
    EXPECT_TRUE(Same(grown, {5, 5, 1, 1}));
    grown.UnionWith({0, 7, 2, 2});
    EXPECT_TRUE(Same(grown, {0, 5, 6, 4}));

    px2Rect flat{3, 3, 0, 9};
    EXPECT_TRUE(flat.IsEmpty());
    flat.UnionWith({1, 1, 1, 1});
    EXPECT_TRUE(Same(flat, {1, 1, 1, 1}));
}

TEST(Geometry, PlatformRectanglesConvertBothWays) {
    const TestRect platform{10, 20, 110, 70};
    EXPECT_TRUE(Same(ctopx(platform), {10, 20, 100, 50}));
    px2Rect into;
    ctopx(platform, into);
    EXPECT_TRUE(Same(into, {10, 20, 100, 50}));

    const auto back = pxtoc<TestRect>({-4, 6, 8, 2});
    EXPECT_EQ(back.left, -4);
    EXPECT_EQ(back.top, 6);
    EXPECT_EQ(back.right, 4);
    EXPECT_EQ(back.bottom, 8);
}

TEST(Geometry, CalcIntersectRectIsRelativeToEachRectangle) {
    const TestRect a{10, 10, 50, 40};
    const TestRect b{30, 0, 80, 20};
    TestRect inA{}, inB{};
    CalcIntersectRect(a, b, inA, inB);
    EXPECT_EQ(inA.left, 20);
    EXPECT_EQ(inA.top, 0);
    EXPECT_EQ(inA.right, 40);
    EXPECT_EQ(inA.bottom, 10);
    EXPECT_EQ(inB.left, 0);
    EXPECT_EQ(inB.top, 10);
    EXPECT_EQ(inB.right, 20);
    EXPECT_EQ(inB.bottom, 20);

    // Disjoint rectangles give empty results, never negative sizes.
    CalcIntersectRect(a, TestRect{100, 100, 120, 120}, inA, inB);
    EXPECT_EQ(inA.right - inA.left, 0);
    EXPECT_EQ(inA.bottom - inA.top, 0);
    EXPECT_EQ(inB.right - inB.left, 0);
    EXPECT_EQ(inB.bottom - inB.top, 0);
}
