#include "toolkit/skinwindow/WindowImplBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Win32Handles.h"
#include "tests/toolkit/skinwindow/SkinTestWindows.h"
#include "toolkit/controls/ControlUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/window/WindowDpi.h"

namespace {

using namespace SkinUI;
using skintest::PackedSkinWindow;

LRESULT HitTest(HWND hwnd, POINT client)
{
    return ::SendMessageW(hwnd, WM_NCHITTEST, 0, skintest::ScreenPointParam(hwnd, client));
}

// The WM_CLOSE messages waiting for a window, by their wParam.
std::vector<WPARAM> TakeCloseMessages(HWND hwnd)
{
    std::vector<WPARAM> codes;
    MSG msg{};
    while (::PeekMessageW(&msg, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) codes.push_back(msg.wParam);
    return codes;
}

struct HitCase {
    POINT pt;
    LRESULT expected;
};

TEST(WindowImplBaseTest, LauncherWindowIsFramelessAndSizedByItsSkin)
{
    PackedSkinWindow window(L"LauncherTestWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 40, 30);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.initWindowCalls, 1);
    RECT outer{}, client{};
    ::GetWindowRect(hwnd, &outer);
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(outer.right - outer.left, 960);
    EXPECT_EQ(outer.bottom - outer.top, 620);
    EXPECT_EQ(client.right, 960);  // no frame: all of it is client area
    EXPECT_EQ(client.bottom, 620);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DBLCLKS, static_cast<ULONG_PTR>(CS_DBLCLKS));
}

TEST(WindowImplBaseTest, CreationRemovesTheFrameWhereTheWindowWasCreated)
{
    skintest::StartToolkit();
    const struct {
        DWORD style;
        int x, y;
    } cases[] = {
        {WS_OVERLAPPEDWINDOW, 200, 150},
        {WS_OVERLAPPEDWINDOW | WS_VISIBLE, 310, 70},
    };
    for (const auto& c : cases) {
        PackedSkinWindow window(L"PlacedTestWindow", L"CustomMsgBox.xml");
        const HWND hwnd = window.Create(nullptr, L"placed", c.style, WS_EX_NOACTIVATE, c.x, c.y, 300, 200);
        ASSERT_NE(hwnd, nullptr);
        RECT outer{};
        ::GetWindowRect(hwnd, &outer);
        EXPECT_EQ(outer.left, c.x) << c.x;
        EXPECT_EQ(outer.top, c.y) << c.y;
        EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
        ::DestroyWindow(hwnd);
    }
}

TEST(WindowImplBaseTest, FrameMessagesOfTheFramelessWindow)
{
    PackedSkinWindow window(L"FrameTestWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 20, 20);
    ASSERT_NE(hwnd, nullptr);
    // Nothing of a system frame is painted; deactivation is always allowed.
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCPAINT, 1, 0), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0), FALSE);

    // Without "roundcorner" the window has no region: it is its own rectangle.
    win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(hwnd, region.get()), ERROR);

    // Work-area limits first, then the manager applies "mininfo" and "maxinfo".
    MINMAXINFO info{};
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 960);
    EXPECT_EQ(info.ptMinTrackSize.y, 620);
    EXPECT_EQ(info.ptMaxTrackSize.x, 960);
    EXPECT_EQ(info.ptMaxTrackSize.y, 620);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left);

    // Maximised, the client area is the work area and nothing resizes.
    RECT proposed = {5, 5, 100, 100};
    ::ShowWindow(hwnd, SW_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(hwnd));
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), WVR_REDRAW);
    EXPECT_TRUE(::EqualRect(&proposed, &monitor.rcWork))
        << proposed.left << "," << proposed.top << "," << proposed.right << "," << proposed.bottom;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_TRUE(::EqualRect(&client, &monitor.rcWork)) << client.left << "," << client.top;
    EXPECT_EQ(HitTest(hwnd, {480, 2}), HTCAPTION);
    ::ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), 0);
}

// A window whose skin is markup text, which records what it was like when
// each message of its creation arrived.
class MarkupSkinWindow : public WindowImplBase {
public:
    explicit MarkupSkinWindow(std::wstring markup) : m_markup(std::move(markup)) {}

    struct Seen {
        UINT message;
        LONG_PTR style;
        SIZE size;
    };
    std::vector<Seen> seen;
    bool recording = true;

protected:
    const wchar_t* WindowClassName() const override { return L"MarkupSkinTestWindow"; }
    const wchar_t* SkinFolder() const override { return L""; }
    const wchar_t* SkinFile() const override { return m_markup.c_str(); }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (recording) {
            RECT r{};
            ::GetWindowRect(m_hWnd, &r);
            seen.push_back({message, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE), {r.right - r.left, r.bottom - r.top}});
        }
        return WindowImplBase::ProcessMessage(message, wParam, lParam);
    }

private:
    std::wstring m_markup;
};

// The window is made frameless and at its skin's size by CreateWindowEx
// itself: nothing restyles or sizes it after WM_CREATE (each change costs a
// round of frame messages and, under a window system, a resize).
TEST(WindowImplBaseTest, TheWindowIsMadeWithItsFinalStyleAndSize)
{
    skintest::StartToolkit();
    MarkupSkinWindow window(L"<Window size=\"420,250\"><VerticalLayout bkcolor=\"#FF336699\" /></Window>");
    const HWND hwnd = window.Create(nullptr, L"final", WS_OVERLAPPEDWINDOW, 0, 30, 40, 0, 0);
    ASSERT_NE(hwnd, nullptr);
    window.recording = false;
    // From the first computation of the frame on, the window is what it
    // ends as (before it, the system gives an overlapped window a caption,
    // which WM_NCCREATE takes away).
    const auto framed = std::find_if(window.seen.begin(), window.seen.end(),
                                     [](const MarkupSkinWindow::Seen& s) { return s.message == WM_NCCALCSIZE; });
    ASSERT_NE(framed, window.seen.end());
    bool created = false;
    for (auto it = framed; it != window.seen.end(); ++it) {
        const MarkupSkinWindow::Seen& s = *it;
        created = created || s.message == WM_CREATE;
        EXPECT_NE(s.message, WM_STYLECHANGING) << "restyled after creation";
        EXPECT_NE(s.message, WM_WINDOWPOSCHANGING) << "moved or sized after creation";
        EXPECT_EQ(s.style & WS_CAPTION, 0) << "message " << s.message;
        EXPECT_EQ(s.style & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS), WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        if (s.message == WM_NCCALCSIZE || s.message == WM_CREATE || s.message == WM_SIZE) {
            EXPECT_EQ(s.size.cx, 420) << "message " << s.message;
            EXPECT_EQ(s.size.cy, 250) << "message " << s.message;
        }
    }
    EXPECT_TRUE(created);
    RECT outer{};
    ::GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.left, 30);
    EXPECT_EQ(outer.top, 40);
    EXPECT_EQ(outer.right - outer.left, 420);
    EXPECT_EQ(outer.bottom - outer.top, 250);
    EXPECT_NE(window.Manager().Root(), nullptr);
    ::DestroyWindow(hwnd);
}

// Rounded corners clip the window to a rounded region, following its size;
// square ones ("roundcorner" 0,0 or none) leave it without a region.
TEST(WindowImplBaseTest, OnlyRoundCornersGiveTheWindowARegion)
{
    skintest::StartToolkit();
    const struct {
        const wchar_t* markup;
        bool region;
    } cases[] = {
        {L"<Window size=\"200,100\" roundcorner=\"8,8\"><VerticalLayout /></Window>", true},
        {L"<Window size=\"200,100\" roundcorner=\"0,0\"><VerticalLayout /></Window>", false},
        {L"<Window size=\"200,100\"><VerticalLayout /></Window>", false},
    };
    for (const auto& c : cases) {
        MarkupSkinWindow window(c.markup);
        window.recording = false;
        const HWND hwnd = window.Create(nullptr, L"corners", WS_POPUP | WS_VISIBLE, 0, 10, 10, 0, 0);
        ASSERT_NE(hwnd, nullptr);
        ::SetWindowPos(hwnd, nullptr, 0, 0, 240, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
        const int kind = ::GetWindowRgn(hwnd, region.get());
        if (c.region) {
            EXPECT_EQ(kind, COMPLEXREGION) << c.markup;
            RECT box{};
            ::GetRgnBox(region.get(), &box);
            EXPECT_EQ(box.right, 240) << "follows the size";
            EXPECT_FALSE(::PtInRegion(region.get(), 0, 0)) << "the corner is cut";
            EXPECT_TRUE(::PtInRegion(region.get(), 120, 60));
        } else {
            EXPECT_EQ(kind, ERROR) << c.markup;
        }
        ::DestroyWindow(hwnd);
    }
}

TEST(WindowImplBaseTest, LauncherHitTestsFollowSizeboxAndCaption)
{
    PackedSkinWindow window(L"LauncherTestWindow", L"GameLoader.xml");
    const HWND hwnd = window.CreateShown(nullptr, 40, 30);
    ASSERT_NE(hwnd, nullptr);
    auto* tab = static_cast<CTabLayoutUI*>(window.Manager().FindByName(L"wizardTab"));
    ASSERT_NE(tab, nullptr);
    ASSERT_TRUE(tab->SelectPage(1));  // the download page with its buttons
    ::UpdateWindow(hwnd);

    const HitCase cases[] = {
        {{480, 3}, HTTOP},            // the top 6 pixels resize, inside the caption too
        {{2, 2}, HTTOPLEFT},
        {{957, 4}, HTTOPRIGHT},
        {{2, 300}, HTLEFT},
        {{480, 618}, HTBOTTOM},
        {{958, 618}, HTBOTTOMRIGHT},
        {{480, 100}, HTCAPTION},      // over the page layout
        {{400, 326}, HTCAPTION},      // over the progress bar
        {{400, 339}, HTCAPTION},      // over the tip label
        {{400, 340}, HTCLIENT},       // the caption ends above y = 340
        {{914, 18}, HTCLIENT},        // over "btnMin"
        {{940, 20}, HTCLIENT},        // over "btnClose"
        {{480, 500}, HTCLIENT},
    };
    for (const HitCase& c : cases) EXPECT_EQ(HitTest(hwnd, c.pt), c.expected) << c.pt.x << "," << c.pt.y;
}

TEST(WindowImplBaseTest, NoticeBoxRowsButtonsAndMessageLine)
{
    PackedSkinWindow box(L"NoticeTestWindow", L"CustomMsgBox.xml");
    const HWND hwnd = box.CreateShown(nullptr, 100, 100);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = box.Manager();

    // Two controls are named "labelTip"; the lookup finds the message line.
    CControlUI* message = manager.FindByName(L"labelTip");
    ASSERT_NE(message, nullptr);
    ASSERT_NE(message->Parent(), nullptr);
    EXPECT_EQ(message->Parent()->Name(), L"verOnlyTip");

    const struct {
        CControlUI* control;
        RECT rect;
    } cases[] = {
        {manager.FindByName(L"verLayout"), {0, 0, 440, 260}},
        {manager.FindByName(L"verOnlyTip"), {0, 134, 440, 162}},
        {message, {10, 134, 430, 162}},
        {manager.FindByName(L"btnClose"), {408, 8, 432, 32}},
        {manager.FindByName(L"labelIcon"), {190, 50, 250, 110}},
        {manager.FindByName(L"btnOk"), {172, 208, 268, 240}},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.control, nullptr);
        const RECT& r = c.control->Rect();
        EXPECT_EQ(r.left, c.rect.left) << c.control->Name().View().data();
        EXPECT_EQ(r.top, c.rect.top) << c.control->Name().View().data();
        EXPECT_EQ(r.right, c.rect.right) << c.control->Name().View().data();
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.control->Name().View().data();
    }

    // The whole box drags, except on its buttons; it has no resize border.
    const HitCase hits[] = {
        {{0, 0}, HTCAPTION},   {{100, 100}, HTCAPTION}, {{220, 150}, HTCAPTION}, {{439, 259}, HTCAPTION},
        {{200, 220}, HTCLIENT}, {{420, 20}, HTCLIENT},
    };
    for (const HitCase& c : hits) EXPECT_EQ(HitTest(hwnd, c.pt), c.expected) << c.pt.x << "," << c.pt.y;
}

// A window class with its own notify map: one entry for "btnOk", one for any
// control (which hides the base's "click" entry).
class MappedWindow : public PackedSkinWindow {
public:
    MappedWindow() : PackedSkinWindow(L"MappedTestWindow", L"CustomMsgBox.xml") {}
    std::vector<std::wstring> calls;

    static const TNotifyMap* ClassNotifyMap()
    {
        static const TNotifyMapEntry entries[] = {
            NotifyOnArgs<MappedWindow>(L"click", L"", &MappedWindow::OnAnyClick),
            NotifyOnRecord<MappedWindow>(L"click", L"btnOk", &MappedWindow::OnOk),
            NotifyOnRecord<MappedWindow>(L"tabselect", L"", &MappedWindow::OnOk),
            kNotifyMapEnd,
        };
        static const TNotifyMap map = {WindowImplBase::ClassNotifyMap(), entries};
        return &map;
    }

protected:
    const TNotifyMap* NotifyMap() const override { return ClassNotifyMap(); }

private:
    void OnAnyClick(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back(L"any " + std::to_wstring(wParam) + L"," + std::to_wstring(lParam));
    }
    void OnOk(TNotifyRecord& record) { calls.push_back(L"ok " + std::wstring(record.sType.View())); }
};

// A window class whose map has no "click": the base's system buttons apply.
class WindowInitWindow : public PackedSkinWindow {
public:
    WindowInitWindow() : PackedSkinWindow(L"InitTestWindow", L"CustomMsgBox.xml") {}
    int windowInits = 0;

    static const TNotifyMap* ClassNotifyMap()
    {
        static const TNotifyMapEntry entries[] = {
            NotifyOnRecord<WindowInitWindow>(L"windowinit", L"", &WindowInitWindow::OnWindowInit),
            kNotifyMapEnd,
        };
        static const TNotifyMap map = {WindowImplBase::ClassNotifyMap(), entries};
        return &map;
    }

protected:
    const TNotifyMap* NotifyMap() const override { return ClassNotifyMap(); }

private:
    void OnWindowInit(TNotifyRecord&) { ++windowInits; }
};

TEST(WindowImplBaseTest, NotificationsFollowTheMostDerivedMap)
{
    MappedWindow window;
    const HWND hwnd = window.CreateShown();
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    manager.FindByName(L"labelIcon")->SetName(L"closebtn");
    const struct {
        const wchar_t* sender;
        const wchar_t* type;
        const wchar_t* expected;
    } cases[] = {
        {L"btnOk", L"click", L"ok click"},       // the exact name beats the any-control entry
        {L"btnClose", L"click", L"any 7,9"},
        {L"closebtn", L"click", L"any 7,9"},    // the base's system buttons are hidden
        {L"btnOk", L"tabselect", L"ok tabselect"},
    };
    for (const auto& c : cases) {
        window.calls.clear();
        manager.RaiseNotify(manager.FindByName(c.sender), c.type, 7, 9);
        EXPECT_EQ(window.calls, std::vector<std::wstring>{c.expected}) << c.sender << " " << c.type;
    }
    window.calls.clear();
    manager.RaiseNotify(manager.FindByName(L"btnOk"), L"mouseenter");
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(TakeCloseMessages(hwnd).empty());
}

TEST(WindowImplBaseTest, SystemButtonsByExactName)
{
    WindowInitWindow window;
    const HWND hwnd = window.CreateShown();
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    EXPECT_EQ(window.windowInits, 1);

    CControlUI* icon = manager.FindByName(L"labelIcon");
    icon->SetName(L"CloseBtn");  // differs only in letter case: nothing
    manager.RaiseNotify(icon, L"click");
    EXPECT_TRUE(TakeCloseMessages(hwnd).empty());
    icon->SetName(L"closebtn");
    manager.RaiseNotify(icon, L"click");
    EXPECT_EQ(TakeCloseMessages(hwnd), std::vector<WPARAM>{1});

    icon->SetName(L"minbtn");
    manager.RaiseNotify(icon, L"click");
    EXPECT_TRUE(::IsIconic(hwnd));

    // A later relayout raises no second "windowinit".
    ::ShowWindow(hwnd, SW_RESTORE);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    ::UpdateWindow(hwnd);
    skintest::PumpPending();
    EXPECT_EQ(window.windowInits, 1);
}

class CloseRecordingWindow : public PackedSkinWindow {
public:
    CloseRecordingWindow() : PackedSkinWindow(L"CloseTestWindow", L"CustomMsgBox.xml") {}
    int closes = 0;
    LRESULT OnWmClose(UINT, WPARAM, LPARAM, bool&) override
    {
        ++closes;
        return 0;  // consumed: the window stays
    }
};

TEST(WindowImplBaseTest, SystemCloseCommandBecomesWmClose)
{
    CloseRecordingWindow window;
    const HWND hwnd = window.CreateShown();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(window.closes, 1);
    EXPECT_TRUE(::IsWindow(hwnd));
}

TEST(WindowImplBaseTest, ReturnAndEscapeAreNeverConsumedByTheFilter)
{
    PackedSkinWindow window(L"FilterTestWindow", L"CustomMsgBox.xml");
    ASSERT_NE(window.CreateShown(), nullptr);
    const struct {
        UINT message;
        WPARAM key;
        LRESULT result;
    } cases[] = {
        {WM_KEYDOWN, VK_ESCAPE, 1}, {WM_KEYDOWN, VK_RETURN, 0}, {WM_KEYDOWN, 'A', 0}, {WM_KEYUP, VK_ESCAPE, 0},
    };
    for (const auto& c : cases) {
        bool handled = false;
        EXPECT_EQ(window.FilterMessage(c.message, c.key, 0, handled), c.result) << c.key;
        EXPECT_FALSE(handled);
    }
}

POINT WindowOrigin(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.left, r.top};
}

// Waits until the shake's timer has run the given number of ticks.
void PumpTicks(int ticks)
{
    skintest::PumpFor(static_cast<DWORD>(ticks) * kShakeIntervalMs + kShakeIntervalMs / 2);
}

TEST(WindowImplBaseTest, ClickOnTheDisabledOwnerShakesTheModalChild)
{
    PackedSkinWindow owner(L"ShakeOwnerWindow", L"GameLoader.xml");
    const HWND ownerWnd = owner.CreateShown(nullptr, 10, 10);
    PackedSkinWindow box(L"ShakeBoxWindow", L"CustomMsgBox.xml");
    const HWND boxWnd = box.CreateShown(ownerWnd, 300, 200);
    ASSERT_NE(boxWnd, nullptr);
    ASSERT_EQ(::GetWindow(boxWnd, GW_OWNER), ownerWnd);
    ::SendMessageW(ownerWnd, WM_MODAL_CHILD_SET, 0, reinterpret_cast<LPARAM>(boxWnd));
    ::EnableWindow(ownerWnd, FALSE);
    const POINT start = WindowOrigin(boxWnd);

    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    ::SendMessageW(ownerWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(ownerWnd), click);
    bool moved = false;
    for (int i = 0; i < 3; ++i) {
        skintest::PumpFor(kShakeIntervalMs);
        const POINT now = WindowOrigin(boxWnd);
        moved = moved || now.x != start.x || now.y != start.y;
    }
    EXPECT_TRUE(moved);
    // A second click half-way through restarts the shake from where it began.
    ::SendMessageW(ownerWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(ownerWnd), click);
    PumpTicks(10);
    const POINT end = WindowOrigin(boxWnd);
    EXPECT_EQ(end.x, start.x);
    EXPECT_EQ(end.y, start.y);

    // A mouse move over the owner does not shake.
    ::SendMessageW(ownerWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(ownerWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    skintest::PumpFor(kShakeIntervalMs * 2);
    EXPECT_EQ(WindowOrigin(boxWnd).x, start.x);
    ::EnableWindow(ownerWnd, TRUE);
}

// WM_DPICHANGED comes from the system with one DPI for both axes and a
// pointer to the rectangle it suggests; the same message number can come
// from any process with anything in it. A suggestion that cannot be read,
// or that no screen holds, is not taken: the window keeps its place and
// takes its size at the new scale. Two different DPIs change nothing.
TEST(WindowImplBaseTest, DpiChangesTakeOnlyAReadableSensibleRectangle)
{
    PackedSkinWindow window(L"DpiChangeTestWindow", L"CustomMsgBox.xml");
    const HWND hwnd = window.CreateShown(nullptr, 50, 40);
    ASSERT_NE(hwnd, nullptr);
    CWindowManagerUI& manager = window.Manager();
    const int home = manager.DisplayScale().Dpi();
    const auto windowRect = [&] {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        return r;
    };
    const RECT start = windowRect();
    const CDisplayScale homeScale(home);
    const auto sizeAt = [&](int dpi, int logical) { return CDisplayScale(dpi).Scale(logical); };

    ::SendMessageW(hwnd, kWmDpiChanged, MAKEWPARAM(120, 144), 0);
    EXPECT_EQ(manager.DisplayScale().Dpi(), home) << "two DPIs: not the system's message";

    void* released = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(released, nullptr);
    ::VirtualFree(released, 0, MEM_RELEASE);
    RECT huge = {0, 0, 100000, 100};
    RECT inverted = {500, 500, 100, 100};
    const struct {
        const char* what;
        LPARAM lParam;
        bool post;
    } cases[] = {
        {"no rectangle", 0, false},
        {"a small number", 0x10, true},
        {"released memory", reinterpret_cast<LPARAM>(released), true},
        {"a rectangle larger than any screen", reinterpret_cast<LPARAM>(&huge), false},
        {"an inverted rectangle", reinterpret_cast<LPARAM>(&inverted), false},
    };
    int dpi = home;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dpi = dpi == 192 ? 144 : 192;
        if (c.post) {
            ASSERT_TRUE(::PostMessageW(hwnd, kWmDpiChanged, MAKEWPARAM(dpi, dpi), c.lParam));
            skintest::PumpPending();
        } else {
            ::SendMessageW(hwnd, kWmDpiChanged, MAKEWPARAM(dpi, dpi), c.lParam);
        }
        EXPECT_EQ(manager.DisplayScale().Dpi(), dpi);
        const RECT now = windowRect();
        EXPECT_EQ(now.left, start.left) << "kept its place";
        EXPECT_EQ(now.top, start.top);
        EXPECT_EQ(now.right - now.left, sizeAt(dpi, 440));
        EXPECT_EQ(now.bottom - now.top, sizeAt(dpi, 260));
    }

    // The system's own message: the window takes the suggestion.
    RECT suggested = {start.left + 11, start.top + 13, start.left + 11 + sizeAt(home, 440),
                      start.top + 13 + sizeAt(home, 260)};
    ::SendMessageW(hwnd, kWmDpiChanged, MAKEWPARAM(home, home), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(manager.DisplayScale().Dpi(), home);
    const RECT end = windowRect();
    EXPECT_TRUE(::EqualRect(&end, &suggested));
    ::UpdateWindow(hwnd);
    CControlUI* ok = manager.FindByName(L"btnOk");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Rect().right - ok->Rect().left, homeScale.Scale(96));
}

TEST(WindowImplBaseTest, SkinBuildFailureEndsTheProcessWithCodeOneAfterTheBox)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"skin_failure_window.exe";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + program + L"\"";
    ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi));
    win32::UniqueHandle process(pi.hProcess);
    win32::UniqueHandle thread(pi.hThread);

    // The box: no owner, caption the skin file, text the failure message.
    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
        box = ::FindWindowW(L"#32770", L"NoSuchLayout.xml");
        if (!box) ::Sleep(50);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
    wchar_t text[64] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 64);
    EXPECT_STREQ(text, L"加载资源失败！");
    // The process waits for the box.
    EXPECT_EQ(::WaitForSingleObject(process.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));

    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(code, 1u);
}

}  // namespace
