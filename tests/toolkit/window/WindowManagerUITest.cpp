#include "toolkit/window/WindowManagerUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

// A hidden message-only window for the parts that need a native window.
class MessageWindow {
public:
    MessageWindow()
        : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
    }
    ~MessageWindow()
    {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
    }
    HWND get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

template <typename T>
T* Named(const wchar_t* name)
{
    T* control = new T;
    control->SetName(name);
    return control;
}

TEST(WindowManagerUITest, FontListFallsBackToTheDefaultFont)
{
    CWindowManagerUI manager;
    HFONT normal = manager.AppendFont(L"Tahoma", 12, false, false, false);
    HFONT bold = manager.AppendFont(L"Tahoma", 28, true, true, false);
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(manager.FontCount(), 2);
    EXPECT_EQ(manager.FontAt(0), normal);
    EXPECT_EQ(manager.FontAt(1), bold);
    for (int outside : {-1, 2, 7, 1000}) EXPECT_EQ(manager.FontAt(outside), manager.DefaultFont()) << outside;

    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(bold, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -28);  // character height
    EXPECT_GE(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_GT(manager.TextMetricsAt(1).tmHeight, manager.TextMetricsAt(0).tmHeight);

    const LONG before = manager.TextMetricsAt(-1).tmHeight;
    ASSERT_TRUE(manager.SetDefaultFont(L"Tahoma", 40, false, false, false));
    EXPECT_GT(manager.TextMetricsAt(-1).tmHeight, before);
    EXPECT_EQ(manager.FontAt(9), manager.DefaultFont());
}

TEST(WindowManagerUITest, ImageCacheLoadsOnceAndRemembersNoFailure)
{
    TestSkinFolder folder;
    folder.AddSolidPng(L"a.png", 3, 3, 0xFFFFFF00u);
    CWindowManagerUI manager;
    manager.SetSkinFileReader(&folder.reader());
    const TImageInfo* first = manager.LoadImageEntry(L"a.png", L"", 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(manager.LoadImageEntry(L"a.png", L"", 0xFFFFFF00u), first);  // a second load is discarded
    EXPECT_EQ(first->dwMask, 0u);
    EXPECT_EQ(manager.ImageFor(L"a.png"), first);
    EXPECT_EQ(manager.LoadImageEntry(L"missing.png", L"", 0), nullptr);
    EXPECT_EQ(manager.ImageCount(), 1);
}

TEST(WindowManagerUITest, FirstDefaultAttributeListWins)
{
    CWindowManagerUI manager;
    EXPECT_TRUE(manager.SetDefaultAttributes(L"Button", L"width=\"10\""));
    EXPECT_FALSE(manager.SetDefaultAttributes(L"Button", L"width=\"20\""));
    ASSERT_NE(manager.DefaultAttributesFor(L"Button"), nullptr);
    EXPECT_EQ(manager.DefaultAttributesFor(L"Button")->View(), L"width=\"10\"");
    EXPECT_EQ(manager.DefaultAttributesFor(L"Label"), nullptr);
}

TEST(WindowManagerUITest, LaterRegistrationOfANameWins)
{
    // The notice box: two "labelTip" labels; the one inside the row registers last.
    auto* root = Named<CVerticalLayoutUI>(L"verLayout");
    auto* top = new CVerticalLayoutUI;
    auto* title = Named<CLabelUI>(L"labelTip");
    top->Add(title);
    auto* row = Named<CHorizontalLayoutUI>(L"verOnlyTip");
    auto* message = Named<CLabelUI>(L"labelTip");
    row->Add(message);
    root->Add(top);
    root->Add(row);

    CWindowManagerUI manager;
    ASSERT_TRUE(manager.AttachTree(root));
    EXPECT_EQ(manager.FindByName(L"labelTip"), message);
    EXPECT_EQ(manager.FindByName(L"verOnlyTip"), row);
    EXPECT_EQ(manager.FindByName(L"verlayout"), nullptr);
    EXPECT_EQ(title->Manager(), &manager);
    EXPECT_EQ(message->Parent(), row);

    // Forgetting the control the name does not map to keeps the name.
    manager.ForgetControl(title);
    EXPECT_EQ(manager.FindByName(L"labelTip"), message);
    manager.ForgetControl(message);
    EXPECT_EQ(manager.FindByName(L"labelTip"), nullptr);
}

TEST(WindowManagerUITest, InitialisationRunsChildrenBeforeParents)
{
    std::vector<std::wstring> order;
    auto track = [&](CControlUI* c) {
        c->OnInitialised.Add([&order](CControlUI* control) {
            order.push_back(std::wstring(control->Name().View()));
            return true;
        });
    };
    auto* root = Named<CVerticalLayoutUI>(L"root");
    auto* inner = Named<CVerticalLayoutUI>(L"inner");
    auto* leaf = Named<CControlUI>(L"leaf");
    auto* last = Named<CControlUI>(L"last");
    for (CControlUI* c : std::initializer_list<CControlUI*>{root, inner, leaf, last}) track(c);
    inner->Add(leaf);
    root->Add(inner);
    root->Add(last);
    EXPECT_TRUE(order.empty());  // nothing is initialised before the tree is attached
    CWindowManagerUI manager;
    manager.AttachTree(root);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"leaf", L"inner", L"last", L"root"}));
}

TEST(WindowManagerUITest, FirstLayoutRaisesWindowInitOnce)
{
    CWindowManagerUI manager;
    NotifyLog log;
    manager.AddNotifyTarget(&log);
    auto* root = new CVerticalLayoutUI;
    auto* inner = new CVerticalLayoutUI;
    inner->SetFixedHeight(80);
    auto* child = new CControlUI;
    child->SetFixedHeight(20);
    inner->Add(child);
    root->Add(inner);
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 100, 100});
    EXPECT_EQ(root->Rect().right, 100);
    EXPECT_EQ(child->Rect().bottom, 20);

    // Only the parent of the changed control lays out again, in its current rectangle.
    child->SetFixedHeight(30);
    EXPECT_TRUE(manager.IsUpdateNeeded());
    EXPECT_TRUE(inner->NeedsLayout());
    EXPECT_FALSE(root->NeedsLayout());
    manager.UpdateLayout({0, 0, 100, 100});
    EXPECT_FALSE(manager.IsUpdateNeeded());
    EXPECT_FALSE(inner->NeedsLayout());
    EXPECT_EQ(child->Rect().bottom, 30);
    EXPECT_EQ(inner->Rect().bottom, 80);
    EXPECT_EQ(log.types, std::vector<std::wstring>{L"windowinit"});
    EXPECT_EQ(log.records[0].pSender, root);
}

TEST(WindowManagerUITest, NotificationsReachListenersThenTargets)
{
    CWindowManagerUI manager;
    NotifyLog first, second;
    EXPECT_TRUE(manager.AddNotifyTarget(&first));
    EXPECT_FALSE(manager.AddNotifyTarget(&first));
    manager.AddNotifyTarget(&second);
    auto* root = new CVerticalLayoutUI;
    root->SetVirtualWindow(L"page");
    auto* button = Named<CButtonUI>(L"btnOk");
    root->Add(button);
    manager.AttachTree(root);
    manager.SetLastMousePosition({7, 8});

    manager.RaiseNotify(button, L"click", 1, 2);
    ASSERT_EQ(second.records.size(), 1u);
    const TNotifyRecord& r = second.records[0];
    EXPECT_EQ(r.sType.View(), L"click");
    EXPECT_EQ(r.pSender, button);
    EXPECT_EQ(r.wParam, 1u);
    EXPECT_EQ(r.lParam, 2);
    EXPECT_EQ(r.ptMouse.x, 7);
    EXPECT_EQ(r.sVirtualWnd.View(), L"page");  // from the nearest ancestor that has one

    // A listener of the sender that answers false stops the delivery.
    button->OnNotify.Add([](TNotifyRecord&) { return false; });
    manager.RaiseNotify(button, L"click");
    EXPECT_EQ(first.records.size(), 1u);
    EXPECT_TRUE(manager.RemoveNotifyTarget(&first));
    EXPECT_FALSE(manager.RemoveNotifyTarget(&first));
}

TEST(WindowManagerUITest, ControlTimersNeedAWindowAndReuseTheirIds)
{
    auto* root = new CVerticalLayoutUI;
    auto* control = new CControlUI;
    root->Add(control);
    {
        CWindowManagerUI windowless;
        windowless.AttachTree(new CControlUI);
        EXPECT_FALSE(windowless.StartControlTimer(windowless.Root(), 1, 100));
    }
    MessageWindow window;
    ASSERT_NE(window.get(), nullptr);
    CWindowManagerUI manager;
    manager.Attach(window.get());
    manager.AttachTree(root);

    EXPECT_TRUE(manager.StartControlTimer(control, 5, 1000));
    EXPECT_FALSE(manager.StartControlTimer(control, 5, 1000));  // already running
    UINT id = 0;
    EXPECT_EQ(manager.ControlForTimer(17, &id), control);       // the first native id
    EXPECT_EQ(id, 5u);
    EXPECT_TRUE(manager.StopControlTimer(control, 5));
    EXPECT_FALSE(manager.StopControlTimer(control, 5));
    EXPECT_EQ(manager.ControlForTimer(17, nullptr), nullptr);
    EXPECT_TRUE(manager.StartControlTimer(control, 5, 1000));   // restarted with its old native id
    EXPECT_EQ(manager.ControlForTimer(17, nullptr), control);
    EXPECT_TRUE(manager.StartControlTimer(control, 6, 1000));
    EXPECT_EQ(manager.ControlForTimer(18, &id), control);
    EXPECT_EQ(id, 6u);

    manager.ForgetControl(control);  // its timers go with it
    EXPECT_EQ(manager.ControlForTimer(17, nullptr), nullptr);
    EXPECT_EQ(manager.ControlForTimer(18, nullptr), nullptr);
}

TEST(WindowManagerUITest, TabStopsWrapInBothDirections)
{
    auto* root = new CVerticalLayoutUI;
    auto* a = Named<CButtonUI>(L"a");
    auto* label = Named<CLabelUI>(L"label");
    auto* b = Named<CButtonUI>(L"b");
    auto* hidden = Named<CButtonUI>(L"hidden");
    hidden->SetVisible(false);
    auto* c = Named<CButtonUI>(L"c");
    for (CControlUI* child : std::initializer_list<CControlUI*>{a, label, b, hidden, c}) root->Add(child);
    CWindowManagerUI manager;
    NotifyLog log;
    manager.AddNotifyTarget(&log);
    manager.AttachTree(root);

    // Layout is pending: the request waits for it.
    manager.FocusNextTabStop(true);
    EXPECT_EQ(manager.FocusedControl(), nullptr);
    EXPECT_TRUE(manager.IsFocusNeeded());
    manager.UpdateLayout({0, 0, 100, 200});
    EXPECT_EQ(manager.FocusedControl(), a);
    EXPECT_TRUE(a->IsFocused());

    manager.FocusNextTabStop(true);
    EXPECT_EQ(manager.FocusedControl(), b);
    EXPECT_FALSE(a->IsFocused());
    manager.FocusNextTabStop(true);
    EXPECT_EQ(manager.FocusedControl(), c);
    manager.FocusNextTabStop(true);
    EXPECT_EQ(manager.FocusedControl(), a);
    manager.FocusNextTabStop(false);
    EXPECT_EQ(manager.FocusedControl(), c);

    // Hidden or disabled controls take no focus.
    manager.FocusControl(hidden);
    EXPECT_EQ(manager.FocusedControl(), nullptr);
    c->SetEnabled(false);
    manager.FocusControl(c);
    EXPECT_EQ(manager.FocusedControl(), nullptr);

    // Hiding the focused control gives the focus up.
    manager.FocusControl(b);
    b->SetVisible(false);
    EXPECT_EQ(manager.FocusedControl(), nullptr);
    const std::vector<std::wstring> tail(log.types.end() - 2, log.types.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"setfocus", L"killfocus"}));
}

TEST(WindowManagerUITest, FindAtAnswersTheTopmostVisibleControl)
{
    auto* root = new CVerticalLayoutUI;
    auto* under = Named<CControlUI>(L"under");
    auto* over = Named<CControlUI>(L"over");
    over->ApplyAttribute(L"float", L"true");
    over->ApplyAttribute(L"pos", L"0,0,50,50");
    root->Add(under);
    root->Add(over);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 100, 100});
    EXPECT_EQ(manager.FindAt({10, 10}), over);
    EXPECT_EQ(manager.FindAt({60, 60}), under);
    EXPECT_EQ(manager.FindAt({200, 10}), nullptr);
    over->SetVisible(false);
    EXPECT_EQ(manager.FindAt({10, 10}), under);
}

TEST(WindowManagerUITest, InvalidationIsRecordedAndClippedToAncestors)
{
    auto* root = new CVerticalLayoutUI;
    auto* label = new CLabelUI;
    label->ApplyAttribute(L"float", L"true");
    label->ApplyAttribute(L"pos", L"80,10,150,30");  // reaches past the root
    root->Add(label);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.UpdateLayout({0, 0, 100, 100});
    manager.ClearInvalidated();

    label->SetText(L"changed");
    const RECT& r = manager.InvalidatedSinceLastPaint();
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.bottom, 30);

    manager.ClearInvalidated();
    label->SetText(L"changed");  // the same text: nothing to repaint
    EXPECT_TRUE(::IsRectEmpty(&manager.InvalidatedSinceLastPaint()));
    label->SetVisible(false);
    manager.ClearInvalidated();
    label->SetText(L"hidden");
    EXPECT_TRUE(::IsRectEmpty(&manager.InvalidatedSinceLastPaint()));
}

TEST(WindowManagerUITest, RemovedChildrenAreDeletedOnlyWhenReaped)
{
    auto* root = new CVerticalLayoutUI;
    auto* child = Named<CButtonUI>(L"child");
    bool destroyed = false;
    child->OnDestroyed.Add([&destroyed](CControlUI*) {
        destroyed = true;
        return true;
    });
    root->Add(child);
    CWindowManagerUI manager;
    manager.AttachTree(root);
    manager.FocusControl(child);
    ASSERT_TRUE(root->Remove(child));
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(manager.FindByName(L"child"), nullptr);
    EXPECT_EQ(manager.FocusedControl(), nullptr);
    EXPECT_EQ(child->Manager(), nullptr);
    manager.ReapQueuedControls();
    EXPECT_TRUE(destroyed);
}

}  // namespace
