#include "toolkit/window/MessageLoop.h"

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/window/WindowManagerUI.h"

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

}  // namespace
