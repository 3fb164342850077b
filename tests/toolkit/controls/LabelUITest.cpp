#include "toolkit/controls/LabelUI.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

TEST(LabelUITest, AlignmentAttributesSetTheTextStyle)
{
    struct Case {
        bool button;
        const wchar_t* name;
        const wchar_t* value;
        UINT expected;
    } cases[] = {
        {false, L"align", L"center", DT_VCENTER | DT_CENTER},  // DT_VCENTER stays
        {false, L"align", L"right", DT_VCENTER | DT_RIGHT},
        {false, L"align", L"left", DT_VCENTER},
        {true, L"align", L"left", DT_VCENTER},                  // no longer single-line
        {true, L"align", L"right", DT_VCENTER | DT_RIGHT},
        {true, L"align", L"leftcenter", DT_VCENTER | DT_CENTER},  // tested in order: left, then center
        {false, L"valign", L"top", DT_SINGLELINE},
        {false, L"valign", L"bottom", DT_BOTTOM | DT_SINGLELINE},
        {false, L"valign", L"vcenter", DT_VCENTER | DT_SINGLELINE},
        {true, L"valign", L"top", DT_CENTER | DT_SINGLELINE},
        {false, L"endellipsis", L"true", DT_VCENTER | DT_END_ELLIPSIS},
        {true, L"multiline", L"true", DT_CENTER | DT_VCENTER | DT_WORDBREAK},
    };
    for (const Case& c : cases) {
        CButtonUI button;
        CLabelUI label;
        CLabelUI& target = c.button ? button : label;
        target.ApplyAttribute(c.name, c.value);
        EXPECT_EQ(target.TextStyle(), c.expected) << (c.button ? "button " : "label ") << c.name << "=" << c.value;
    }
}

class LabelTest : public ::testing::Test {
protected:
    LabelTest() { manager.AppendFont(L"Tahoma", 14, false, false, false); }
    LONG FontHeight(int font) { return manager.TextMetricsAt(font).tmHeight; }
    CWindowManagerUI manager;
};

TEST_F(LabelTest, MeasuresTheFontHeightPlusFour)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    EXPECT_EQ(label.MeasureSize({500, 500}).cy, FontHeight(-1) + 4);
    label.ApplyAttribute(L"font", L"0");
    EXPECT_EQ(label.MeasureSize({500, 500}).cy, FontHeight(0) + 4);
    label.ApplyAttribute(L"height", L"28");
    EXPECT_EQ(label.MeasureSize({500, 500}).cy, 28);
    EXPECT_EQ(label.MeasureSize({500, 500}).cx, 0);
}

TEST_F(LabelTest, AutoWidthFollowsTheText)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    label.ApplyAttribute(L"autocalcwidth", L"true");
    label.ApplyAttribute(L"textpadding", L"3,0,5,0");
    EXPECT_EQ(label.MeasureSize({500, 500}).cx, 8);  // no text: the padding only
    label.SetText(L"short");
    const LONG shortWidth = label.MeasureSize({500, 500}).cx;
    label.SetText(L"a much longer text");
    const LONG longWidth = label.MeasureSize({500, 500}).cx;
    EXPECT_GT(shortWidth, 8);
    EXPECT_GT(longWidth, shortWidth);
    EXPECT_EQ(label.FixedWidth(), longWidth);
}

// The text padding at the limits: the measured width and the text's
// rectangle saturate instead of wrapping to the far side.
TEST_F(LabelTest, TextPaddingAtTheLimitsNeverWrapsAnEdge)
{
    struct Probe : CLabelUI {
        RECT PaddedTextRect() const { return TextRect(); }
    };
    Probe label;
    label.AttachManager(&manager, nullptr, true);
    label.SetText(L"Vorkan");
    label.ApplyAttribute(L"autocalcwidth", L"true");
    label.ApplyAttribute(L"textpadding", L"2147483647,2147483647,2147483647,2147483647");
    EXPECT_EQ(label.MeasureSize({100, 100}).cx, INT_MAX);
    label.Place({10, 10, 110, 40});
    EXPECT_GE(label.PaddedTextRect().left, 10);
    EXPECT_GE(label.PaddedTextRect().top, 10);
    label.ApplyAttribute(L"textpadding", L"-2147483648,-2147483648,-2147483648,-2147483648");
    EXPECT_GE(label.PaddedTextRect().right, 110);
    EXPECT_GE(label.PaddedTextRect().bottom, 40);
    TestCanvas canvas(120, 50);
    label.Paint(canvas.dc(), {0, 0, 120, 50});  // draws its text in a saturated rectangle
    label.AttachManager(nullptr, nullptr, false);
}

TEST_F(LabelTest, LabelWithoutHeightDoesNotStretchInAVerticalLayout)
{
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    auto* filler = new CControlUI;
    root->Add(label);
    root->Add(filler);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 200, 300});
    EXPECT_EQ(label->Height(), FontHeight(-1) + 4);
    EXPECT_EQ(filler->Rect().top, label->Rect().bottom);
    EXPECT_EQ(filler->Rect().bottom, 300);
}

TEST_F(LabelTest, TextIgnoresTheAlphaOfItsColour)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    label.ApplyAttribute(L"textcolor", L"#444444");
    label.ApplyAttribute(L"font", L"0");
    label.SetText(L"WWWW");
    label.Place({0, 0, 80, 30});
    TestCanvas canvas(80, 30);
    label.Paint(canvas.dc(), {0, 0, 80, 30});
    EXPECT_GT(canvas.Count(0x444444, {0, 0, 80, 30}), 0);
}

TEST_F(LabelTest, ZeroColoursTakeTheManagersDefaults)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    label.SetText(L"WWWW");
    label.Place({0, 0, 80, 30});
    label.SetEnabled(false);
    TestCanvas canvas(80, 30);
    label.Paint(canvas.dc(), {0, 0, 80, 30});
    EXPECT_EQ(label.TextColour(), manager.DefaultFontColour());
    EXPECT_EQ(label.DisabledTextColour(), manager.DefaultDisabledColour());
    EXPECT_GT(canvas.Count(manager.DefaultDisabledColour() & 0xFFFFFF, {0, 0, 80, 30}), 0);
    EXPECT_EQ(canvas.Count(manager.DefaultFontColour() & 0xFFFFFF, {0, 0, 80, 30}), 0);
}

TEST_F(LabelTest, EffectsOrAnEmptyTextPaintNothing)
{
    for (const wchar_t* effect : {L"true", L"false"}) {
        CLabelUI label;
        label.AttachManager(&manager, nullptr, true);
        label.ApplyAttribute(L"textcolor", L"#FF000000");
        label.ApplyAttribute(L"enabledeffect", effect);
        label.SetText(std::wstring(effect) == L"true" ? L"WWWW" : L"");
        label.Place({0, 0, 80, 30});
        TestCanvas canvas(80, 30);
        label.Paint(canvas.dc(), {0, 0, 80, 30});
        EXPECT_TRUE(canvas.AllOf(kWhite, {0, 0, 80, 30})) << effect;
    }
}

TEST_F(LabelTest, FormattedTextDrawsItsColours)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    label.ApplyAttribute(L"showhtml", L"true");
    label.ApplyAttribute(L"textcolor", L"#FF000000");
    label.SetText(L"<c #FFFF0000>WW</c><b>WW</b>");
    label.Place({0, 0, 120, 30});
    TestCanvas canvas(120, 30);
    label.Paint(canvas.dc(), {0, 0, 120, 30});
    EXPECT_GT(canvas.Count(kRed, {0, 0, 120, 30}), 0);
    EXPECT_GT(canvas.Count(kBlack, {0, 0, 120, 30}), 0);
}

TEST_F(LabelTest, FocusNeitherRepaintsNorActivates)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, true);
    label.Place({0, 0, 10, 10});
    manager.ClearInvalidated();
    struct Log : INotifyUI {
        int count = 0;
        void OnNotify(TNotifyRecord&) override { ++count; }
    } log;
    manager.AddNotifyTarget(&log);
    TEventRecord e;
    e.nType = EV_SETFOCUS;
    label.DispatchEvent(e);
    EXPECT_TRUE(label.IsFocused());
    EXPECT_TRUE(::IsRectEmpty(&manager.InvalidatedSinceLastPaint()));
    e.nType = EV_KEYDOWN;
    e.chKey = VK_RETURN;
    label.DispatchEvent(e);
    EXPECT_EQ(log.count, 0);
    manager.RemoveNotifyTarget(&log);
}

}  // namespace
