// The window manager of a skinned window lets go of its native window when
// that is destroyed, well before the window object (and the manager) goes.
#include <gtest/gtest.h>

#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ControlUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

TEST(WindowImplBaseManagerTest, ADestroyedWindowLeavesNoHandleInItsManager)
{
    PackedSkinWindow window(L"ManagerDetachTestWindow", L"CustomMsgBox.xml");
    const HWND hwnd = window.CreateShown();
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    ASSERT_EQ(manager.WindowHandle(), hwnd);
    ASSERT_GE(CWindowManagerUI::AllManagers().Find(&manager), 0);
    CControlUI* ok = manager.FindByName(L"btnOk");
    ASSERT_NE(ok, nullptr);
    ASSERT_TRUE(manager.StartControlTimer(ok, 1, 10000));

    ::DestroyWindow(hwnd);
    // The message loop's pre-translation, the timers and the tooltip would
    // otherwise act on a handle the system may hand to another window.
    EXPECT_EQ(manager.WindowHandle(), nullptr);
    EXPECT_LT(CWindowManagerUI::AllManagers().Find(&manager), 0);
    EXPECT_EQ(manager.NativeTimerId(ok, 1), 0u);
    EXPECT_EQ(manager.ToolTipWindow(), nullptr);
    PumpPending();
}

}  // namespace
