// The window manager when memory runs out (TestAllocator): every owner
// refuses cleanly and keeps what it had, nothing crosses the window
// procedure, and everything the owners held is given back.
#include "toolkit/window/WindowManagerUI.h"

#include <gtest/gtest.h>

#include "tests/support/TestAllocator.h"
#include "tests/toolkit/SkinTestCanvas.h"
#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/window/ManagerTestWindow.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

struct Filter : IMessageFilterUI {
    LRESULT FilterMessage(UINT, WPARAM, LPARAM, bool&) override { return 0; }
};
struct Accelerator : ITranslateAccelerator {
    LRESULT PreTranslate(MSG*) override { return 1; }
};
// Counts clicks without allocating (it is notified while memory is out).
struct ClickCounter : INotifyUI {
    int clicks = 0;
    void OnNotify(TNotifyRecord& record) override { clicks += record.sType.View() == L"click"; }
};

template <typename T>
T* Placed(const wchar_t* name, const wchar_t* pos)
{
    T* control = new T;
    control->SetName(name);
    control->ApplyAttribute(L"float", L"true");
    control->ApplyAttribute(L"pos", pos);
    return control;
}

class WindowManagerAllocTest : public ::testing::Test {
protected:
    void SetUp() override { folder.AddSolidPng(L"a.png", 3, 3, 0xFF00FF00u); }
    TestSkinFolder folder;
};

TEST_F(WindowManagerAllocTest, EveryOwnerRefusesAndKeepsWhatItHad)
{
    CWindowManagerUI manager;
    manager.SetSkinFileReader(&folder.reader());
    auto* root = new CVerticalLayoutUI;
    auto* kept = Placed<CButtonUI>(L"kept", L"0,0,10,10");
    root->Add(kept);
    for (int i = 0; i < 3; ++i) root->Add(new CControlUI);  // the child list is full: a fifth child needs memory
    ASSERT_TRUE(manager.AttachTree(root));
    ASSERT_NE(manager.AppendFont(L"Tahoma", 12, false, false, false), nullptr);
    ASSERT_TRUE(manager.SetDefaultAttributes(L"Button", L"width=\"10\""));
    ClickCounter first;
    ASSERT_TRUE(manager.AddNotifyTarget(&first));
    auto* stranger = new CLabelUI;
    ClickCounter late;
    Filter filter;
    Accelerator accelerator;

    HFONT font = nullptr;
    const TImageInfo* image = nullptr;
    bool defaults = true, target = true, handler = true, pre = true, accel = true, added = true, removed = true;
    {
        testsupport::OutOfMemory noMemory;
        font = manager.AppendFont(L"Tahoma", 14, true, false, false);
        image = manager.LoadImageEntry(L"a.png", L"", 0);
        defaults = manager.SetDefaultAttributes(L"Label", L"height=\"4\"");
        target = manager.AddNotifyTarget(&late);
        handler = manager.AddHandlerFilter(kept, &filter);
        pre = manager.AddPreFilter(&filter);
        accel = manager.AddAccelerator(kept, &accelerator);
        manager.AddPaintAfterTree(kept);
        manager.RegisterNames(root);
        added = root->Add(stranger);
        removed = root->Remove(kept);  // its deletion cannot be queued
        manager.RaiseNotify(kept, L"click");
        manager.FocusNextTabStop(true);
        manager.UpdateLayout({0, 0, 100, 100});
    }
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(manager.FontCount(), 1);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(manager.ImageCount(), 0);
    EXPECT_FALSE(defaults);
    EXPECT_EQ(manager.DefaultAttributesFor(L"Label"), nullptr);
    ASSERT_NE(manager.DefaultAttributesFor(L"Button"), nullptr);
    EXPECT_FALSE(target);
    EXPECT_FALSE(handler);
    EXPECT_FALSE(pre);
    EXPECT_FALSE(accel);
    // The child that could not be added is untouched and still the caller's.
    EXPECT_FALSE(added);
    EXPECT_EQ(stranger->Parent(), nullptr);
    EXPECT_EQ(stranger->Manager(), nullptr);
    delete stranger;
    // The child that could not be removed is still a child, still found by name.
    EXPECT_FALSE(removed);
    EXPECT_EQ(root->IndexOf(kept), 0);
    EXPECT_EQ(manager.FindByName(L"kept"), kept);
    EXPECT_EQ(kept->Manager(), &manager);
    // A notification without memory still reached the target that was there.
    EXPECT_EQ(first.clicks, 1);

    // With memory back, all of it works.
    EXPECT_NE(manager.LoadImageEntry(L"a.png", L"", 0), nullptr);
    EXPECT_TRUE(manager.AddNotifyTarget(&late));
    EXPECT_TRUE(root->Remove(kept));
    EXPECT_EQ(manager.FindByName(L"kept"), nullptr);
}

TEST_F(WindowManagerAllocTest, WindowMessagesWithoutMemoryLetNothingOut)
{
    ::SetCursorPos(280, 180);
    ManagerTestWindow window({100, 100, 300, 200});
    ClickCounter log;
    window.manager.AddNotifyTarget(&log);
    auto* root = new CVerticalLayoutUI;
    auto* button = Placed<CButtonUI>(L"btn", L"0,0,50,50");
    root->Add(button);
    window.manager.AttachTree(root);
    {
        testsupport::OutOfMemory noMemory;
        // Everything a window procedure sees; any exception escaping would end the program.
        ::UpdateWindow(window.hwnd());
        window.Post(WM_MOUSEMOVE, 0, {10, 10});
        window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
        window.Post(WM_LBUTTONUP, 0, {10, 10});
        ::PostMessageW(window.hwnd(), WM_KEYDOWN, VK_TAB, 0);
        ::PostMessageW(window.hwnd(), WM_SYSCHAR, L'x', 0);
        window.Pump();
        MSG key{window.hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
        window.manager.TranslateAccelerator(&key);
    }
    // With memory back the window works as before.
    ::InvalidateRect(window.hwnd(), nullptr, FALSE);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    const int clicks = log.clicks;
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
    window.Post(WM_LBUTTONUP, 0, {10, 10});
    window.Pump();
    EXPECT_EQ(log.clicks, clicks + 1);
    EXPECT_EQ(button->Rect().right, 50);
}

// What the owners hold goes back with the manager: fonts, images, default
// lists, timers, targets, hooks, the paint-after list, the queue of removed
// controls and the tree itself.
void UseEveryOwner(const TestSkinFolder& folder)
{
    ManagerTestWindow window({0, 0, 200, 100});
    window.manager.SetSkinFileReader(&folder.reader());
    NotifyLog log;
    Filter filter;
    Accelerator accelerator;
    auto* root = new CVerticalLayoutUI;
    auto* button = Placed<CButtonUI>(L"btn", L"0,0,50,50");
    auto* removed = Placed<CLabelUI>(L"removed", L"60,0,90,20");
    root->Add(button);
    root->Add(removed);
    window.manager.AttachTree(root);
    window.manager.AppendFont(L"Tahoma", 12, false, false, false);
    window.manager.SetDefaultFont(L"Tahoma", 13, false, false, false);
    window.manager.LoadImageEntry(L"a.png", L"", 0);
    window.manager.SetDefaultAttributes(L"Button", L"width=\"10\"");
    window.manager.AddNotifyTarget(&log);
    window.manager.AddHandlerFilter(button, &filter);
    window.manager.AddAccelerator(button, &accelerator);
    window.manager.AddPreFilter(&filter);
    window.manager.AddPaintAfterTree(button);
    window.manager.StartControlTimer(button, 3, 10000);
    {
        testsupport::OutOfMemory noMemory;
        window.manager.AppendFont(L"Tahoma", 14, false, false, false);
        window.manager.StartControlTimer(button, 4, 10000);
    }
    ::UpdateWindow(window.hwnd());
    window.Pump();
    root->Remove(removed);  // queued, and deleted with the manager if not reaped before
    window.manager.AttachTree(new CVerticalLayoutUI);  // the old tree queued as well
}

TEST_F(WindowManagerAllocTest, TheOwnersGiveBackEverythingTheyHeld)
{
    UseEveryOwner(folder);  // once for what the process keeps (class registration, the manager list)
    const long before = testsupport::HeapBlocksInUse();
    UseEveryOwner(folder);
    EXPECT_EQ(testsupport::HeapBlocksInUse(), before);
}

}  // namespace
