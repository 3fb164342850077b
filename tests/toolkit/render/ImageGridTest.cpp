#include "toolkit/render/ImageGrid.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using namespace SkinUI;

struct Collect : IImageGridSink {
    std::vector<ImageGridPart> parts;
    void DrawPart(const ImageGridPart& part) override { parts.push_back(part); }
};

bool Same(const SkinRect& a, const SkinRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The part drawn to this destination, or none.
const ImageGridPart* PartAt(const Collect& c, const SkinRect& dest)
{
    for (const ImageGridPart& p : c.parts)
        if (Same(p.dest, dest)) return &p;
    return nullptr;
}

ImageGridRequest Request(SkinRect dest, SkinRect source, SkinRect corner = {})
{
    ImageGridRequest r;
    r.dest = dest;
    r.source = source;
    r.corner = corner;
    r.paint = {-100000, -100000, 100000, 100000};
    return r;
}

TEST(ImageGridTest, WithoutCornersTheWholeImageIsOnePart)
{
    Collect c;
    EXPECT_EQ(ForEachImageGridPart(Request({10, 10, 50, 20}, {0, 0, 8, 8}), c), 1);
    EXPECT_TRUE(Same(c.parts[0].dest, {10, 10, 50, 20}));
    EXPECT_TRUE(Same(c.parts[0].source, {0, 0, 8, 8}));
}

TEST(ImageGridTest, CornersKeepTheirSizeAndTheRestStretches)
{
    // The progress bar: 530 x 13 from a 10 x 10 image with 3-pixel corners.
    Collect c;
    ForEachImageGridPart(Request({320, 320, 850, 333}, {0, 0, 10, 10}, {3, 3, 3, 3}), c);
    ASSERT_EQ(c.parts.size(), 9u);
    struct Expected {
        SkinRect dest, source;
    } expected[] = {
        {{323, 323, 847, 330}, {3, 3, 7, 7}},     // centre
        {{320, 323, 323, 330}, {0, 3, 3, 7}},     // left
        {{323, 320, 847, 323}, {3, 0, 7, 3}},     // top
        {{847, 323, 850, 330}, {7, 3, 10, 7}},    // right
        {{323, 330, 847, 333}, {3, 7, 7, 10}},    // bottom
        {{320, 320, 323, 323}, {0, 0, 3, 3}},     // corners
        {{847, 320, 850, 323}, {7, 0, 10, 3}},
        {{320, 330, 323, 333}, {0, 7, 3, 10}},
        {{847, 330, 850, 333}, {7, 7, 10, 10}},
    };
    for (const Expected& e : expected) {
        const ImageGridPart* p = PartAt(c, e.dest);
        ASSERT_NE(p, nullptr) << e.dest.left << "," << e.dest.top;
        EXPECT_TRUE(Same(p->source, e.source)) << e.dest.left << "," << e.dest.top;
    }
}

TEST(ImageGridTest, HoleLeavesTheCentreOut)
{
    ImageGridRequest r = Request({0, 0, 30, 20}, {0, 0, 9, 9}, {3, 3, 3, 3});
    r.hole = true;
    Collect c;
    EXPECT_EQ(ForEachImageGridPart(r, c), 8);
    EXPECT_EQ(PartAt(c, {3, 3, 27, 17}), nullptr);
}

TEST(ImageGridTest, OnlyPartsMeetingThePaintRectangleAreDrawn)
{
    ImageGridRequest r = Request({0, 0, 30, 20}, {0, 0, 9, 9}, {3, 3, 3, 3});
    r.paint = {0, 0, 2, 20};  // the left strip only
    Collect c;
    ForEachImageGridPart(r, c);
    EXPECT_EQ(c.parts.size(), 3u);  // left edge and its two corners
    for (const ImageGridPart& p : c.parts) EXPECT_EQ(p.dest.left, 0);
}

TEST(ImageGridTest, CornersDrawnOnlyWhenBothWidthsArePositive)
{
    Collect c;
    ForEachImageGridPart(Request({0, 0, 30, 20}, {0, 0, 9, 9}, {3, 0, 0, 0}), c);
    // Centre and left edge; no corner has two positive widths.
    EXPECT_EQ(c.parts.size(), 2u);
    EXPECT_NE(PartAt(c, {0, 0, 3, 20}), nullptr);
    EXPECT_NE(PartAt(c, {3, 0, 30, 20}), nullptr);
}

TEST(ImageGridTest, TilesTheCentreAndCutsTheLastTile)
{
    struct Case {
        bool xtiled, ytiled;
        std::size_t parts;
    } cases[] = {{true, true, 9}, {true, false, 3}, {false, true, 3}};
    for (const Case& k : cases) {
        ImageGridRequest r = Request({0, 0, 10, 7}, {0, 0, 4, 3});
        r.xtiled = k.xtiled;
        r.ytiled = k.ytiled;
        Collect c;
        ForEachImageGridPart(r, c);
        ASSERT_EQ(c.parts.size(), k.parts) << k.xtiled << k.ytiled;
        for (const ImageGridPart& p : c.parts) {
            const int dw = p.dest.right - p.dest.left, dh = p.dest.bottom - p.dest.top;
            const int sw = p.source.right - p.source.left, sh = p.source.bottom - p.source.top;
            // A tiled direction copies at the image's scale; the other stretches.
            EXPECT_EQ(dw, k.xtiled ? sw : 10);
            EXPECT_EQ(dh, k.ytiled ? sh : 7);
            EXPECT_EQ(p.source.left, 0);
            EXPECT_EQ(p.source.top, 0);
        }
    }
    ImageGridRequest r = Request({0, 0, 10, 7}, {0, 0, 4, 3});
    r.xtiled = r.ytiled = true;
    Collect c;
    ForEachImageGridPart(r, c);
    const ImageGridPart* last = PartAt(c, {8, 6, 10, 7});
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(Same(last->source, {0, 0, 2, 1}));
}

TEST(ImageGridTest, TilingIsBoundedByThePaintRectangle)
{
    ImageGridRequest r = Request({0, 0, 100000, 100000}, {0, 0, 1, 1});
    r.xtiled = r.ytiled = true;
    r.paint = {500, 500, 510, 510};
    Collect c;
    EXPECT_EQ(ForEachImageGridPart(r, c), 100);
    EXPECT_NE(PartAt(c, {509, 509, 510, 510}), nullptr);
}

TEST(ImageGridTest, DegenerateGeometryDrawsNoInvertedPart)
{
    const ImageGridRequest requests[] = {
        Request({0, 0, 4, 4}, {0, 0, 9, 9}, {3, 3, 3, 3}),            // corners larger than the destination
        Request({0, 0, 30, 20}, {0, 0, 0, 9}),                         // empty source
        Request({0, 0, 30, 20}, {0, 0, 9, 9}, {-5, -5, -5, -5}),       // negative corners read as 0
        Request({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 9, 9}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}),
        Request({10, 10, 0, 0}, {0, 0, 9, 9}),                         // inverted destination
    };
    for (ImageGridRequest r : requests) {
        for (int tiled = 0; tiled < 2; ++tiled) {
            r.xtiled = r.ytiled = tiled == 1;
            Collect c;
            ForEachImageGridPart(r, c);
            for (const ImageGridPart& p : c.parts) {
                EXPECT_LT(p.dest.left, p.dest.right);
                EXPECT_LT(p.dest.top, p.dest.bottom);
                EXPECT_LT(p.source.left, p.source.right);
                EXPECT_LT(p.source.top, p.source.bottom);
            }
        }
    }
    Collect negative;
    ForEachImageGridPart(Request({0, 0, 30, 20}, {0, 0, 9, 9}, {-5, -5, -5, -5}), negative);
    ASSERT_EQ(negative.parts.size(), 1u);
    EXPECT_TRUE(Same(negative.parts[0].dest, {0, 0, 30, 20}));
}

TEST(ImageGridTest, CentreIsTheGridWithoutItsCorners)
{
    SkinRect dest, source;
    ASSERT_TRUE(ImageGridCentre(Request({10, 10, 540, 23}, {0, 0, 10, 10}, {3, 3, 3, 3}), dest, source));
    EXPECT_TRUE(Same(dest, {13, 13, 537, 20}));
    EXPECT_TRUE(Same(source, {3, 3, 7, 7}));
    ASSERT_TRUE(ImageGridCentre(Request({0, 0, 30, 20}, {2, 2, 9, 9}, {-1, -1, -1, -1}), dest, source));
    EXPECT_TRUE(Same(dest, {0, 0, 30, 20}));
    EXPECT_TRUE(Same(source, {2, 2, 9, 9}));
    // No centre: corners as large as the destination or the source, even where the sums pass an int.
    EXPECT_FALSE(ImageGridCentre(Request({0, 0, 6, 6}, {0, 0, 9, 9}, {3, 3, 3, 3}), dest, source));
    EXPECT_FALSE(ImageGridCentre(Request({0, 0, 60, 60}, {0, 0, 6, 9}, {3, 3, 3, 3}), dest, source));
    EXPECT_FALSE(ImageGridCentre(Request({INT_MAX - 5, 0, INT_MAX, 10}, {0, 0, 9, 9}, {INT_MAX, 0, 0, 0}), dest,
                                 source));
}

TEST(ImageGridTest, TileBlocksHoldWholeTilesUpToTheTarget)
{
    struct Case {
        long long tile, run;
        int target, tiles;
    } cases[] = {
        {1, 960, 256, 256},     // a 1-pixel tile: a block of 256
        {3, 1000, 256, 86},     // rounded up to whole tiles: 258 pixels
        {1, 100, 256, 100},     // never more than the run needs
        {7, 50, 256, 8},        // 8 tiles cover 50
        {300, 960, 256, 1},     // already longer than the target
        {5, 5, 256, 1},         // one tile fills the run
        {0, 100, 256, 1},       // no tile
        {4, 100, 0, 1},         // no target
    };
    for (const Case& c : cases)
        EXPECT_EQ(TilesPerBlock(c.tile, c.run, c.target), c.tiles) << c.tile << " " << c.run << " " << c.target;
}

}  // namespace
