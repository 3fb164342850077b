#include "toolkit/controls/ButtonUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new RecordingLayout;
        button = new CButtonUI;
        button->SetName(L"btnOk");
        button->ApplyAttribute(L"float", L"true");
        button->ApplyAttribute(L"pos", L"10,10,50,40");
        root->Add(button);
        manager.AddNotifyTarget(&log);
        manager.AttachTree(root);
        manager.UpdateLayout({0, 0, 100, 100});
        log.types.clear();
    }
    void Send(int type, POINT pt = {20, 20}, WORD key = 0)
    {
        TEventRecord e;
        e.nType = type;
        e.ptMouse = pt;
        e.chKey = key;
        button->DispatchEvent(e);
    }

    CWindowManagerUI manager;
    NotifyLog log;
    RecordingLayout* root = nullptr;
    CButtonUI* button = nullptr;
};

constexpr POINT kInside = {20, 20};
constexpr POINT kOutside = {80, 80};

TEST_F(ButtonTest, PressDragRelease)
{
    struct Step {
        int type;
        POINT pt;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int clicks;
    } cases[] = {
        {"press and release inside", {{EV_BUTTONDOWN, kInside}, {EV_BUTTONUP, kInside}}, 1},
        {"dragged out, released outside",
         {{EV_BUTTONDOWN, kInside}, {EV_MOUSEMOVE, kOutside}, {EV_BUTTONUP, kOutside}}, 0},
        {"dragged out and back",
         {{EV_BUTTONDOWN, kInside}, {EV_MOUSEMOVE, kOutside}, {EV_MOUSEMOVE, kInside}, {EV_BUTTONUP, kInside}}, 1},
        {"dragged out, released inside without a move back",
         {{EV_BUTTONDOWN, kInside}, {EV_MOUSEMOVE, kOutside}, {EV_BUTTONUP, kInside}}, 1},
        {"pressed outside", {{EV_BUTTONDOWN, kOutside}, {EV_BUTTONUP, kInside}}, 0},
        {"release without a press", {{EV_BUTTONUP, kInside}}, 0},
        {"double click", {{EV_DBLCLICK, kInside}, {EV_BUTTONUP, kInside}}, 1},
    };
    for (const Case& c : cases) {
        log.types.clear();
        for (const Step& s : c.steps) Send(s.type, s.pt);
        EXPECT_EQ(log.Count(L"click"), c.clicks) << c.what;
        EXPECT_EQ(button->ButtonState() & (BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED), 0u) << c.what;
    }
}

TEST_F(ButtonTest, PushedFollowsThePointerWhileCaptured)
{
    Send(EV_BUTTONDOWN, kInside);
    EXPECT_EQ(button->ButtonState() & (BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED),
              BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED);
    Send(EV_MOUSEMOVE, kOutside);
    EXPECT_EQ(button->ButtonState() & (BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED), BUTTON_STATE_CAPTURED);
    Send(EV_MOUSEMOVE, kInside);
    EXPECT_TRUE(button->ButtonState() & BUTTON_STATE_PUSHED);
}

TEST_F(ButtonTest, KeysActivateTheButton)
{
    struct Case {
        WORD key;
        bool keyboard;
        int clicks;
    } cases[] = {{VK_SPACE, true, 1}, {VK_RETURN, true, 1}, {'A', true, 0}, {VK_RETURN, false, 0}};
    for (const Case& c : cases) {
        log.types.clear();
        button->SetKeyboardEnabled(c.keyboard);
        Send(EV_KEYDOWN, kInside, c.key);
        EXPECT_EQ(log.Count(L"click"), c.clicks) << c.key << " " << c.keyboard;
    }
    EXPECT_EQ(button->ControlFlags() & FLAG_TABSTOP, 0u);
    button->SetKeyboardEnabled(true);
    EXPECT_EQ(button->ControlFlags(), FLAG_TABSTOP | FLAG_SETCURSOR);
}

TEST_F(ButtonTest, DisabledOrHiddenButtonsDoNotActivate)
{
    Send(EV_MOUSEENTER);
    Send(EV_BUTTONDOWN, kInside);
    button->SetEnabled(false);
    EXPECT_EQ(button->ButtonState(), 0u);  // disabling clears every state bit
    Send(EV_BUTTONDOWN, kInside);
    Send(EV_BUTTONUP, kInside);
    EXPECT_FALSE(button->Activate());
    button->SetEnabled(true);
    button->SetVisible(false);
    EXPECT_FALSE(button->Activate());
    EXPECT_EQ(log.Count(L"click"), 0);
    EXPECT_EQ(button->ControlFlags() & FLAG_SETCURSOR, FLAG_SETCURSOR);
}

TEST_F(ButtonTest, HoverStateAndNotifications)
{
    Send(EV_MOUSEENTER);
    EXPECT_TRUE(button->ButtonState() & BUTTON_STATE_HOT);
    Send(EV_MOUSELEAVE);
    EXPECT_FALSE(button->ButtonState() & BUTTON_STATE_HOT);
    EXPECT_EQ(log.types, std::vector<std::wstring>{L"mouseleave"});
    // Both go on to the parent.
    EXPECT_EQ(root->events, (std::vector<int>{EV_MOUSEENTER, EV_MOUSELEAVE}));
}

TEST_F(ButtonTest, MouseDisabledButtonPassesMouseEventsUp)
{
    button->SetMouseEnabled(false);
    Send(EV_BUTTONDOWN, kInside);
    Send(EV_BUTTONUP, kInside);
    Send(EV_KEYDOWN, kInside, VK_SPACE);  // not a mouse event: still handled
    EXPECT_EQ(root->events, (std::vector<int>{EV_BUTTONDOWN, EV_BUTTONUP}));
    EXPECT_EQ(log.Count(L"click"), 1);
}

TEST_F(ButtonTest, ContextMenuStopsAtTheButton)
{
    Send(EV_CONTEXTMENU);
    button->ApplyAttribute(L"menu", L"true");
    Send(EV_CONTEXTMENU);
    EXPECT_EQ(log.types, std::vector<std::wstring>{L"menu"});
    EXPECT_TRUE(root->events.empty());
}

TEST_F(ButtonTest, ActivationSelectsTheBoundTabPage)
{
    auto* tab = new CTabLayoutUI;
    tab->SetName(L"wizardTab");
    tab->Add(new CVerticalLayoutUI);
    tab->Add(new CVerticalLayoutUI);
    root->Add(tab);
    button->ApplyAttribute(L"bindtablayoutname", L"wizardTab");
    button->ApplyAttribute(L"bindtabindex", L"1");
    button->ApplyAttribute(L"bindtabindex", L"-4");  // ignored
    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(tab->CurrentPage(), 1);
    ASSERT_FALSE(log.types.empty());
    EXPECT_EQ(log.types.front(), L"click");  // the click comes first
    EXPECT_EQ(log.types.back(), L"tabselect");
}

// A click handler that takes the button out of its window: the button does
// nothing more for that window (no page of the bound tab is selected), and
// nothing touches it once it is gone.
TEST(ButtonLifetimeTest, AClickHandlerThatTakesTheButtonAwayEndsItsActivation)
{
    enum class Away { Removed, Deleted, OtherTree };
    const struct {
        Away away;
        const char* name;
    } cases[] = {
        {Away::Removed, "removed (deleted later)"},
        {Away::Deleted, "removed and deleted at once"},
        {Away::OtherTree, "its window takes another tree"},
    };
    for (const auto& c : cases) {
        CWindowManagerUI manager;
        auto* root = new CVerticalLayoutUI;
        auto* tab = new CTabLayoutUI;
        tab->SetName(L"wizardTab");
        tab->Add(new CVerticalLayoutUI);
        tab->Add(new CVerticalLayoutUI);
        auto* button = new CButtonUI;
        button->ApplyAttribute(L"float", L"true");
        button->ApplyAttribute(L"pos", L"10,10,50,40");
        button->ApplyAttribute(L"bindtablayoutname", L"wizardTab");
        button->ApplyAttribute(L"bindtabindex", L"1");
        bool destroyed = false;
        button->OnDestroyed.Add([&destroyed](CControlUI*) {
            destroyed = true;
            return true;
        });
        root->Add(tab);
        root->Add(button);
        manager.AttachTree(root);
        manager.UpdateLayout({0, 0, 100, 100});

        struct TakeAway : INotifyUI {
            std::function<void()> action;
            std::vector<std::wstring> types;
            void OnNotify(TNotifyRecord& record) override
            {
                types.emplace_back(record.sType.View());
                if (record.sType.View() == L"click" && action) std::exchange(action, nullptr)();
            }
        } handler;
        switch (c.away) {
        case Away::Removed:
            handler.action = [&] { root->Remove(button); };
            break;
        case Away::Deleted:
            root->SetDelayedDestroy(false);
            handler.action = [&] { root->Remove(button); };
            break;
        case Away::OtherTree:
            handler.action = [&] { manager.AttachTree(new CVerticalLayoutUI); };
            break;
        }
        manager.AddNotifyTarget(&handler);

        TEventRecord press;
        press.nType = EV_BUTTONDOWN;
        press.ptMouse = {20, 20};
        button->DispatchEvent(press);
        TEventRecord release = press;
        release.nType = EV_BUTTONUP;
        button->DispatchEvent(release);

        EXPECT_EQ(std::count(handler.types.begin(), handler.types.end(), L"click"), 1) << c.name;
        EXPECT_EQ(std::count(handler.types.begin(), handler.types.end(), L"tabselect"), 0) << c.name;
        EXPECT_EQ(tab->CurrentPage(), 0) << c.name;
        EXPECT_EQ(destroyed, c.away == Away::Deleted) << c.name;
        if (!destroyed) {
            EXPECT_EQ(button->Manager(), nullptr) << c.name;
            EXPECT_EQ(button->ButtonState() & (BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED), 0u) << c.name;
        }
        manager.RemoveNotifyTarget(&handler);
    }
}

TEST_F(ButtonTest, MeasuresTextHeightPlusEightWithoutHeight)
{
    CButtonUI plain;
    plain.AttachManager(&manager, nullptr, true);
    EXPECT_EQ(plain.MeasureSize({100, 100}).cy, manager.TextMetricsAt(-1).tmHeight + 8);
    plain.SetFixedHeight(32);
    EXPECT_EQ(plain.MeasureSize({100, 100}).cy, 32);
}

class ButtonPaintTest : public ButtonTest {
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        folder.AddSolidPng(L"normal.png", 2, 2, 0xFFFF0000u);
        folder.AddSolidPng(L"hot.png", 2, 2, 0xFF00FF00u);
        folder.AddSolidPng(L"pushed.png", 2, 2, 0xFF0000FFu);
        folder.AddSolidPng(L"fore.png", 2, 2, 0xFF000000u);
        manager.SetSkinFileReader(&folder.reader());
        button->ApplyAttribute(L"normalimage", L"normal.png");
        button->ApplyAttribute(L"hotimage", L"hot.png");
        button->ApplyAttribute(L"pushedimage", L"pushed.png");
    }
    DWORD PaintedColour()
    {
        TestCanvas canvas(100, 100);
        manager.PaintTree(canvas.dc(), {0, 0, 100, 100});
        return canvas.Pixel(30, 25);
    }
    TestSkinFolder folder;
};

TEST_F(ButtonPaintTest, StateImagesFollowTheState)
{
    EXPECT_EQ(PaintedColour(), kRed);
    Send(EV_MOUSEENTER);
    EXPECT_EQ(PaintedColour(), kGreen);
    Send(EV_BUTTONDOWN, kInside);
    EXPECT_EQ(PaintedColour(), kBlue);
    Send(EV_MOUSEMOVE, kOutside);  // hot, no longer pushed
    EXPECT_EQ(PaintedColour(), kGreen);
}

TEST_F(ButtonPaintTest, MissingImagesFallThroughAndAreCleared)
{
    button->ApplyAttribute(L"hotimage", L"missing.png");
    button->ApplyAttribute(L"hotbkcolor", L"#FFFFFF00");
    Send(EV_MOUSEENTER);
    EXPECT_EQ(PaintedColour(), 0xFFFF00u);  // the hot colour fills instead
    EXPECT_TRUE(button->HotImage().IsEmpty());
    Send(EV_MOUSELEAVE);
    button->ApplyAttribute(L"foreimage", L"file='fore.png' dest='0,0,5,5'");
    TestCanvas canvas(100, 100);
    manager.PaintTree(canvas.dc(), {0, 0, 100, 100});
    EXPECT_EQ(canvas.Pixel(12, 12), kBlack);  // the fore image over the normal one
    EXPECT_EQ(canvas.Pixel(30, 25), kRed);
}

}  // namespace
