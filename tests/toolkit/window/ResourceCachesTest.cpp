// The window's resource caches on their own: fonts by index, images by
// name, default attribute lists by element name.
#include "toolkit/window/ResourceCaches.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/toolkit/SkinTestCanvas.h"

namespace {

using namespace SkinUI;
using namespace skintest;

TEST(ResourceCachesTest, FontsOutsideTheTableAreTheDefaultAndHandedOutInfoStays)
{
    CFontTable fonts;
    ASSERT_NE(fonts.Default(), nullptr);
    HFONT first = fonts.Append(L"Tahoma", 12, false, false, false);
    ASSERT_NE(first, nullptr);
    const TFontInfo* info = &fonts.InfoAt(0);
    for (int i = 0; i < 40; ++i) ASSERT_NE(fonts.Append(L"Tahoma", 10 + i, i % 2 == 0, false, false), nullptr);
    EXPECT_EQ(&fonts.InfoAt(0), info);  // growing the table moves no font
    EXPECT_EQ(fonts.At(0), first);
    EXPECT_EQ(fonts.Count(), 41);
    for (int outside : {-1, 41, 1000}) EXPECT_EQ(fonts.At(outside), fonts.Default()) << outside;

    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    EXPECT_GT(fonts.MetricsAt(40, dc.get()).tmHeight, fonts.MetricsAt(0, dc.get()).tmHeight);
    EXPECT_TRUE(fonts.InfoAt(0).bMeasured);
    fonts.ForgetMetrics();
    EXPECT_FALSE(fonts.InfoAt(0).bMeasured);
}

TEST(ResourceCachesTest, ImagesLoadOnceAndFailuresAreNotKept)
{
    TestSkinFolder folder;
    folder.AddSolidPng(L"a.png", 2, 2, 0xFF00FF00u);
    CImageCache images;
    images.SetFileReader(&folder.reader());
    EXPECT_EQ(images.Find(L"a.png"), nullptr);
    const TImageInfo* a = images.Load(L"a.png", L"", 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(images.Load(L"a.png", L"", 0x123), a);
    EXPECT_EQ(images.Find(L"a.png"), a);
    EXPECT_EQ(images.Load(L"b.png", L"", 0), nullptr);
    EXPECT_EQ(images.Load(L"", L"", 0), nullptr);
    EXPECT_EQ(images.Count(), 1);
}

TEST(ResourceCachesTest, TheFirstDefaultListOfAnElementWins)
{
    CDefaultAttributeLists lists;
    EXPECT_TRUE(lists.Set(L"Button", L"width=\"10\""));
    EXPECT_FALSE(lists.Set(L"Button", L"width=\"20\""));
    EXPECT_FALSE(lists.Set(L"", L"height=\"1\""));
    ASSERT_NE(lists.Find(L"Button"), nullptr);
    EXPECT_EQ(lists.Find(L"Button")->View(), L"width=\"10\"");
    EXPECT_EQ(lists.Find(L"Label"), nullptr);
    EXPECT_EQ(lists.Count(), 1);
}

// Fonts are described in logical pixels and made at first use, for the
// display scale: a window that is never shown makes none, and a new scale
// lets every made font go and makes it again at its size there.
TEST(ResourceCachesTest, FontsAreMadeAtFirstUseForTheDisplayScale)
{
    CFontTable fonts;
    EXPECT_EQ(fonts.MadeCount(), 0) << "nothing made before it is used";
    ASSERT_TRUE(fonts.Add(L"Tahoma", 12, false, false, false));
    ASSERT_TRUE(fonts.Add(L"Tahoma", 28, true, false, false));
    ASSERT_TRUE(fonts.SetDefault(L"Tahoma", 14, false, false, false));
    EXPECT_EQ(fonts.Count(), 2);
    EXPECT_EQ(fonts.MadeCount(), 0);
    const TFontInfo& twelve = fonts.InfoAt(0);
    ASSERT_NE(twelve.hFont.get(), nullptr);
    EXPECT_EQ(twelve.logFont.lfHeight, -12);
    EXPECT_EQ(twelve.logFont.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(fonts.MadeCount(), 1);
    win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const LONG height96 = fonts.MetricsAt(1, dc.get()).tmHeight;
    EXPECT_EQ(fonts.MadeCount(), 2);

    fonts.SetDisplayScale(CDisplayScale(192));
    EXPECT_EQ(fonts.MadeCount(), 0);
    EXPECT_EQ(fonts.InfoAt(-1).logFont.lfHeight, -28);  // the default, 14 at 200 %
    EXPECT_EQ(fonts.InfoAt(0).logFont.lfHeight, -24);
    EXPECT_EQ(fonts.InfoAt(1).logFont.lfWeight, twelve.logFont.lfWeight + 700 > 1000 ? 1000 : twelve.logFont.lfWeight + 700);
    const LONG height192 = fonts.MetricsAt(1, dc.get()).tmHeight;
    EXPECT_GE(height192, height96 * 2 - 2);
    EXPECT_LE(height192, height96 * 2 + 2);
    EXPECT_EQ(fonts.InfoAt(0).iSize, 12) << "the description stays logical";

    fonts.SetDisplayScale(CDisplayScale(144));
    EXPECT_EQ(fonts.InfoAt(0).logFont.lfHeight, -18);
    EXPECT_EQ(fonts.InfoAt(1).logFont.lfHeight, -42);
    // Appending still makes the font at once, at the table's scale.
    HFONT appended = fonts.Append(L"Tahoma", 10, false, false, false);
    ASSERT_NE(appended, nullptr);
    EXPECT_EQ(fonts.InfoAt(2).logFont.lfHeight, -15);
    EXPECT_EQ(fonts.At(2), appended);
}

// Images are made for the display scale: from the set drawn for it, from
// the nearest larger set scaled down when it is missing, from a smaller
// one scaled up when there is none; a new scale loads every cached image
// again with the type and mask it was registered with.
TEST(ResourceCachesTest, ImagesComeFromTheSetOfTheScaleOrTheNearestLarger)
{
    TestSkinFolder folder;
    folder.AddSolidPng(L"a.png", 24, 12, 0xFF102030u);
    folder.AddSolidPng(L"a@150.png", 36, 18, 0xFF405060u);
    folder.AddSolidPng(L"a@200.png", 48, 24, 0xFF708090u);
    folder.AddSolidPng(L"only.png", 10, 10, 0xFFFF00FFu);
    CImageCache images;
    images.SetFileReader(&folder.reader());

    const struct {
        int dpi;
        int set;
        bool resampled;
        int width, height;
        std::uint32_t colour;
    } cases[] = {
        {96, 100, false, 24, 12, 0xFF102030u},
        {144, 150, false, 36, 18, 0xFF405060u},
        {120, 150, true, 30, 15, 0xFF405060u},  // no 125 % image: the 150 % one, scaled down
        {168, 200, true, 42, 21, 0xFF708090u},  // 175 %: the 200 % one
        {192, 200, false, 48, 24, 0xFF708090u},
        {288, 200, true, 72, 36, 0xFF708090u},  // past the largest set: scaled up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        images.SetDisplayScale(CDisplayScale(c.dpi));
        const TImageInfo* a = images.Load(L"a.png", L"", 0);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->nSetPercent, c.set);
        EXPECT_EQ(a->bResampled, c.resampled);
        EXPECT_EQ(a->nWidth, c.width);
        EXPECT_EQ(a->nHeight, c.height);
        EXPECT_FALSE(a->bAlpha);
        const auto* pixels = static_cast<const std::uint32_t*>(a->pBits);
        EXPECT_EQ(pixels[0], c.colour);
        EXPECT_EQ(pixels[static_cast<std::size_t>(c.width) * c.height - 1], c.colour);
        // An image with only its 100 % set grows from it.
        const TImageInfo* only = images.Load(L"only.png", L"", 0);
        ASSERT_NE(only, nullptr);
        EXPECT_EQ(only->nWidth, CDisplayScale(c.dpi).Scale(10));
        EXPECT_EQ(only->nSetPercent, 100);
    }

    // A mask registered with an image stays when the scale changes.
    folder.AddSolidPng(L"masked.png", 4, 4, 0xFFFF00FFu);
    images.SetDisplayScale(CDisplayScale(96));
    ASSERT_NE(images.Load(L"masked.png", L"", 0xFFFF00FFu), nullptr);
    EXPECT_TRUE(images.Find(L"masked.png")->bAlpha);
    images.SetDisplayScale(CDisplayScale(144));
    const TImageInfo* again = images.Find(L"masked.png");
    ASSERT_NE(again, nullptr) << "loaded again for the new scale";
    EXPECT_EQ(again->nWidth, 6);
    EXPECT_EQ(again->dwMask, 0xFFFF00FFu);
    EXPECT_TRUE(again->bAlpha);
    EXPECT_EQ(static_cast<const std::uint32_t*>(again->pBits)[0], 0u) << "still masked";
}

}  // namespace
