// Controls at a display scale: the skin's lengths are logical pixels,
// scaled as they are applied in a window of another scale; a control made
// before it joins a window converts what it holds when it joins; and a
// move to another scale and back gives every length back exactly.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;

bool Same(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

// What a control holds of its lengths, to compare before and after moves.
struct Lengths {
    SIZE offset, fixed, min, max;
    RECT padding, sides;
    int border, tip;
    SIZE round;
    bool operator==(const Lengths& o) const
    {
        return offset.cx == o.offset.cx && offset.cy == o.offset.cy && fixed.cx == o.fixed.cx &&
               fixed.cy == o.fixed.cy && min.cx == o.min.cx && min.cy == o.min.cy && max.cx == o.max.cx &&
               max.cy == o.max.cy && Same(padding, o.padding) && Same(sides, o.sides) && border == o.border &&
               tip == o.tip && round.cx == o.round.cx && round.cy == o.round.cy;
    }
};

Lengths LengthsOf(const CControlUI& c)
{
    return {c.FloatOffset(), {c.FixedWidth(), c.FixedHeight()}, {c.MinWidth(), c.MinHeight()},
            {c.MaxWidth(), c.MaxHeight()}, c.Padding(), c.BorderSides(), c.BorderSize(), c.ToolTipWidth(),
            c.BorderRound()};
}

class ControlScaleTest : public ::testing::Test {
protected:
    // A window manager at 150 %, without a native window.
    void SetUp() override { manager.ChangeDisplayScale(CDisplayScale(144)); }
    CWindowManagerUI manager;
};

TEST_F(ControlScaleTest, SkinLengthsAreScaledAsTheyAreApplied)
{
    CButtonUI button;
    button.AttachManager(&manager, nullptr, false);
    EXPECT_EQ(button.DisplayScale().Dpi(), 144);
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> attributes = {
        {L"pos", L"902,6,926,30"},   {L"padding", L"1,2,3,4"},   {L"minwidth", L"5"},    {L"maxheight", L"40"},
        {L"bordersize", L"1,2,3,4"}, {L"borderround", L"3,5"},   {L"textpadding", L"2,0,2,1"},
        {L"textcolor", L"#FF102030"}, {L"font", L"3"},           {L"relativepos", L"10,20,30,40"},
    };
    for (const auto& a : attributes) button.ApplyAttribute(a.first, a.second);
    EXPECT_EQ(button.FloatOffset().cx, 1353);
    EXPECT_EQ(button.FloatOffset().cy, 9);
    EXPECT_EQ(button.FixedWidth(), 36);  // the width scaled, not two scaled edges apart
    EXPECT_EQ(button.FixedHeight(), 36);
    EXPECT_TRUE(Same(button.Padding(), {2, 3, 5, 6}));  // 1.5 and 4.5 round away from zero
    EXPECT_EQ(button.MinWidth(), 8);
    EXPECT_EQ(button.MaxHeight(), 60);
    EXPECT_TRUE(Same(button.BorderSides(), {2, 3, 5, 6}));
    EXPECT_EQ(button.BorderRound().cx, 5);
    EXPECT_EQ(button.BorderRound().cy, 8);
    EXPECT_TRUE(Same(button.TextPadding(), {3, 0, 3, 2}));
    // Not lengths: as written.
    EXPECT_EQ(button.TextColour(), 0xFF102030u);
    EXPECT_EQ(button.Font(), 3);
    EXPECT_EQ(button.RelativePlacement().nZoomXPercent, 30);
    // One size for all sides, and one side on its own.
    button.ApplyAttribute(L"bordersize", L"1");
    EXPECT_EQ(button.BorderSize(), 2);
    button.ApplyAttribute(L"leftbordersize", L"3");
    EXPECT_EQ(button.BorderSides().left, 5);
    // A negative length is still ignored.
    button.ApplyAttribute(L"width", L"-4");
    EXPECT_EQ(button.FixedWidth(), 36);

    CHorizontalLayoutUI row;
    row.AttachManager(&manager, nullptr, false);
    row.ApplyAttribute(L"inset", L"10,0,10,3");
    row.ApplyAttribute(L"childpadding", L"5");
    EXPECT_TRUE(Same(row.Inset(), {15, 0, 15, 5}));
    EXPECT_EQ(row.ChildPadding(), 8);
}

TEST_F(ControlScaleTest, AControlJoiningAWindowConvertsWhatItHolds)
{
    // Made in logical pixels: the progress bar's default height of 12 and
    // the tooltip's width of 300 are lengths too.
    auto* progress = new CProgressUI;
    auto* label = new CLabelUI;
    progress->SetFixedWidth(530);
    label->SetTextPadding({4, 0, 4, 0});
    CVerticalLayoutUI root;
    ASSERT_TRUE(root.Add(progress));
    ASSERT_TRUE(root.Add(label));
    EXPECT_EQ(progress->FixedHeight(), 12);
    root.AttachManager(&manager, nullptr, true);
    for (CControlUI* c : {static_cast<CControlUI*>(&root), static_cast<CControlUI*>(progress),
                          static_cast<CControlUI*>(label)})
        EXPECT_EQ(c->DisplayScale().Dpi(), 144);
    EXPECT_EQ(progress->FixedHeight(), 18);
    EXPECT_EQ(progress->FixedWidth(), 795);
    EXPECT_EQ(progress->ToolTipWidth(), 450);
    EXPECT_TRUE(Same(label->TextPadding(), {6, 0, 6, 0}));
    // A label of no fixed height measures its font's height plus 4 logical pixels.
    EXPECT_EQ(label->MeasureSize({100, 100}).cy, manager.TextMetricsAt(-1).tmHeight + 6);
    root.AttachManager(nullptr, nullptr, false);
}

// Scaled to other displays and back, a control holds exactly what it held:
// no length drifts by the rounding of each move.
TEST_F(ControlScaleTest, MovesBetweenScalesComeBackExactly)
{
    CLabelUI label;
    label.AttachManager(&manager, nullptr, false);
    for (const auto& a : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
             {L"pos", L"-30,7,-6,31"}, {L"padding", L"3,3,1,1"}, {L"minheight", L"7"}, {L"bordersize", L"1"},
             {L"borderround", L"9,9"}, {L"textpadding", L"5,1,5,1"}})
        label.ApplyAttribute(a.first, a.second);
    const Lengths start = LengthsOf(label);
    const RECT startText = label.TextPadding();
    for (const int dpi : {120, 192, 96, 168, 144, 240, 120, 144}) {
        label.SetDisplayScale(CDisplayScale(dpi));
        EXPECT_EQ(label.FloatOffset().cx, CDisplayScale(dpi).Scale(-6)) << dpi;
        EXPECT_EQ(label.FixedWidth(), CDisplayScale(dpi).Scale(24)) << dpi;
        EXPECT_EQ(label.TextPadding().left, CDisplayScale(dpi).Scale(5)) << dpi;
    }
    EXPECT_TRUE(LengthsOf(label) == start);
    EXPECT_TRUE(Same(label.TextPadding(), startText));
    EXPECT_TRUE(label.NeedsLayout()) << "a new scale asks for layout";
    label.AttachManager(nullptr, nullptr, false);
}

}  // namespace
