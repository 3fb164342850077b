#include "toolkit/layout/HorizontalLayoutUI.h"

#include <gtest/gtest.h>

#include "tests/toolkit/layout/LayoutTestTree.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

TEST(HorizontalLayoutUITest, SpacersAndTheMessageLine)
{
    CWindowManagerUI manager;
    CVerticalLayoutUI* root = BuildNoticeBoxTree(manager);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 440, 260});
    auto* row = static_cast<CHorizontalLayoutUI*>(manager.FindByName(L"verOnlyTip"));
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->ChildCount(), 3);
    struct Expected {
        LONG left, right;
    } cells[] = {{0, 10}, {10, 430}, {430, 440}};
    for (int i = 0; i < 3; ++i) {
        const RECT& r = row->ChildAt(i)->Rect();
        EXPECT_EQ(r.left, cells[i].left) << i;
        EXPECT_EQ(r.right, cells[i].right) << i;
        EXPECT_EQ(r.top, 134) << i;  // full height, the label too
        EXPECT_EQ(r.bottom, 162) << i;
    }
    EXPECT_EQ(manager.FindByName(L"labelTip"), row->ChildAt(1));
}

TEST(HorizontalLayoutUITest, WidthsShareLikeHeightsInAColumn)
{
    auto* layout = new CHorizontalLayoutUI;
    layout->SetChildPadding(2);
    CControlUI* children[4];
    for (CControlUI*& c : children) {
        c = new CControlUI;
        layout->Add(c);
    }
    children[0]->ApplyAttribute(L"width", L"20");
    children[1]->ApplyAttribute(L"padding", L"3,4,1,5");
    children[3]->ApplyAttribute(L"height", L"7");
    CWindowManagerUI manager;
    manager.AttachTree(layout);
    layout->Place({0, 0, 100, 30});
    // Fixed: 20 + paddings 4 + child padding 3 * 2 = 30; three adjustables share 70.
    EXPECT_EQ(children[0]->Rect().right, 20);
    EXPECT_EQ(children[1]->Rect().left, 25);
    EXPECT_EQ(children[1]->Rect().right, 48);
    EXPECT_EQ(children[1]->Rect().top, 4);
    EXPECT_EQ(children[1]->Rect().bottom, 25);
    EXPECT_EQ(children[2]->Rect().left, 51);
    EXPECT_EQ(children[2]->Rect().right, 74);
    EXPECT_EQ(children[3]->Rect().left, 76);
    EXPECT_EQ(children[3]->Rect().right, 99);
    EXPECT_EQ(children[3]->Rect().bottom, 7);
}

}  // namespace
