#include "toolkit/layout/TabLayoutUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/layout/LayoutTestTree.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

struct NotifyLog : INotifyUI {
    std::vector<TNotifyRecord> records;
    void OnNotify(TNotifyRecord& record) override
    {
        if (record.sType == L"tabselect") records.push_back(record);
    }
};

class TabLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tab = new CTabLayoutUI;
        tab->SetName(L"wizardTab");
        for (int i = 0; i < 3; ++i) {
            pages[i] = new CVerticalLayoutUI;
            pages[i]->SetName(std::to_wstring(i));
            tab->Add(pages[i]);
        }
        manager.AddNotifyTarget(&log);
        manager.AttachTree(tab);
        manager.UpdateLayout({0, 0, 200, 100});
    }
    std::vector<bool> Visible() const
    {
        std::vector<bool> v;
        for (int i = 0; i < tab->ChildCount(); ++i) v.push_back(tab->ChildAt(i)->IsVisible());
        return v;
    }

    CWindowManagerUI manager;
    NotifyLog log;
    CTabLayoutUI* tab = nullptr;
    CVerticalLayoutUI* pages[3] = {};
};

TEST_F(TabLayoutTest, FirstVisiblePageAddedIsCurrent)
{
    EXPECT_EQ(tab->CurrentPage(), 0);
    EXPECT_EQ(Visible(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(pages[0]->Rect().right, 200);  // the current page fills the tab
    EXPECT_EQ(pages[0]->Rect().bottom, 100);

    CTabLayoutUI hiddenFirst;
    auto* hidden = new CControlUI;
    hidden->SetVisible(false);
    hiddenFirst.Add(hidden);
    hiddenFirst.Add(new CControlUI);
    EXPECT_EQ(hiddenFirst.CurrentPage(), 1);
}

TEST_F(TabLayoutTest, SelectingRaisesTabSelectOnlyOnAChange)
{
    EXPECT_TRUE(tab->SelectPage(1));
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].wParam, 1u);
    EXPECT_EQ(log.records[0].lParam, 0);
    EXPECT_EQ(log.records[0].pSender, tab);
    EXPECT_EQ(Visible(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(pages[1]->Rect().right, 200);

    EXPECT_TRUE(tab->SelectPage(1));  // already current
    EXPECT_FALSE(tab->SelectPage(3));
    EXPECT_FALSE(tab->SelectPage(-1));
    EXPECT_EQ(log.records.size(), 1u);
    EXPECT_EQ(tab->CurrentPage(), 1);

    CControlUI stranger;
    EXPECT_FALSE(tab->SelectPageControl(&stranger));
    EXPECT_TRUE(tab->SelectPageControl(pages[2]));
    EXPECT_EQ(log.records.back().lParam, 1);
    tab->ApplyAttribute(L"selectedid", L"0");
    EXPECT_EQ(tab->CurrentPage(), 0);
}

TEST_F(TabLayoutTest, RemovingPagesKeepsTheCurrentOneInStep)
{
    tab->SelectPage(2);
    tab->Remove(pages[0]);  // an earlier page
    EXPECT_EQ(tab->CurrentPage(), 1);
    EXPECT_EQ(tab->ChildAt(1), pages[2]);
    tab->Remove(pages[2]);  // the current page: page 0 becomes current and visible
    EXPECT_EQ(tab->CurrentPage(), 0);
    EXPECT_TRUE(pages[1]->IsVisible());
    tab->RemoveAll();
    EXPECT_EQ(tab->CurrentPage(), -1);
    manager.ReapQueuedControls();
}

TEST_F(TabLayoutTest, InsertingBeforeTheCurrentPageShiftsIt)
{
    tab->SelectPage(1);
    auto* inserted = new CVerticalLayoutUI;
    EXPECT_TRUE(tab->AddAt(inserted, 0));
    EXPECT_EQ(tab->CurrentPage(), 2);
    EXPECT_FALSE(inserted->IsVisible());
    EXPECT_EQ(tab->ChildAt(2), pages[1]);
}

TEST(TabLayoutUITest, LauncherDownloadPageLayout)
{
    CWindowManagerUI manager;
    CVerticalLayoutUI* root = BuildLauncherTree(manager, new CControlUI);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 960, 620});
    auto* tab = static_cast<CTabLayoutUI*>(manager.FindByName(L"wizardTab")->InterfaceFor(L"TabLayout"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->CurrentPage(), 0);
    EXPECT_EQ(manager.FindByName(L"ie")->Rect().right, 960);
    EXPECT_FALSE(manager.FindByName(L"vLayoutDownload")->IsVisible());

    ASSERT_TRUE(tab->SelectPage(1));
    manager.UpdateLayout({0, 0, 960, 620});
    const RECT& close = manager.FindByName(L"btnClose")->Rect();
    EXPECT_EQ(close.left, 928);
    EXPECT_EQ(close.bottom, 34);
    const RECT& tip = manager.FindByName(L"progTip")->Rect();
    EXPECT_EQ(tip.top, 332);
    EXPECT_EQ(tip.right, 850);
    EXPECT_EQ(tip.bottom, 352);
    EXPECT_TRUE(manager.FindByName(L"progress")->IsVisible());
    // The focus moved to the first tab stop of the new page at the layout.
    EXPECT_EQ(manager.FocusedControl(), manager.FindByName(L"btnMin"));
}

}  // namespace
