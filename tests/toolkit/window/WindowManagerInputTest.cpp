// The window manager on a real window: messages posted to it and pumped as
// the message loop would, events and notifications read back at the controls.
#include "toolkit/window/WindowManagerUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/controls/ControlTestDoubles.h"
#include "tests/toolkit/window/ManagerTestWindow.h"
#include "base/Win32Handles.h"
#include "tests/support/TestSupport.h"
#include "toolkit/controls/ButtonUI.h"
#include "toolkit/controls/LabelUI.h"
#include "toolkit/controls/ProgressUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/package/SkinResources.h"

namespace {

using namespace SkinUI;
using namespace skintest;

template <typename T>
T* Named(const wchar_t* name)
{
    T* control = new T;
    control->SetName(name);
    return control;
}

// A float child at a fixed rectangle of its parent.
template <typename T>
T* Placed(const wchar_t* name, const wchar_t* pos)
{
    T* control = Named<T>(name);
    control->ApplyAttribute(L"float", L"true");
    control->ApplyAttribute(L"pos", pos);
    return control;
}

// Records the events a control receives, by type, with the control's name.
struct EventLog {
    std::vector<std::pair<std::wstring, int>> events;
    void Watch(CControlUI* control)
    {
        control->OnEvent.Add([this, control](TEventRecord& event) {
            events.emplace_back(std::wstring(control->Name().View()), event.nType);
            return true;
        });
    }
    int Count(const wchar_t* name, int type) const
    {
        int n = 0;
        for (const auto& e : events) n += e.first == name && e.second == type;
        return n;
    }
    // Only the events of the listed types, in order.
    std::vector<std::pair<std::wstring, int>> Only(std::initializer_list<int> types) const
    {
        std::vector<std::pair<std::wstring, int>> kept;
        for (const auto& e : events)
            for (int t : types)
                if (e.second == t) kept.push_back(e);
        return kept;
    }
};

// Attaches root [children] as the window's tree, every child watched, and
// lets the first paint lay it out.
CVerticalLayoutUI* AttachWatched(ManagerTestWindow& window, EventLog& events,
                                 std::initializer_list<CControlUI*> children)
{
    auto* root = Named<CVerticalLayoutUI>(L"root");
    for (CControlUI* child : children) {
        events.Watch(child);
        root->Add(child);
    }
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    return root;
}

// The real cursor rests inside the test windows at (100, 100)-(300, 200),
// over no control of interest: the system's own mouse tracking then posts no
// leave of its own while the tests post theirs.
void ParkCursorInsideWindow()
{
    ::SetCursorPos(280, 180);
}

// Sets Shift in this thread's key state for the duration of a scope.
class ShiftDown {
public:
    explicit ShiftDown(bool down)
    {
        ::GetKeyboardState(m_saved);
        BYTE keys[256];
        std::copy(std::begin(m_saved), std::end(m_saved), keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    ~ShiftDown() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256]{};
};

TEST(WindowManagerInputTest, FirstPaintRaisesWindowInitOnceAndResizeRelayouts)
{
    ManagerTestWindow window({50, 50, 250, 150});
    ASSERT_NE(window.hwnd(), nullptr);
    NotifyLog log;
    window.manager.AddNotifyTarget(&log);
    auto* root = Named<CVerticalLayoutUI>(L"root");
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    EXPECT_EQ(root->Rect().right, 200);
    EXPECT_EQ(root->Rect().bottom, 100);

    ::SetWindowPos(window.hwnd(), nullptr, 0, 0, 300, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    EXPECT_EQ(root->Rect().right, 300);  // laid out again at the new size
    EXPECT_EQ(root->Rect().bottom, 180);
    EXPECT_EQ(log.Count(L"windowinit"), 1);
    ASSERT_FALSE(log.records.empty());
    EXPECT_EQ(log.records[0].pSender, root);
}

// root [ btnA, page [ btnB, btnC ], btnD ]: "page" is a focusable control
// that is no tab stop, as a tab page focused by SelectPage is.
struct TabTree {
    CVerticalLayoutUI* root = Named<CVerticalLayoutUI>(L"root");
    CButtonUI* a = Named<CButtonUI>(L"btnA");
    CVerticalLayoutUI* page = Named<CVerticalLayoutUI>(L"page");
    CButtonUI* b = Named<CButtonUI>(L"btnB");
    CButtonUI* c = Named<CButtonUI>(L"btnC");
    CButtonUI* d = Named<CButtonUI>(L"btnD");
    TabTree()
    {
        page->Add(b);
        page->Add(c);
        root->Add(a);
        root->Add(page);
        root->Add(d);
    }
};

TEST(WindowManagerInputTest, TabAndShiftTabWrapAndStartFromAnyFocus)
{
    struct Case {
        const wchar_t* focused;  // none: nothing focused
        bool shift;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {nullptr, false, L"btnA"},   // nothing focused: the first tab stop
        {nullptr, true, L"btnD"},    // ... or the last
        {L"btnA", false, L"btnB"},
        {L"btnC", false, L"btnD"},
        {L"btnD", false, L"btnA"},   // wraps forward
        {L"btnA", true, L"btnD"},    // wraps backward
        {L"btnB", true, L"btnA"},
        {L"page", false, L"btnB"},   // no tab stop: the next one in walk order
        {L"page", true, L"btnA"},    // ... or the one before it
    };
    // One window for all cases (windows are slow to make under Wine); each
    // case attaches a fresh tree.
    ManagerTestWindow window({0, 0, 200, 200});
    for (const Case& c : cases) {
        TabTree tree;
        window.manager.AttachTree(tree.root);
        ::UpdateWindow(window.hwnd());
        window.Pump();
        window.manager.FocusControl(c.focused ? window.manager.FindByName(c.focused) : nullptr);
        ASSERT_EQ(window.manager.FocusedControl(), c.focused ? window.manager.FindByName(c.focused) : nullptr);
        {
            ShiftDown shift(c.shift);
            ::PostMessageW(window.hwnd(), WM_KEYDOWN, VK_TAB, 0);
            window.Pump();
        }
        ASSERT_NE(window.manager.FocusedControl(), nullptr) << (c.focused ? c.focused : L"none");
        EXPECT_EQ(window.manager.FocusedControl()->Name().View(), c.expected)
            << (c.focused ? c.focused : L"none") << (c.shift ? L" shift-tab" : L" tab");
    }
}

TEST(WindowManagerInputTest, SelectingAPageFocusesItsFirstTabStop)
{
    ManagerTestWindow window({0, 0, 200, 200});
    auto* root = Named<CVerticalLayoutUI>(L"root");
    auto* close = Named<CButtonUI>(L"btnClose");
    auto* tab = Named<CTabLayoutUI>(L"wizardTab");
    auto* page0 = Named<CVerticalLayoutUI>(L"page0");
    auto* page1 = Named<CVerticalLayoutUI>(L"page1");
    auto* inPage0 = Named<CButtonUI>(L"btnPage0");
    auto* inPage1 = Named<CButtonUI>(L"btnPage1");
    page0->Add(inPage0);
    page1->Add(inPage1);
    tab->Add(page0);
    tab->Add(page1);
    root->Add(close);
    root->Add(tab);
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    EXPECT_EQ(window.manager.FocusedControl(), close);

    ASSERT_TRUE(tab->SelectPage(1));
    ::UpdateWindow(window.hwnd());  // the focus moves once the page is laid out
    window.Pump();
    EXPECT_EQ(window.manager.FocusedControl(), inPage1);
}

TEST(WindowManagerInputTest, ClickNeedsPressAndReleaseInsideTheButton)
{
    ParkCursorInsideWindow();
    // The button spans (20, 20)-(80, 50) of the window.
    struct Step {
        UINT message;
        POINT pt;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    };
    const Case cases[] = {
        {"press and release inside", {{WM_LBUTTONDOWN, {30, 30}}, {WM_LBUTTONUP, {31, 31}}}, 1},
        {"dragged out and released outside",
         {{WM_LBUTTONDOWN, {30, 30}}, {WM_MOUSEMOVE, {150, 80}}, {WM_LBUTTONUP, {150, 80}}}, 0},
        {"dragged out and back in",
         {{WM_LBUTTONDOWN, {30, 30}}, {WM_MOUSEMOVE, {150, 80}}, {WM_MOUSEMOVE, {40, 40}}, {WM_LBUTTONUP, {40, 40}}},
         1},
        {"pressed outside, released inside", {{WM_LBUTTONDOWN, {150, 80}}, {WM_LBUTTONUP, {30, 30}}}, 0},
    };
    ManagerTestWindow window({100, 100, 300, 200});
    for (const Case& c : cases) {
        NotifyLog log;
        EventLog events;
        window.manager.AddNotifyTarget(&log);
        auto* button = Placed<CButtonUI>(L"btnOk", L"20,20,80,50");
        AttachWatched(window, events, {button});

        for (const Step& step : c.steps) {
            window.Post(step.message, step.message == WM_LBUTTONUP ? 0 : MK_LBUTTON, step.pt);
            window.Pump();
            if (step.message == WM_LBUTTONDOWN && ::PtInRect(&button->Rect(), step.pt)) {
                // The press holds the mouse until the release.
                EXPECT_TRUE(window.manager.IsMouseCaptured()) << c.name;
                EXPECT_EQ(::GetCapture(), window.hwnd()) << c.name;
                EXPECT_EQ(window.manager.ClickControl(), button) << c.name;
            }
        }
        EXPECT_EQ(log.Count(L"click"), c.clicks) << c.name;
        EXPECT_FALSE(window.manager.IsMouseCaptured()) << c.name;
        EXPECT_NE(::GetCapture(), window.hwnd()) << c.name;
        EXPECT_EQ(window.manager.ClickControl(), nullptr) << c.name;
        // A pressed button keeps receiving moves outside its rectangle.
        if (std::string(c.name).find("dragged") == 0) {
            EXPECT_GE(events.Count(L"btnOk", EV_MOUSEMOVE), 1) << c.name;
            EXPECT_EQ(events.Count(L"btnOk", EV_BUTTONUP), 1) << c.name;
        }
        window.manager.RemoveNotifyTarget(&log);
    }
}

TEST(WindowManagerInputTest, HoverMovesFromControlToControlAndLeavesWithTheWindow)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    NotifyLog log;
    EventLog events;
    window.manager.AddNotifyTarget(&log);
    auto* first = Placed<CLabelUI>(L"first", L"0,0,50,50");
    auto* second = Placed<CButtonUI>(L"second", L"100,0,150,50");
    second->SetToolTip(L"a tip");
    AttachWatched(window, events, {first, second});

    window.Post(WM_MOUSEMOVE, 0, {10, 10});
    window.Pump();
    EXPECT_EQ(window.manager.HoverControl(), first);
    window.Post(WM_MOUSEMOVE, 0, {110, 10});
    window.Pump();
    EXPECT_EQ(window.manager.HoverControl(), second);

    // Resting on it: "mouseenter" and the tooltip.
    window.Post(WM_MOUSEHOVER, 0, {110, 10});
    window.Pump();
    ASSERT_GE(log.Count(L"mouseenter"), 1);
    EXPECT_EQ(std::find_if(log.records.begin(), log.records.end(),
                           [](const TNotifyRecord& r) { return r.sType.View() == L"mouseenter"; })
                  ->pSender,
              second);
    EXPECT_NE(window.manager.ToolTipWindow(), nullptr);

    window.Post(WM_MOUSELEAVE, 0, {0, 0});
    window.PumpUntil([&] { return window.manager.HoverControl() == nullptr; }, 500);
    EXPECT_EQ(window.manager.HoverControl(), nullptr);

    const auto order = events.Only({EV_MOUSEENTER, EV_MOUSELEAVE});
    const std::vector<std::pair<std::wstring, int>> expected = {
        {L"first", EV_MOUSEENTER}, {L"first", EV_MOUSELEAVE}, {L"second", EV_MOUSEENTER}, {L"second", EV_MOUSELEAVE}};
    EXPECT_EQ(order, expected);
    int leaves = 0;
    for (const TNotifyRecord& r : log.records)
        leaves += r.sType.View() == L"mouseleave" && (r.pSender == first || r.pSender == second);
    EXPECT_EQ(leaves, 2);
}

// What the manager sends its tooltip window, seen on the way by a hook of
// the thread's sent messages: each tool message with its structure size.
struct ToolMessage {
    UINT message;
    UINT size;
};
std::vector<ToolMessage>* g_toolMessages = nullptr;

LRESULT CALLBACK WatchToolMessages(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && g_toolMessages != nullptr) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if ((sent->message == TTM_ADDTOOLW || sent->message == TTM_SETTOOLINFOW ||
             sent->message == TTM_TRACKACTIVATE) &&
            sent->lParam != 0)
            g_toolMessages->push_back({sent->message, reinterpret_cast<const TOOLINFOW*>(sent->lParam)->cbSize});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookTraits {
    static HHOOK Invalid() noexcept { return nullptr; }
    static bool Valid(HHOOK h) noexcept { return h != nullptr; }
    static void Close(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
};

TEST(WindowManagerInputTest, TheTooltipDescribesItsToolInTheSizeComctl32FiveAccepts)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    EventLog events;
    auto* tipped = Placed<CButtonUI>(L"tipped", L"0,0,80,40");
    tipped->SetToolTip(L"a tip");
    AttachWatched(window, events, {tipped});

    std::vector<ToolMessage> sent;
    g_toolMessages = &sent;
    const win32::UniqueResource<HHOOK, HookTraits> hook(
        ::SetWindowsHookExW(WH_CALLWNDPROC, WatchToolMessages, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(hook.get());
    for (int i = 0; i < 2; ++i) {  // the first hover creates the tooltip, the second reuses it
        window.Post(WM_MOUSEMOVE, 0, {10, 10});
        window.Post(WM_MOUSEHOVER, 0, {10, 10});
        window.Pump();
    }
    g_toolMessages = nullptr;

    // Added once, set on each hover, always with the comctl32 5 size
    // (sizeof(TOOLINFOW) carries comctl32 6's extra field). The system's own
    // hover and leave, when the cursor's real position raises them, may add
    // sets and activations, never a second tool.
    int added = 0;
    int set = 0;
    for (const ToolMessage& m : sent) {
        added += m.message == TTM_ADDTOOLW;
        set += m.message == TTM_SETTOOLINFOW;
        EXPECT_EQ(m.size, static_cast<UINT>(TTTOOLINFOW_V2_SIZE)) << "message " << m.message;
    }
    EXPECT_EQ(added, 1);
    EXPECT_GE(set, 2);
    EXPECT_LT(TTTOOLINFOW_V2_SIZE, sizeof(TOOLINFOW));
    ASSERT_NE(window.manager.ToolTipWindow(), nullptr);
    EXPECT_EQ(::SendMessageW(window.manager.ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(WindowManagerInputTest, RestartedTimerKeepsItsNativeIdAndTicks)
{
    ManagerTestWindow window({0, 0, 100, 100});
    NotifyLog log;
    window.manager.AddNotifyTarget(&log);
    auto* root = Named<CVerticalLayoutUI>(L"root");
    auto* control = Named<CControlUI>(L"ticker");
    root->Add(control);
    window.manager.AttachTree(root);

    auto ticks = [&] {
        int n = 0;
        for (const TNotifyRecord& r : log.records) n += r.sType.View() == L"timer" && r.pSender == control && r.wParam == 7;
        return n;
    };
    ASSERT_TRUE(window.manager.StartControlTimer(control, 7, 10));
    EXPECT_FALSE(window.manager.StartControlTimer(control, 7, 10));  // already running
    const UINT_PTR native = window.manager.NativeTimerId(control, 7);
    ASSERT_NE(native, 0u);
    ASSERT_TRUE(window.PumpUntil([&] { return ticks() >= 1; }));

    ASSERT_TRUE(window.manager.StopControlTimer(control, 7));
    window.Pump();
    const int stoppedAt = ticks();
    ::Sleep(50);
    window.Pump();
    EXPECT_EQ(ticks(), stoppedAt);  // a stopped timer is silent

    ASSERT_TRUE(window.manager.StartControlTimer(control, 7, 10));
    EXPECT_EQ(window.manager.NativeTimerId(control, 7), native);
    EXPECT_TRUE(window.PumpUntil([&] { return ticks() > stoppedAt; }));
}

TEST(WindowManagerInputTest, RemovedControlLeavesNoFocusTimerOrPress)
{
    ParkCursorInsideWindow();
    enum class Holds { Focus, Timer, Press };
    ManagerTestWindow window({100, 100, 300, 200});
    for (Holds holds : {Holds::Focus, Holds::Timer, Holds::Press}) {
        NotifyLog log;
        window.manager.AddNotifyTarget(&log);
        auto* root = Named<CVerticalLayoutUI>(L"root");
        auto* button = Placed<CButtonUI>(L"btn", L"0,0,50,50");
        bool destroyed = false;
        button->OnDestroyed.Add([&destroyed](CControlUI*) {
            destroyed = true;
            return true;
        });
        int events = 0;
        button->OnEvent.Add([&events](TEventRecord&) {
            ++events;
            return true;
        });
        root->Add(button);
        window.manager.AttachTree(root);
        ::UpdateWindow(window.hwnd());
        window.Pump();

        switch (holds) {
        case Holds::Focus:
            window.manager.FocusControl(button);
            ASSERT_EQ(window.manager.FocusedControl(), button);
            break;
        case Holds::Timer:
            ASSERT_TRUE(window.manager.StartControlTimer(button, 1, 10));
            break;
        case Holds::Press:
            window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
            window.Pump();
            ASSERT_EQ(window.manager.ClickControl(), button);
            break;
        }
        ASSERT_TRUE(root->Remove(button));
        EXPECT_EQ(window.manager.FocusedControl(), nullptr);
        EXPECT_EQ(window.manager.ClickControl(), nullptr);
        EXPECT_FALSE(window.manager.IsMouseCaptured());
        EXPECT_EQ(window.manager.NativeTimerId(button, 1), 0u);
        EXPECT_EQ(window.manager.FindByName(L"btn"), nullptr);

        const int before = events;
        // The queued deletion runs from the message loop; nothing reaches
        // the control before it, and the release goes nowhere.
        window.Post(WM_LBUTTONUP, 0, {10, 10});
        ::Sleep(40);
        window.PumpUntil([&] { return destroyed; }, 1000);
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(events, before);
        EXPECT_EQ(log.Count(L"click"), 0);
        window.manager.RemoveNotifyTarget(&log);
    }
}

TEST(WindowManagerInputTest, AttachingTheSameRootAgainKeepsIt)
{
    ManagerTestWindow window({0, 0, 100, 100});
    auto* root = Named<CVerticalLayoutUI>(L"root");
    auto* child = Named<CLabelUI>(L"child");
    root->Add(child);
    bool rootDestroyed = false;
    root->OnDestroyed.Add([&rootDestroyed](CControlUI*) {
        rootDestroyed = true;
        return true;
    });
    ASSERT_TRUE(window.manager.AttachTree(root));
    ASSERT_TRUE(window.manager.AttachTree(root));
    ::Sleep(20);
    window.Pump();  // a queued deletion would run here
    EXPECT_FALSE(rootDestroyed);
    EXPECT_EQ(window.manager.Root(), root);
    EXPECT_EQ(window.manager.FindByName(L"child"), child);

    // A different root replaces it: the old one goes only once the loop runs.
    auto* other = Named<CVerticalLayoutUI>(L"other");
    ASSERT_TRUE(window.manager.AttachTree(other));
    EXPECT_FALSE(rootDestroyed);
    EXPECT_EQ(window.manager.FindByName(L"child"), nullptr);
    EXPECT_TRUE(window.PumpUntil([&] { return rootDestroyed; }, 1000));
    EXPECT_EQ(window.manager.Root(), other);
}

TEST(WindowManagerInputTest, ClosingWhilePressedReleasesTheButtonFirst)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    EventLog events;
    auto* button = Placed<CButtonUI>(L"btn", L"0,0,50,50");
    AttachWatched(window, events, {button});
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, {10, 10});
    window.Pump();
    ASSERT_EQ(window.manager.ClickControl(), button);

    const HWND hwnd = window.hwnd();
    bool upBeforeDestroy = false;
    button->OnEvent.Add([&](TEventRecord& event) {
        if (event.nType == EV_BUTTONUP) upBeforeDestroy = ::IsWindow(hwnd) != FALSE;
        return true;
    });
    ::SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(upBeforeDestroy);
    EXPECT_EQ(events.Count(L"btn", EV_BUTTONUP), 1);
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Messages that reach the focused or pointed-at control: keys, shortcuts,
// the context menu and the wheel.
TEST(WindowManagerInputTest, KeysShortcutsMenusAndWheelReachTheirControls)
{
    ParkCursorInsideWindow();
    ManagerTestWindow window({100, 100, 300, 200});
    NotifyLog log;
    EventLog events;
    window.manager.AddNotifyTarget(&log);
    auto* ok = Placed<CButtonUI>(L"btnOk", L"0,0,50,30");
    auto* next = Placed<CButtonUI>(L"btnNext", L"110,0,160,30");
    // The walk visits later children first, so the label hands its shortcut
    // to the control before it: "btnNext".
    auto* caption = Placed<CLabelUI>(L"caption", L"60,0,100,30");
    ok->ApplyAttribute(L"shortcut", L"o");
    ok->ApplyAttribute(L"menu", L"true");
    caption->ApplyAttribute(L"shortcut", L"N");
    AttachWatched(window, events, {ok, next, caption});
    auto clicksBy = [&](CControlUI* sender) {
        int n = 0;
        for (const TNotifyRecord& r : log.records) n += r.sType.View() == L"click" && r.pSender == sender;
        return n;
    };

    // Return on the focused button activates it; a key-up goes to the control that got the key-down.
    window.manager.FocusControl(ok);
    ::PostMessageW(window.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(window.hwnd(), WM_KEYUP, VK_RETURN, 0);
    window.Pump();
    EXPECT_EQ(clicksBy(ok), 1);
    EXPECT_EQ(events.Count(L"btnOk", EV_KEYUP), 1);

    // Alt+letter: the control whose shortcut matches, in any case; a label
    // passes it to the control after it.
    window.manager.FocusControl(nullptr);
    ::PostMessageW(window.hwnd(), WM_SYSCHAR, L'O', 0);
    window.Pump();
    EXPECT_EQ(clicksBy(ok), 2);
    EXPECT_EQ(window.manager.FocusedControl(), ok);
    ::PostMessageW(window.hwnd(), WM_SYSCHAR, L'n', 0);
    window.Pump();
    EXPECT_EQ(clicksBy(next), 1);
    EXPECT_EQ(window.manager.FocusedControl(), next);
    EXPECT_EQ(events.Count(L"caption", EV_SETFOCUS), 0);

    // Right press, then the context menu: "menu" carries the pressed control.
    window.Post(WM_RBUTTONDOWN, MK_RBUTTON, {10, 10});
    POINT screen = {110, 110};
    ::PostMessageW(window.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.hwnd()),
                   MAKELPARAM(screen.x, screen.y));
    window.Pump();
    ASSERT_EQ(log.Count(L"menu"), 1);
    for (const TNotifyRecord& r : log.records) {
        if (r.sType.View() == L"menu") {
            EXPECT_EQ(r.lParam, reinterpret_cast<LPARAM>(ok));
        }
    }
    EXPECT_FALSE(window.manager.IsMouseCaptured());

    // The wheel: wParam 1 towards the user, 0 away, to the control under the point.
    int wheel[2] = {-1, -1};
    int turns = 0;
    next->OnEvent.Add([&](TEventRecord& event) {
        if (event.nType == EV_SCROLLWHEEL && turns < 2) wheel[turns++] = static_cast<int>(event.wParam);
        return true;
    });
    ::PostMessageW(window.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(220, 110));
    ::PostMessageW(window.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(220, 110));
    window.Pump();
    EXPECT_EQ(wheel[0], 1);
    EXPECT_EQ(wheel[1], 0);
}

// Handler filters see window messages before the manager, pre filters see
// queued messages before pre-translation, accelerators answer 0 to consume.
TEST(WindowManagerInputTest, FiltersAndAcceleratorsComeFirst)
{
    struct Filter : IMessageFilterUI {
        UINT consume = 0;
        int seen = 0;
        LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool& handled) override
        {
            if (message == consume) {
                ++seen;
                handled = true;
                return 42;
            }
            return 0;
        }
    };
    struct Accelerator : ITranslateAccelerator {
        UINT consume = 0;
        LRESULT PreTranslate(MSG* msg) override { return msg->message == consume ? 0 : 1; }
    };

    ManagerTestWindow window({0, 0, 200, 200});
    TabTree tree;
    window.manager.AttachTree(tree.root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    ASSERT_EQ(window.manager.FocusedControl(), tree.a);

    Filter pre;
    pre.consume = WM_KEYDOWN;
    ASSERT_TRUE(window.manager.AddPreFilter(&pre));
    EXPECT_FALSE(window.manager.AddPreFilter(&pre));
    ::PostMessageW(window.hwnd(), WM_KEYDOWN, VK_TAB, 0);
    window.Pump();
    EXPECT_EQ(pre.seen, 1);
    EXPECT_EQ(window.manager.FocusedControl(), tree.a);  // the tab never reached the manager
    ASSERT_TRUE(window.manager.RemovePreFilter(&pre));

    Filter handler;
    handler.consume = WM_ERASEBKGND;
    window.manager.AddHandlerFilter(&handler);
    LRESULT result = 0;
    EXPECT_TRUE(window.manager.HandleWindowMessage(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 42);
    window.manager.RemoveHandlerFilter(&handler);
    EXPECT_TRUE(window.manager.HandleWindowMessage(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 1);  // the manager's own answer: nothing erased

    Accelerator accelerator;
    accelerator.consume = WM_KEYDOWN;
    window.manager.AddAccelerator(&accelerator);
    MSG key{window.hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    MSG other{window.hwnd(), WM_CHAR, L'a', 0, 0, {0, 0}};
    EXPECT_TRUE(window.manager.TranslateAccelerator(&key));
    EXPECT_FALSE(window.manager.TranslateAccelerator(&other));
}

// A root that remembers the rectangle of each paint it is asked for.
struct PaintProbe : CVerticalLayoutUI {
    std::vector<RECT> paints;
    void Paint(HDC hdc, const RECT& paint) override
    {
        paints.push_back(paint);
        CVerticalLayoutUI::Paint(hdc, paint);
    }
};

// Painting on WM_PAINT: the tree goes through the off-screen bitmap to the
// window, and a change repaints only its own rectangle.
TEST(WindowManagerInputTest, PaintCoversOnlyWhatWasInvalidated)
{
    ManagerTestWindow window({0, 0, 200, 100});
    auto* root = new PaintProbe;
    root->ApplyAttribute(L"bkcolor", L"#FFFF0000");
    auto* progress = Placed<CProgressUI>(L"progress", L"20,40,180,53");
    root->Add(progress);
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    ASSERT_FALSE(root->paints.empty());
    EXPECT_EQ(root->paints.back().right, 200);
    EXPECT_EQ(root->paints.back().bottom, 100);
    {
        win32::WindowDc dc(window.hwnd());
        EXPECT_EQ(::GetPixel(dc.get(), 5, 5), RGB(255, 0, 0));  // copied from the off-screen bitmap
    }

    root->paints.clear();
    progress->SetValue(50);
    const RECT invalid = window.manager.InvalidatedSinceLastPaint();
    EXPECT_EQ(invalid.left, 20);
    EXPECT_EQ(invalid.top, 40);
    EXPECT_EQ(invalid.right, 180);
    EXPECT_EQ(invalid.bottom, 53);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    ASSERT_EQ(root->paints.size(), 1u);
    EXPECT_EQ(root->paints[0].left, 20);
    EXPECT_EQ(root->paints[0].top, 40);
    EXPECT_EQ(root->paints[0].right, 180);
    EXPECT_EQ(root->paints[0].bottom, 53);
    EXPECT_TRUE(::IsRectEmpty(&window.manager.InvalidatedSinceLastPaint()));
}

// A layout runs before its paint begins, so what it invalidates is painted
// in the same paint (not in a second one right after); the surface is kept
// while the size stays; a paint the system alone asks for (the window
// uncovered) is a copy of the surface, and one that meets a change paints
// only the change.
TEST(WindowManagerInputTest, OnePaintPerLayoutAndUncoveringCopiesTheSurface)
{
    ManagerTestWindow window({0, 0, 200, 100});
    auto* root = new PaintProbe;
    root->ApplyAttribute(L"bkcolor", L"#FFFF0000");
    auto* label = Placed<CLabelUI>(L"label", L"20,40,180,60");
    root->Add(label);
    window.manager.AttachTree(root);
    auto pixel = [&](int x, int y) {
        win32::WindowDc dc(window.hwnd());
        return ::GetPixel(dc.get(), x, y);
    };
    auto paintNow = [&] {
        ::UpdateWindow(window.hwnd());
        window.Pump();
    };
    auto expectWhole = [&](const RECT& r, LONG right, LONG bottom, const char* when) {
        EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == right && r.bottom == bottom)
            << when << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    };

    paintNow();
    ASSERT_EQ(root->paints.size(), 1u) << "the first layout and its paint are one paint";
    expectWhole(root->paints[0], 200, 100, "first paint");
    EXPECT_EQ(pixel(5, 5), RGB(255, 0, 0));

    root->paints.clear();
    ::SetWindowPos(window.hwnd(), nullptr, 0, 0, 240, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    paintNow();
    ASSERT_EQ(root->paints.size(), 1u) << "a resize is one layout and one paint";
    expectWhole(root->paints[0], 240, 120, "after the resize");

    // Uncovered: the system invalidates, nothing in the tree changed. What
    // the screen lost comes back from the surface, without painting the tree.
    {
        win32::WindowDc dc(window.hwnd());
        win32::UniqueBrush blue(::CreateSolidBrush(RGB(0, 0, 255)));
        const RECT lost = {0, 0, 240, 120};
        ::FillRect(dc.get(), &lost, blue.get());
    }
    root->paints.clear();
    ::RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE);
    paintNow();
    EXPECT_TRUE(root->paints.empty()) << "the tree was painted for an uncovering";
    EXPECT_EQ(pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(pixel(230, 110), RGB(255, 0, 0));

    // A change and an uncovering together: the tree paints only the change.
    label->SetText(L"changed");
    ::RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE);
    paintNow();
    ASSERT_EQ(root->paints.size(), 1u);
    const RECT& change = root->paints[0];
    EXPECT_TRUE(change.left == 20 && change.top == 40 && change.right == 180 && change.bottom == 60)
        << change.left << "," << change.top << "," << change.right << "," << change.bottom;
    EXPECT_EQ(pixel(5, 5), RGB(255, 0, 0));

    // A new tree counts as all changed.
    auto* next = new PaintProbe;
    next->ApplyAttribute(L"bkcolor", L"#FF00FF00");
    window.manager.AttachTree(next);
    paintNow();
    ASSERT_EQ(next->paints.size(), 1u);
    expectWhole(next->paints[0], 240, 120, "a new tree");
    EXPECT_EQ(pixel(5, 5), RGB(0, 255, 0));
}

// "bktrans": the window becomes layered and paints through per-pixel alpha.
TEST(WindowManagerInputTest, TransparentBackgroundPaintsLayered)
{
    ManagerTestWindow window({0, 0, 120, 80});
    window.manager.SetBackgroundTransparent(true);
    auto* root = Named<CVerticalLayoutUI>(L"root");
    root->ApplyAttribute(L"bkcolor", L"#FF00FF00");
    window.manager.AttachTree(root);
    ::UpdateWindow(window.hwnd());
    window.Pump();
    EXPECT_TRUE(::GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(root->Rect().right, 120);
}

TEST(WindowManagerInputTest, StartUpRegistersTheShadowClass)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ResetSkinResources();
    SetSkinModuleInstance(nullptr);
    ASSERT_TRUE(CWindowManagerUI::StartUp(instance));
    // The module of the skins: a file skin's folder is found beside it,
    // wherever the current directory is.
    EXPECT_EQ(GetSkinModuleInstance(), instance);
    const testsupport::TempDir elsewhere;
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.path().c_str()));
    EXPECT_TRUE(OpenSkinSource(SkinSource::File, L"skins", nullptr, nullptr));
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(GetSkinResourceFolder(), testsupport::ModuleDir() + L"\\skins\\");
    ResetSkinResources();

    ASSERT_TRUE(CWindowManagerUI::StartUp(instance));  // a second start-up finds it registered
    EXPECT_EQ(CWindowManagerUI::Instance(), instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(::GetClassInfoExW(instance, L"VelmoShadowWnd", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
}

}  // namespace
