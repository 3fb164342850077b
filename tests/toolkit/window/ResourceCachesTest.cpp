// The window's resource caches on their own: fonts by index, images by
// name, default attribute lists by element name.
#include "toolkit/window/ResourceCaches.h"

#include <gtest/gtest.h>

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

}  // namespace
