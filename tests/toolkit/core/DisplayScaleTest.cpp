#include "toolkit/core/DisplayScale.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace SkinUI;

TEST(DisplayScaleTest, ScalesRoundHalfAwayFromZeroAndLeaveLogicalPixelsAlone)
{
    struct Case {
        int dpi;
        int logical;
        int physical;
    } cases[] = {
        {96, 13, 13},    {96, -7, -7},     {96, INT_MAX, INT_MAX},
        {120, 13, 16},   {120, 3, 4},      {120, 9, 11},    {120, 960, 1200}, {120, 2, 3},  // 2.5 rounds up
        {144, 13, 20},   {144, 3, 5},      {144, 9, 14},    {144, -30, -45},  {144, -5, -8}, // -7.5 rounds down
        {192, 13, 26},   {192, 620, 1240}, {168, 24, 42},
        {144, INT_MAX, INT_MAX},           {144, INT_MIN, INT_MIN},  // kept within 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(CDisplayScale(c.dpi).Scale(c.logical), c.physical) << c.dpi << " " << c.logical;
}

TEST(DisplayScaleTest, PercentAndTheRangeOfDisplays)
{
    EXPECT_EQ(CDisplayScale().Dpi(), 96);
    EXPECT_TRUE(CDisplayScale().IsLogical());
    EXPECT_EQ(CDisplayScale(120).Percent(), 125);
    EXPECT_EQ(CDisplayScale(144).Percent(), 150);
    EXPECT_EQ(CDisplayScale(168).Percent(), 175);
    EXPECT_EQ(CDisplayScale(192).Percent(), 200);
    // No display is scaled below 100 % or past 500 %.
    EXPECT_EQ(CDisplayScale(72).Dpi(), 96);
    EXPECT_EQ(CDisplayScale(0).Dpi(), 96);
    EXPECT_EQ(CDisplayScale(-144).Dpi(), 96);
    EXPECT_EQ(CDisplayScale(100000).Dpi(), 480);
}

// A value scaled to one display and moved to another lands where a scale
// from the start would have put it, however many moves it makes: a window
// that crosses monitors does not drift by a pixel per crossing.
TEST(DisplayScaleTest, RescalingValuesThatCameFromLogicalOnesIsExact)
{
    const int dpis[] = {96, 108, 120, 144, 168, 192, 240, 288, 480};
    for (int logical = -1300; logical <= 1300; ++logical) {
        for (const int dpi : dpis) {
            const CDisplayScale scale(dpi);
            ASSERT_EQ(scale.Unscale(scale.Scale(logical)), logical) << dpi << " " << logical;
        }
        int value = logical;
        CDisplayScale at;
        for (const int dpi : {120, 144, 96, 192, 168, 120, 480, 96}) {
            value = Rescale(value, at, CDisplayScale(dpi));
            at = CDisplayScale(dpi);
            ASSERT_EQ(value, at.Scale(logical)) << logical << " at " << dpi;
        }
    }
}

TEST(DisplayScaleTest, RectanglesScaleEachEdge)
{
    const SkinRect r = CDisplayScale(144).Scale(SkinRect{902, 6, 926, 30});
    EXPECT_EQ(r.left, 1353);
    EXPECT_EQ(r.top, 9);
    EXPECT_EQ(r.right, 1389);
    EXPECT_EQ(r.bottom, 45);
    const SkinRect back = Rescale(r, CDisplayScale(144), CDisplayScale(120));
    EXPECT_EQ(back.left, 1128);  // 902 at 125 %: 1127.5 rounds up
    EXPECT_EQ(back.right, 1158);
}

// Nine-grid corners round to the nearest pixel, and one that ends exactly
// between two pixels keeps the inner one out: 9 at 150 % is 13, 3 at 125 %
// is 4.
TEST(DisplayScaleTest, CornersRoundToTheNearestPixelAndHalvesInward)
{
    struct Case {
        int dpi, logical, corner;
    } cases[] = {
        {96, 9, 9},   {120, 9, 11},  {144, 9, 13},  {192, 9, 18},  {120, 3, 4},   {144, 3, 4},
        {168, 3, 5},  {144, 1, 1},   {144, -9, -13}, {120, 0, 0},  {240, 3, 7},   {144, 5, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDisplayScale(c.dpi).ScaleCorner(c.logical), c.corner) << c.dpi << " " << c.logical;
    const SkinRect r = CDisplayScale(144).ScaleCorner(SkinRect{3, 3, 9, 3});
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.right, 13);
}

}  // namespace
