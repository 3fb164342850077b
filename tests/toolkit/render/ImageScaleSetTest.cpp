#include "toolkit/render/ImageScaleSet.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace SkinUI;

std::vector<int> Order(int dpi)
{
    std::array<int, kImageSetPercents.size()> order{};
    const std::size_t count = ImageSetOrder(CDisplayScale(dpi), order);
    return std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count));
}

// A display takes its own set; a scale between sets takes the nearest
// larger one (scaled down); past the largest, the largest (scaled up).
TEST(ImageScaleSetTest, EachDisplayTriesItsSetThenTheNearestLargerThenSmaller)
{
    EXPECT_EQ(Order(96), (std::vector<int>{100, 125, 150, 200}));
    EXPECT_EQ(Order(120), (std::vector<int>{125, 150, 200, 100}));
    EXPECT_EQ(Order(144), (std::vector<int>{150, 200, 125, 100}));
    EXPECT_EQ(Order(168), (std::vector<int>{200, 150, 125, 100}));   // 175 %
    EXPECT_EQ(Order(192), (std::vector<int>{200, 150, 125, 100}));
    EXPECT_EQ(Order(288), (std::vector<int>{200, 150, 125, 100}));   // 300 %
    EXPECT_EQ(Order(108), (std::vector<int>{125, 150, 200, 100}));   // 112.5 %
}

TEST(ImageScaleSetTest, SetNamesCarryTheScaleBeforeTheExtension)
{
    EXPECT_EQ(ImageSetName(L"gmin_normal.png", 100), L"gmin_normal.png");
    EXPECT_EQ(ImageSetName(L"gmin_normal.png", 150), L"gmin_normal@150.png");
    EXPECT_EQ(ImageSetName(L"tov_download_bk.jpg", 200), L"tov_download_bk@200.jpg");
    EXPECT_EQ(ImageSetName(L"art/v1.2/bar.png", 125), L"art/v1.2/bar@125.png");
    EXPECT_EQ(ImageSetName(L"art\\v1.2\\bar", 125), L"art\\v1.2\\bar@125");  // no extension: at the end
    EXPECT_EQ(ImageSetName(L".hidden", 150), L".hidden@150");
    EXPECT_EQ(ImageSetName(L"", 150), L"@150");
}

// The sizes the build draws each set at are the logical sizes scaled: a
// side read back through its set gives the logical size, and any display's
// size from there.
TEST(ImageScaleSetTest, ASideOfAnySetMapsToTheDisplaysSize)
{
    for (const int side : {1, 3, 13, 24, 28, 30, 60, 96, 620, 960}) {
        for (const int set : kImageSetPercents) {
            const int drawn = CDisplayScale(ImageSetDpi(set)).Scale(side);
            for (const int dpi : {96, 120, 144, 168, 192, 240}) {
                EXPECT_EQ(ImageSideAt(drawn, set, CDisplayScale(dpi)), CDisplayScale(dpi).Scale(side))
                    << side << " from " << set << " at " << dpi;
            }
        }
    }
    EXPECT_EQ(ImageSideAt(1, 200, CDisplayScale(96)), 1) << "never below a pixel";
}

}  // namespace
