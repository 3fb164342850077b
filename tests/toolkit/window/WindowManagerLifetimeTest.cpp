// Who may delete what while the window manager works: handlers that remove
// controls in the middle of input, controls that leave the window with
// everything they registered, and a window destroyed before its manager.
// Wine does not fault on freed memory: destroyed controls go into a dead
// set, and no reference the manager keeps may point into it.
#include "toolkit/window/WindowManagerUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/window/ManagerTestWindow.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;
using namespace skintest;

template <typename T>
T* Placed(const wchar_t* name, const wchar_t* pos)
{
    T* control = new T;
    control->SetName(name);
    control->ApplyAttribute(L"float", L"true");
    control->ApplyAttribute(L"pos", pos);
    return control;
}

// Controls destroyed so far.
struct DeadSet {
    std::set<const CControlUI*> dead;
    void Watch(CControlUI* control)
    {
        control->OnDestroyed.Add([this](CControlUI* c) {
            dead.insert(c);
            return true;
        });
    }
    bool Contains(const CControlUI* control) const { return control && dead.count(control) != 0; }
};

// A notify target that runs a reaction once, on the first notification of a type.
struct Reaction : INotifyUI {
    std::wstring type;
    std::function<void(TNotifyRecord&)> react;
    void OnNotify(TNotifyRecord& record) override
    {
        if (!react || record.sType.View() != type) return;
        auto once = std::move(react);
        react = nullptr;
        once(record);
    }
};

// Counts the events of a type a control gets.
int* CountEvents(CControlUI* control, int type)
{
    auto* count = new int(0);
    control->OnEvent.Add([count, type](TEventRecord& event) {
        if (event.nType == type) ++*count;
        return true;
    });
    control->OnDestroyed.Add([count](CControlUI*) {
        delete count;
        return true;
    });
    return count;
}

// The real cursor rests inside the test window, over no control of interest.
void ParkCursorInsideWindow()
{
    ::SetCursorPos(280, 180);
}

void AttachAndPaint(ManagerTestWindow& window, CControlUI* root)
{
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
}

// The manager holds nothing that is gone.
void ExpectNoDeadReference(const CWindowManagerUI& manager, const DeadSet& dead, const char* when)
{
    EXPECT_FALSE(dead.Contains(manager.HoverControl())) << when;
    EXPECT_FALSE(dead.Contains(manager.ClickControl())) << when;
    EXPECT_FALSE(dead.Contains(manager.FocusedControl())) << when;
    EXPECT_FALSE(dead.Contains(manager.KeyPressControl())) << when;
}

TEST(WindowManagerLifetimeTest, ALeaveHandlerThatRemovesTheNextHoverControlLeavesNoHoverOnIt)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    DeadSet dead;
    auto* root = new CVerticalLayoutUI;
    auto* first = Placed<CLabelUI>(L"first", L"0,0,50,50");
    auto* second = Placed<CLabelUI>(L"second", L"100,0,150,50");
    dead.Watch(second);
    root->Add(first);
    root->Add(second);
    const int* secondEnters = CountEvents(second, EV_MOUSEENTER);
    AttachAndPaint(window, root);
    window.Post(WM_MOUSEMOVE, 0, {10, 10});
    window.Pump();
    ASSERT_EQ(window.manager.HoverControl(), first);

    // Leaving "first" for "second": the leave's handler removes "second".
    Reaction removeSecond;
    removeSecond.type = L"mouseleave";
    removeSecond.react = [&](TNotifyRecord& record) {
        if (record.pSender == first) root->Remove(second);
    };
    window.manager.AddNotifyTarget(&removeSecond);
    EXPECT_EQ(*secondEnters, 0);
    window.Post(WM_MOUSEMOVE, 0, {110, 10});
    window.Pump();
    EXPECT_NE(window.manager.HoverControl(), second);
    EXPECT_EQ(window.manager.HoverControl(), root);  // what lies under the mouse now
    EXPECT_TRUE(window.PumpUntil([&] { return dead.Contains(second); }, 1000));
    ExpectNoDeadReference(window.manager, dead, "after the reap");
    window.manager.RemoveNotifyTarget(&removeSecond);
}

// A click handler removes its button and runs a loop of its own (a modal
// box): the deletion the removal posted arrives in that loop, while the
// button's own code is still on the stack, and waits until the click is over.
TEST(WindowManagerLifetimeTest, ADeletionArrivingInANestedLoopWaitsForTheOuterMessage)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    DeadSet dead;
    auto* root = new CVerticalLayoutUI;
    auto* button = Placed<CButtonUI>(L"btnOk", L"0,0,50,50");
    dead.Watch(button);
    root->Add(button);
    AttachAndPaint(window, root);
    bool deadInLoop = true;
    Reaction modal;
    modal.type = L"click";
    modal.react = [&](TNotifyRecord&) {
        root->Remove(button);
        window.Pump();  // the nested loop: WM_REAP_OLD_TREE is dispatched here
        deadInLoop = dead.Contains(button);
    };
    window.manager.AddNotifyTarget(&modal);
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
    window.Post(WM_LBUTTONUP, 0, {10, 10});
    window.Pump();
    EXPECT_FALSE(deadInLoop);
    EXPECT_TRUE(window.PumpUntil([&] { return dead.Contains(button); }, 1000));
    window.manager.RemoveNotifyTarget(&modal);
}

TEST(WindowManagerLifetimeTest, ClosingWhileAButtonIsHeldReleasesItWithoutAClick)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    NotifyLog log;
    window.manager.AddNotifyTarget(&log);
    auto* root = new CVerticalLayoutUI;
    auto* close = Placed<CButtonUI>(L"btnClose", L"0,0,50,50");
    root->Add(close);
    const int* ups = CountEvents(close, EV_BUTTONUP);
    AttachAndPaint(window, root);
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
    window.Pump();
    ASSERT_EQ(window.manager.ClickControl(), close);
    ASSERT_TRUE(close->ButtonState() & BUTTON_STATE_PUSHED);

    // A click here would send the close notice a second time.
    ::SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(log.Count(L"click"), 0);
    EXPECT_EQ(*ups, 1);
    EXPECT_EQ(close->ButtonState() & (BUTTON_STATE_PUSHED | BUTTON_STATE_CAPTURED), 0u);
    EXPECT_FALSE(window.manager.IsMouseCaptured());
}

TEST(WindowManagerLifetimeTest, ADestroyedWindowIsForgottenByItsManager)
{
    ParkCursorInsideWindow();
    auto window = std::make_unique<ManagerTestWindow>(RECT{100, 100, 300, 200});
    CWindowManagerUI& manager = window->manager;
    auto* root = new CVerticalLayoutUI;
    auto* tipped = Placed<CButtonUI>(L"tipped", L"0,0,50,50");
    tipped->SetToolTip(L"a tip");
    root->Add(tipped);
    AttachAndPaint(*window, root);
    ASSERT_TRUE(manager.StartControlTimer(tipped, 1, 10000));
    window->Post(WM_MOUSEMOVE, 0, {10, 10});
    window->Post(WM_MOUSEHOVER, 0, {10, 10});
    window->Pump();
    const HWND tooltip = manager.ToolTipWindow();
    ASSERT_NE(tooltip, nullptr);
    const HWND hwnd = window->hwnd();
    auto listed = [&manager] {
        const CUiPtrArray& all = CWindowManagerUI::AllManagers();
        return all.Find(&manager) >= 0;
    };
    ASSERT_TRUE(listed());

    ::DestroyWindow(hwnd);
    // Between the window's end and the manager's, nothing may act on a
    // handle the system can give to another window.
    EXPECT_EQ(manager.WindowHandle(), nullptr);
    EXPECT_FALSE(listed());
    EXPECT_EQ(manager.ToolTipWindow(), nullptr);
    EXPECT_FALSE(::IsWindow(tooltip));
    EXPECT_EQ(manager.NativeTimerId(tipped, 1), 0u);
    EXPECT_FALSE(manager.StartControlTimer(tipped, 2, 10));
    EXPECT_NE(manager.PaintDc(), nullptr);  // its own measuring DC: text still measures
    LRESULT result = 0;
    EXPECT_FALSE(manager.HandleWindowMessage(WM_TIMER, 17, 0, result));
    EXPECT_FALSE(manager.HandleWindowMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10), result));
    EXPECT_EQ(manager.ClickControl(), nullptr);
    EXPECT_FALSE(manager.IsMouseCaptured());
    window.reset();
}

// A control that registers what hosted objects register: hooks owned by
// the test (so that asking them after the control left is seen, not
// undefined), a timer, its name and a place after the tree.
struct Registrations {
    struct Filter : IMessageFilterUI {
        int asked = 0;
        LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool&) override
        {
            asked += message == WM_USER + 7;
            return 0;
        }
    } filter;
    struct Accelerator : ITranslateAccelerator {
        int asked = 0;
        LRESULT PreTranslate(MSG*) override
        {
            ++asked;
            return 1;
        }
    } accelerator;
    int paintedAfter = 0;
};

class RegisteringControl : public CControlUI {
public:
    explicit RegisteringControl(Registrations& registrations) : m_registrations(registrations) {}
    void OnInitialise() override
    {
        IControlHostUI* host = Manager();
        EXPECT_TRUE(host->AddHandlerFilter(this, &m_registrations.filter));
        EXPECT_TRUE(host->AddAccelerator(this, &m_registrations.accelerator));
        EXPECT_TRUE(host->StartControlTimer(this, 1, 10000));
        host->AddPaintAfterTree(this);
    }
    void PaintAfterTree(HDC, const RECT&) override { ++m_registrations.paintedAfter; }

private:
    Registrations& m_registrations;
};

TEST(WindowManagerLifetimeTest, AControlLeavingItsWindowTakesEveryRegistrationWithIt)
{
    enum class Leave { Removed, RemovedNotOwned, RemovedAndDeleted, OtherTree };
    const struct {
        Leave leave;
        const char* name;
    } cases[] = {
        {Leave::Removed, "removed (deleted later)"},
        {Leave::RemovedNotOwned, "removed from a container that does not own it"},
        {Leave::RemovedAndDeleted, "removed and deleted at once"},
        {Leave::OtherTree, "another tree attached"},
    };
    ManagerTestWindow window({0, 0, 200, 100});
    for (const auto& c : cases) {
        Registrations registrations;
        DeadSet dead;
        auto* root = new CVerticalLayoutUI;
        auto* probe = new RegisteringControl(registrations);
        probe->SetName(L"probe");
        dead.Watch(probe);
        root->Add(probe);
        AttachAndPaint(window, root);
        const UINT_PTR timer = window.manager.NativeTimerId(probe, 1);
        ASSERT_NE(timer, 0u) << c.name;
        ASSERT_EQ(window.manager.FindByName(L"probe"), probe) << c.name;
        ASSERT_GT(registrations.paintedAfter, 0) << c.name;

        std::unique_ptr<CControlUI> handedBack;
        switch (c.leave) {
        case Leave::Removed:
            ASSERT_TRUE(root->Remove(probe));
            break;
        case Leave::RemovedNotOwned:
            root->SetAutoDestroy(false);
            ASSERT_TRUE(root->Remove(probe));
            handedBack.reset(probe);
            EXPECT_EQ(probe->Manager(), nullptr) << c.name;
            EXPECT_EQ(probe->Parent(), nullptr) << c.name;
            break;
        case Leave::RemovedAndDeleted:
            root->SetDelayedDestroy(false);
            ASSERT_TRUE(root->Remove(probe));
            EXPECT_TRUE(dead.Contains(probe)) << c.name;
            break;
        case Leave::OtherTree:
            window.manager.AttachTree(new CVerticalLayoutUI);
            break;
        }

        EXPECT_EQ(window.manager.FindByName(L"probe"), nullptr) << c.name;
        EXPECT_EQ(window.manager.NativeTimerId(probe, 1), 0u) << c.name;
        EXPECT_EQ(window.manager.ControlForTimer(timer, nullptr), nullptr) << c.name;
        // A key for the accelerators and a message for the filters, then a
        // paint: none reaches what the control registered.
        registrations.paintedAfter = 0;
        MSG key{window.hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_FALSE(window.manager.TranslateAccelerator(&key)) << c.name;
        ::SendMessageW(window.hwnd(), WM_USER + 7, 0, 0);
        ::InvalidateRect(window.hwnd(), nullptr, FALSE);
        ::UpdateWindow(window.hwnd());
        window.Pump();
        EXPECT_EQ(registrations.accelerator.asked, 0) << c.name;
        EXPECT_EQ(registrations.filter.asked, 0) << c.name;
        EXPECT_EQ(registrations.paintedAfter, 0) << c.name;
        if (c.leave == Leave::Removed || c.leave == Leave::OtherTree) {
            EXPECT_TRUE(window.PumpUntil([&] { return dead.Contains(probe); }, 1000)) << c.name;
        }
        handedBack.reset();
    }
}

// A handler deletes the control the manager was about to use; the manager
// uses it no further and keeps no reference to it.
TEST(WindowManagerLifetimeTest, AControlDeletedByAHandlerIsNotUsedAfterIt)
{
    ParkCursorInsideWindow();
    enum class During { KillFocus, ButtonDownFocus, Hover, CloseLeave };
    const struct {
        During during;
        const char* name;
    } cases[] = {
        {During::KillFocus, "the focus leaving the other control"},
        {During::ButtonDownFocus, "the focus change of a press"},
        {During::Hover, "the hover before its tooltip"},
        {During::CloseLeave, "the hover's leave while closing"},
    };
    for (const auto& c : cases) {
        ManagerTestWindow window({100, 100, 300, 200});
        DeadSet dead;
        auto* root = new CVerticalLayoutUI;
        root->SetDelayedDestroy(false);  // removal deletes at once
        auto* other = Placed<CButtonUI>(L"other", L"100,0,150,50");
        auto* target = Placed<CButtonUI>(L"target", L"0,0,50,50");
        target->SetToolTip(L"a tip");
        dead.Watch(target);
        root->Add(other);
        root->Add(target);
        AttachAndPaint(window, root);
        window.manager.FocusControl(other);
        Reaction remove;
        window.manager.AddNotifyTarget(&remove);
        auto removeTarget = [&](TNotifyRecord&) { root->Remove(target); };

        switch (c.during) {
        case During::KillFocus:
            remove.type = L"killfocus";
            remove.react = removeTarget;
            window.manager.FocusControl(target);
            break;
        case During::ButtonDownFocus:
            remove.type = L"killfocus";
            remove.react = removeTarget;
            window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
            window.Pump();
            EXPECT_EQ(window.manager.ClickControl(), nullptr) << c.name;
            EXPECT_FALSE(window.manager.IsMouseCaptured()) << c.name;
            EXPECT_NE(::GetCapture(), window.hwnd()) << c.name;
            break;
        case During::Hover:
            window.Post(WM_MOUSEMOVE, 0, {10, 10});
            window.Pump();
            ASSERT_EQ(window.manager.HoverControl(), target) << c.name;
            remove.type = L"mouseenter";
            remove.react = removeTarget;
            window.Post(WM_MOUSEHOVER, 0, {10, 10});
            window.Pump();
            EXPECT_EQ(window.manager.ToolTipWindow(), nullptr) << c.name;  // no tip for what is gone
            break;
        case During::CloseLeave: {
            window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
            window.Pump();
            ASSERT_EQ(window.manager.ClickControl(), target) << c.name;
            window.manager.RemoveNotifyTarget(&remove);
            // The hover is the pressed button; its leave removes it.
            window.Post(WM_MOUSEMOVE, MK_LBUTTON, {10, 10});
            window.Pump();
            ASSERT_EQ(window.manager.HoverControl(), target) << c.name;
            window.manager.AddNotifyTarget(&remove);
            remove.type = L"mouseleave";
            remove.react = removeTarget;
            ::SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
            break;
        }
        }
        EXPECT_TRUE(dead.Contains(target)) << c.name;
        EXPECT_NE(window.manager.FocusedControl(), target) << c.name;
        ExpectNoDeadReference(window.manager, dead, c.name);
        window.manager.RemoveNotifyTarget(&remove);
    }
}

}  // namespace
