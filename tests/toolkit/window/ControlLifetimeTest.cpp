// Controls that leave their window while the manager is in the middle of an
// event: a notify target's handler removes the control the mouse moves to.
// Wine does not fault on freed memory: a removed control joins a dead set,
// and an event that reaches it afterwards is counted, not touched.
#include <gtest/gtest.h>

#include <utility>

#include "tests/toolkit/LifetimeProbe.h"
#include "tests/toolkit/window/ManagerTestWindow.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"

namespace {

using namespace SkinUI;

// A float control at a fixed rectangle that counts events reaching it after
// its deletion.
class ProbeControl : public CControlUI {
public:
    explicit ProbeControl(const wchar_t* pos)
    {
        lifetimetest::DeadSet().erase(this);
        ApplyAttribute(L"float", L"true");
        ApplyAttribute(L"pos", pos);
    }
    ~ProbeControl() override { lifetimetest::DeadSet().insert(this); }
    void DispatchEvent(TEventRecord& event) override
    {
        const lifetimetest::ProbeCall call(this, &m_record);
        if (!call.late()) CControlUI::DispatchEvent(event);
    }

private:
    lifetimetest::ProbeRecord m_record;
};

// Removes `victim` from its container when `trigger` raises "mouseleave".
struct RemoveOnLeave : INotifyUI {
    CControlUI* trigger = nullptr;
    CControlUI* victim = nullptr;
    CVerticalLayoutUI* parent = nullptr;
    void OnNotify(TNotifyRecord& record) override
    {
        if (record.sType.View() != L"mouseleave" || record.pSender != trigger || !victim) return;
        parent->Remove(std::exchange(victim, nullptr));
    }
};

// The mouse moves from the first control to the second; the first's leave
// handler removes the second. The manager must not keep the second as its
// hover control: the next move would send the removed control its leave.
TEST(ControlLifetimeTest, ALeaveHandlerThatRemovesTheNewHoverControlLeavesNoDanglingHover)
{
    lifetimetest::ResetOracles();
    ::SetCursorPos(280, 180);  // inside the window, over neither control
    skintest::ManagerTestWindow window({100, 100, 300, 200});
    auto* root = new CVerticalLayoutUI;
    auto* first = new ProbeControl(L"0,0,50,50");
    auto* second = new ProbeControl(L"100,0,150,50");
    root->Add(first);
    root->Add(second);
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    RemoveOnLeave remover;
    remover.trigger = first;
    remover.victim = second;
    remover.parent = root;
    window.manager.AddNotifyTarget(&remover);

    window.Post(WM_MOUSEMOVE, 0, {10, 10});
    window.Pump();
    ASSERT_EQ(window.manager.HoverControl(), first);
    window.Post(WM_MOUSEMOVE, 0, {110, 10});
    window.Pump();  // the removed control is deleted once the loop has it back
    ASSERT_EQ(remover.victim, nullptr) << "the leave handler ran";
    EXPECT_EQ(lifetimetest::DeadSet().count(second), 1u);
    EXPECT_NE(window.manager.HoverControl(), static_cast<CControlUI*>(second));
    window.Post(WM_MOUSEMOVE, 0, {10, 10});
    window.Pump();
    EXPECT_EQ(lifetimetest::LateCalls(), 0) << "an event reached the removed control";
    window.manager.RemoveNotifyTarget(&remover);
}

}  // namespace
