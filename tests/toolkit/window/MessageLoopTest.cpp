#include "toolkit/window/MessageLoop.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/LifetimeProbe.h"
#include "toolkit/window/DispatchFrame.h"
#include "toolkit/window/WindowManagerUI.h"
#include "toolkit/window/WindowWnd.h"

namespace {

using namespace SkinUI;

constexpr UINT WM_SWALLOWED = WM_APP + 40;
constexpr UINT WM_PASSED = WM_APP + 41;
constexpr UINT WM_FILTERED = WM_APP + 42;

std::vector<UINT>& Received()
{
    static std::vector<UINT> received;
    return received;
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP) Received().push_back(message);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class Window {
public:
    Window(HWND parent, DWORD style)
    {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = RecordingProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"MessageLoopTestWindow";
            return ::RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        m_hwnd = ::CreateWindowExW(0, L"MessageLoopTestWindow", L"", style, 0, 0, 100, 100, parent, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    }
    ~Window() { ::DestroyWindow(m_hwnd); }
    HWND get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

struct SwallowingAccelerator : ITranslateAccelerator {
    std::vector<HWND> seen;
    LRESULT PreTranslate(MSG* msg) override
    {
        seen.push_back(msg->hwnd);
        return msg->message == WM_SWALLOWED ? 0 : 1;
    }
};

struct ConsumingFilter : IMessageFilterUI {
    int calls = 0;
    LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        if (message == WM_FILTERED) {
            ++calls;
            handled = true;
        }
        return 0;
    }
};

TEST(MessageLoopTest, RunsUntilQuitAndSkipsWhatAcceleratorsConsume)
{
    Window top(nullptr, WS_POPUP);
    CWindowManagerUI manager;
    manager.Attach(top.get());
    SwallowingAccelerator accelerator;
    manager.AddAccelerator(&accelerator);
    Received().clear();

    ::PostMessageW(top.get(), WM_PASSED, 0, 0);
    ::PostMessageW(top.get(), WM_SWALLOWED, 0, 0);
    ::PostMessageW(top.get(), WM_PASSED, 0, 0);
    ::PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(Received(), (std::vector<UINT>{WM_PASSED, WM_PASSED}));
    EXPECT_EQ(accelerator.seen.size(), 3u);
    MSG left{};
    EXPECT_FALSE(::PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));  // the quit was taken too
}

TEST(MessageLoopTest, ChildWindowMessagesReachAncestorsAcceleratorsButCannotBeSwallowedByPreHandling)
{
    Window top(nullptr, WS_POPUP);
    Window child(top.get(), WS_CHILD);
    Window grandchild(child.get(), WS_CHILD);
    Window stranger(nullptr, WS_POPUP);
    CWindowManagerUI manager;
    manager.Attach(top.get());
    SwallowingAccelerator accelerator;
    ConsumingFilter filter;
    manager.AddAccelerator(&accelerator);
    manager.AddPreFilter(&filter);

    const struct {
        HWND hwnd;
        UINT message;
        bool consumed;
        int filterCalls;
    } cases[] = {
        {top.get(), WM_FILTERED, true, 1},          // the window's own pre-handling consumes
        {grandchild.get(), WM_FILTERED, false, 1},  // runs for a child but cannot swallow
        {grandchild.get(), WM_SWALLOWED, true, 0},  // an ancestor's accelerator can
        {child.get(), WM_PASSED, false, 0},
        {stranger.get(), WM_SWALLOWED, false, 0},   // no manager: nothing
    };
    for (const auto& c : cases) {
        filter.calls = 0;
        accelerator.seen.clear();
        MSG msg{};
        msg.hwnd = c.hwnd;
        msg.message = c.message;
        EXPECT_EQ(PreTranslateAll(&msg), c.consumed) << c.message;
        EXPECT_EQ(filter.calls, c.filterCalls) << c.message;
        EXPECT_EQ(accelerator.seen.empty(), c.hwnd == stranger.get()) << c.message;
    }
}

// A window that owns itself and its manager, as a skinned window does.
class ManagedWindow : public CWindowWnd {
public:
    CWindowManagerUI manager;

protected:
    const wchar_t* WindowClassName() const override { return L"MessageLoopManagedWindow"; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE) manager.Attach(m_hWnd);
        LRESULT result = 0;
        if (manager.HandleWindowMessage(message, wParam, lParam, result)) return result;
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
};

// An accelerator that destroys its window and lets the message pass.
struct DestroyingAccelerator : ITranslateAccelerator {
    HWND window = nullptr;
    const void* windowObject = nullptr;
    bool deletedInsideTheCall = true;
    LRESULT PreTranslate(MSG*) override
    {
        ::DestroyWindow(window);
        deletedInsideTheCall = lifetimetest::DeadSet().count(windowObject) != 0;
        return 1;
    }
};

// A pre-filter that notes the calls it gets once its window is gone.
struct LateCallFilter : IMessageFilterUI {
    HWND window = nullptr;
    int callsAfterTheWindow = 0;
    LRESULT FilterMessage(UINT, WPARAM, LPARAM, bool&) override
    {
        if (!::IsWindow(window)) ++callsAfterTheWindow;
        return 0;
    }
};

// The browser's accelerator runs the page's code, which may close the
// window: the child-window branch must not go on to pre-handle the message
// in the manager of a window that is gone, nor free it under its own feet.
TEST(MessageLoopTest, AnAcceleratorThatDestroysItsWindowEndsThatManagersPart)
{
    lifetimetest::ResetOracles();
    lifetimetest::ProbeRecord record;
    auto* top = new lifetimetest::LifetimeProbe<ManagedWindow>(&record);
    const HWND hwnd = top->Create(nullptr, L"", WS_POPUP, 0, 0, 0, 100, 100);
    ASSERT_NE(hwnd, nullptr);
    Window child(hwnd, WS_CHILD);
    DestroyingAccelerator accelerator;
    accelerator.window = hwnd;
    accelerator.windowObject = top;
    LateCallFilter filter;
    filter.window = hwnd;
    top->manager.AddAccelerator(&accelerator);
    top->manager.AddPreFilter(&filter);

    MSG msg{};
    msg.hwnd = child.get();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_FALSE(PreTranslateAll(&msg));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(accelerator.deletedInsideTheCall) << "the window object outlives the accelerator's call";
    EXPECT_EQ(filter.callsAfterTheWindow, 0) << "nothing pre-handled in the manager of a window that is gone";
    EXPECT_EQ(record.releases, 1);
    EXPECT_EQ(record.framesAtRelease, 0);
    EXPECT_EQ(lifetimetest::LateCalls(), 0);
    EXPECT_EQ(CDispatchFrame::PendingReleases(), 0);
}

}  // namespace
