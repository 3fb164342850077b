#include "toolkit/controls/ProgressUI.h"

#include <gtest/gtest.h>

#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.AddSolidPng(L"fore.png", 4, 4, 0xFFFF0000u);
        manager.SetSkinFileReader(&folder.reader());
        progress.AttachManager(&manager, nullptr, true);
        progress.ApplyAttribute(L"foreimage", L"fore.png");
        progress.ApplyAttribute(L"min", L"0");
        progress.ApplyAttribute(L"max", L"100");
        progress.Place({0, 0, 100, 10});
    }
    // The number of red columns on the middle row.
    int FilledWidth()
    {
        TestCanvas canvas(100, 10);
        progress.Paint(canvas.dc(), {0, 0, 100, 10});
        return canvas.Count(kRed, {0, 5, 100, 6});
    }

    TestSkinFolder folder;
    CWindowManagerUI manager;
    CProgressUI progress;
};

TEST_F(ProgressTest, ValuesOutsideTheRangeAreIgnored)
{
    progress.SetValue(50);
    EXPECT_EQ(FilledWidth(), 50);
    EXPECT_EQ(progress.ForeImageModifier().View(), L"dest='0,0,50,10'");
    for (int ignored : {150, -1, 50}) {
        progress.SetValue(ignored);
        EXPECT_EQ(progress.Value(), 50) << ignored;
    }
    progress.ApplyAttribute(L"value", L"101");
    EXPECT_EQ(progress.Value(), 50);
    progress.ApplyAttribute(L"value", L"100");
    EXPECT_EQ(FilledWidth(), 100);
    progress.SetValue(0);
    EXPECT_EQ(FilledWidth(), 0);
}

TEST_F(ProgressTest, FillUsesIntegerDivision)
{
    progress.Place({0, 0, 99, 10});
    progress.SetValue(50);
    FilledWidth();
    EXPECT_EQ(progress.ForeImageModifier().View(), L"dest='0,0,49,10'");  // 99 * 50 / 100
}

TEST_F(ProgressTest, EqualMinimumAndMaximumPaintAsARangeOfOne)
{
    progress.ApplyAttribute(L"min", L"10");
    progress.ApplyAttribute(L"max", L"10");
    EXPECT_EQ(FilledWidth(), 0);  // the value is clamped up to 10
    EXPECT_EQ(progress.MaxValue(), 11);
    EXPECT_EQ(progress.Value(), 10);
    progress.SetValue(11);
    EXPECT_EQ(FilledWidth(), 100);

    // Extreme limits neither overflow nor divide by zero.
    progress.ApplyAttribute(L"min", L"2147483647");
    progress.ApplyAttribute(L"max", L"-2147483648");
    FilledWidth();
    EXPECT_LT(progress.MinValue(), progress.MaxValue());
    progress.ApplyAttribute(L"min", L"-2147483648");
    progress.ApplyAttribute(L"max", L"2147483647");
    progress.SetValue(2147483647);
    EXPECT_EQ(FilledWidth(), 100);
}

TEST_F(ProgressTest, ModifiersForStretchedAndUncoveredImages)
{
    progress.SetValue(25);
    progress.ApplyAttribute(L"isstretchfore", L"false");
    EXPECT_EQ(FilledWidth(), 25);
    EXPECT_EQ(progress.ForeImageModifier().View(), L"dest='0,0,25,10' source='0,0,25,10'");
    progress.ApplyAttribute(L"isstretchfore", L"true");
    progress.ApplyAttribute(L"hor", L"false");
    TestCanvas canvas(100, 10);
    progress.Paint(canvas.dc(), {0, 0, 100, 10});
    EXPECT_EQ(progress.ForeImageModifier().View(), L"dest='0,7,100,10'");  // from the bottom: 10 * 75 / 100 = 7
    EXPECT_EQ(canvas.Pixel(50, 6), kWhite);
    EXPECT_EQ(canvas.Pixel(50, 7), kRed);
}

TEST_F(ProgressTest, ForeImageThatCannotLoadIsCleared)
{
    progress.ApplyAttribute(L"foreimage", L"missing.png");
    progress.SetValue(30);
    EXPECT_EQ(FilledWidth(), 0);
    EXPECT_TRUE(progress.ForeImage().IsEmpty());
}

// The launcher's bar as built from its own layout file is checked by
// skin_layout_files_tests; here only the default its "height" replaces.
TEST(ProgressUITest, DefaultHeightIsTwelve)
{
    CProgressUI progress;
    EXPECT_EQ(progress.FixedHeight(), 12);
}

}  // namespace
