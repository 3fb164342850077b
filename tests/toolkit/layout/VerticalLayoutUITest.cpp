#include "toolkit/layout/VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/layout/LayoutTestTree.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

struct Span {
    LONG top, bottom;
};

// Lays out a vertical layout of the given children in a 100-wide column.
class VerticalLayoutTest : public ::testing::Test {
protected:
    CControlUI* AddChild(int height, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> more = {})
    {
        auto* child = new CControlUI;
        if (height) child->SetFixedHeight(height);
        ApplyAll(child, more);
        layout->Add(child);
        children.push_back(child);
        return child;
    }
    std::vector<Span> Lay(int height)
    {
        if (!manager.Root()) manager.AttachTree(layout);
        layout->Place({0, 0, 100, height});
        std::vector<Span> spans;
        for (CControlUI* c : children) spans.push_back({c->Rect().top, c->Rect().bottom});
        return spans;
    }

    CWindowManagerUI manager;
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    std::vector<CControlUI*> children;
};

void ExpectSpans(const std::vector<Span>& actual, const std::vector<Span>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].top, expected[i].top) << "child " << i;
        EXPECT_EQ(actual[i].bottom, expected[i].bottom) << "child " << i;
    }
}

TEST_F(VerticalLayoutTest, AdjustableChildrenShareTheRestWithoutTheRemainder)
{
    AddChild(0);
    AddChild(0);
    AddChild(0);
    ExpectSpans(Lay(100), {{0, 33}, {33, 66}, {66, 99}});  // the last pixel stays empty
}

TEST_F(VerticalLayoutTest, FixedChildrenAndPaddingsComeFirst)
{
    layout->SetChildPadding(3);
    AddChild(20, {{L"padding", L"0,5,0,2"}});
    AddChild(0);
    AddChild(10);
    // Fixed: 20 + 10 + paddings 7 + child padding 2 * 3 = 43; the adjustable gets 57.
    ExpectSpans(Lay(100), {{5, 25}, {30, 87}, {90, 100}});
}

TEST_F(VerticalLayoutTest, LimitsClampMeasuredAndSharedHeights)
{
    AddChild(50, {{L"maxheight", L"40"}});
    AddChild(0, {{L"minheight", L"30"}});
    AddChild(0, {{L"maxheight", L"5"}});
    // Fixed total 40 leaves 60: 30 each, then clamped by each child's limits.
    ExpectSpans(Lay(100), {{0, 40}, {40, 70}, {70, 75}});
}

TEST_F(VerticalLayoutTest, TooLittleSpaceGivesAdjustablesNothing)
{
    AddChild(80);
    AddChild(0);
    AddChild(50);
    ExpectSpans(Lay(100), {{0, 80}, {80, 80}, {80, 130}});
}

TEST_F(VerticalLayoutTest, HiddenAndFloatChildrenTakeNoRow)
{
    AddChild(0);
    CControlUI* hidden = AddChild(30);
    hidden->SetVisible(false);
    AddChild(0, {{L"float", L"true"}, {L"pos", L"5,5,15,15"}});
    AddChild(0);
    const std::vector<Span> spans = Lay(100);
    EXPECT_EQ(spans[0].bottom, 50);
    EXPECT_EQ(spans[3].top, 50);
    EXPECT_EQ(spans[3].bottom, 100);
    EXPECT_EQ(spans[2].top, 5);  // float placement
}

TEST_F(VerticalLayoutTest, WidthIsFixedOrTheColumnWithinLimits)
{
    layout->SetInset({4, 6, 4, 0});
    CControlUI* fixed = AddChild(10, {{L"width", L"30"}});
    CControlUI* full = AddChild(10, {{L"padding", L"2,0,3,0"}});
    CControlUI* limited = AddChild(10, {{L"maxwidth", L"50"}});
    Lay(100);
    EXPECT_EQ(fixed->Rect().left, 4);
    EXPECT_EQ(fixed->Rect().right, 34);
    EXPECT_EQ(fixed->Rect().top, 6);
    EXPECT_EQ(full->Rect().left, 6);
    EXPECT_EQ(full->Rect().right, 93);
    EXPECT_EQ(limited->Rect().right, 54);
}

TEST(VerticalLayoutUITest, NoticeBoxRowsAndOkButton)
{
    CWindowManagerUI manager;
    CVerticalLayoutUI* root = BuildNoticeBoxTree(manager);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 440, 260});
    ASSERT_EQ(root->ChildCount(), 3);
    struct Expected {
        LONG top, bottom;
    } rows[] = {{0, 134}, {134, 162}, {162, 260}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(root->ChildAt(i)->Rect().top, rows[i].top) << i;
        EXPECT_EQ(root->ChildAt(i)->Rect().bottom, rows[i].bottom) << i;
        EXPECT_EQ(root->ChildAt(i)->Rect().right, 440) << i;
    }
    CControlUI* ok = manager.FindByName(L"btnOk");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Rect().left, 172);
    EXPECT_EQ(ok->Rect().top, 208);
    EXPECT_EQ(ok->Rect().right, 268);
    EXPECT_EQ(ok->Rect().bottom, 240);
    CControlUI* close = manager.FindByName(L"btnClose");
    EXPECT_EQ(close->Rect().left, 408);
    EXPECT_EQ(close->Rect().bottom, 32);
}

}  // namespace
