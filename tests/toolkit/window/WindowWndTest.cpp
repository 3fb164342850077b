#include "toolkit/window/WindowWnd.h"

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/window/WindowManagerUI.h"

namespace {

using namespace SkinUI;

TEST(WindowWndTest, CenteredPositionStaysInTheWorkArea)
{
    const RECT screen = {0, 0, 1280, 1024};
    const struct {
        RECT centre;
        RECT work;
        SIZE size;
        POINT expected;
    } cases[] = {
        {{100, 100, 1060, 720}, screen, {440, 260}, {360, 280}},
        {{1000, 100, 1960, 720}, screen, {440, 260}, {840, 280}},     // owner past the right edge
        {{-900, 100, 60, 720}, screen, {440, 260}, {0, 280}},         // past the left edge
        {{100, 900, 1060, 1520}, screen, {440, 260}, {360, 764}},     // past the bottom
        {{100, -500, 1060, 120}, screen, {440, 260}, {360, 0}},       // past the top
        {screen, screen, {1500, 1100}, {0, 0}},                       // larger than the work area
        {{-101, 0, 0, 11}, {-2000, -2000, 2000, 2000}, {11, 11}, {-55, 0}},  // division truncates toward zero
        {{100, 100, 1060, 720}, {1300, 0, 2580, 1024}, {440, 260}, {1300, 280}},  // a second monitor's work area
    };
    for (const auto& c : cases) {
        const POINT at = CenteredPosition(c.centre, c.work, c.size);
        EXPECT_EQ(at.x, c.expected.x) << c.centre.left << "," << c.centre.top;
        EXPECT_EQ(at.y, c.expected.y) << c.centre.left << "," << c.centre.top;
    }
}

// A window that records what its procedure saw.
class RecordingWindow : public CWindowWnd {
public:
    explicit RecordingWindow(const wchar_t* superclass = nullptr) : m_superclass(superclass) {}
    std::vector<UINT> messages;
    HWND handleAtCreate = nullptr;
    HWND destroyedHandle = nullptr;
    HWND handleWhenDestroyed = reinterpret_cast<HWND>(1);

protected:
    const wchar_t* WindowClassName() const override
    {
        return m_superclass ? L"RecordingButtonWindow" : L"RecordingTestWindow";
    }
    const wchar_t* SuperclassName() const override { return m_superclass; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        if (message == WM_CREATE) handleAtCreate = Handle();
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
    void OnWindowDestroyed(HWND hwnd) override
    {
        destroyedHandle = hwnd;
        handleWhenDestroyed = Handle();
    }

private:
    const wchar_t* m_superclass;
};

TEST(WindowWndTest, ObjectAndHandleAreBoundFromNcCreateToNcDestroy)
{
    RecordingWindow window;
    const HWND hwnd = window.Create(nullptr, L"bound", WS_POPUP, 0, 0, 0, 100, 80);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.Handle(), hwnd);
    EXPECT_EQ(window.handleAtCreate, hwnd);
    EXPECT_EQ(reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)), &window);
    // A second window of the already registered class.
    RecordingWindow second;
    ASSERT_NE(second.Create(nullptr, L"second", WS_POPUP, 0, 0, 0, 10, 10), nullptr);

    ::DestroyWindow(hwnd);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(window.destroyedHandle, hwnd);
    EXPECT_EQ(window.handleWhenDestroyed, nullptr);  // already detached when told
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), static_cast<UINT>(WM_DESTROY)),
              window.messages.end());
    // WM_NCDESTROY itself goes to the previous procedure, not the object.
    EXPECT_EQ(std::find(window.messages.begin(), window.messages.end(), static_cast<UINT>(WM_NCDESTROY)),
              window.messages.end());
    ::DestroyWindow(second.Handle());
}

TEST(WindowWndTest, SuperclassKeepsTheSystemClassBehaviour)
{
    RecordingWindow window(L"BUTTON");
    const HWND hwnd = window.Create(nullptr, L"check", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 0, 100, 30);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetPropW(hwnd, L"WndX"), static_cast<HANDLE>(&window));
    // The button's own procedure answers through the object.
    ::SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(hwnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), static_cast<UINT>(BM_GETCHECK)),
              window.messages.end());
    ::DestroyWindow(hwnd);
    EXPECT_EQ(window.destroyedHandle, hwnd);

    RecordingWindow unknown(L"NoSuchSystemClass");
    EXPECT_EQ(unknown.Create(nullptr, L"none", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
}

TEST(WindowWndTest, CloseWithCodePostsWmCloseWhileTheWindowExists)
{
    RecordingWindow window;
    const HWND hwnd = window.Create(nullptr, L"close", WS_POPUP, 0, 0, 0, 10, 10);
    ASSERT_NE(hwnd, nullptr);
    window.CloseWithCode(8);
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 8u);
    EXPECT_EQ(msg.lParam, 0);
    ::DestroyWindow(hwnd);
    window.CloseWithCode(1);  // gone: nothing is posted
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

TEST(WindowWndTest, CenterOnOwnerAndAtTheWorkAreaEdge)
{
    RecordingWindow owner;
    ASSERT_NE(owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 100, 100, 960, 620), nullptr);
    RecordingWindow box;
    ASSERT_NE(box.Create(owner.Handle(), L"box", WS_POPUP | WS_VISIBLE, 0, 0, 0, 440, 260), nullptr);
    ASSERT_EQ(::GetWindow(box.Handle(), GW_OWNER), owner.Handle());

    box.CenterOnOwner();
    RECT r = WindowRect(box.Handle());
    EXPECT_EQ(r.left, 360);
    EXPECT_EQ(r.top, 280);
    EXPECT_EQ(r.right - r.left, 440);  // size kept

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    ::SetWindowPos(owner.Handle(), nullptr, work.right - 400, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    box.CenterOnOwner();
    r = WindowRect(box.Handle());
    EXPECT_EQ(r.right, work.right);  // pushed left to end at the work area's edge
    EXPECT_EQ(r.top, 280);

    // Without an owner: the middle of the work area.
    RecordingWindow alone;
    ASSERT_NE(alone.Create(nullptr, L"alone", WS_POPUP, 0, 0, 0, 440, 260), nullptr);
    alone.CenterOnOwner();
    r = WindowRect(alone.Handle());
    EXPECT_EQ(r.left, (work.left + work.right) / 2 - 220);
    EXPECT_EQ(r.top, (work.top + work.bottom) / 2 - 130);
    ::DestroyWindow(alone.Handle());
    ::DestroyWindow(box.Handle());
    ::DestroyWindow(owner.Handle());
}

}  // namespace
