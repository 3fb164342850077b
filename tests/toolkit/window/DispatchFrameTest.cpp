// The window base's lifetime rule: a window object is released only once its
// native window is gone and no call of it is on the stack, whoever destroys
// the window and from wherever; and no exception leaves its procedure.
#include "toolkit/window/DispatchFrame.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "tests/toolkit/LifetimeProbe.h"
#include "toolkit/window/WindowWnd.h"

namespace {

using lifetimetest::ClosingPeer;
using lifetimetest::LifetimeProbe;
using lifetimetest::ProbeRecord;
using SkinUI::CDispatchFrame;

constexpr UINT WM_SCRIPT = lifetimetest::WM_SCRIPT;  // runs the window's script
constexpr UINT WM_THROW = WM_APP + 2;   // its handler throws

// A plain window whose handler of WM_SCRIPT is the test's.
class ScriptedWindow : public SkinUI::CWindowWnd {
public:
    std::function<void(ScriptedWindow&)> script;
    bool throwAtCreate = false;

    HWND CreatePopup() { return Create(nullptr, L"lifetime", WS_POPUP, 0, 0, 0, 100, 100); }

protected:
    const wchar_t* WindowClassName() const override { return L"LifetimeScriptedWindow"; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE && throwAtCreate) throw std::runtime_error("creation fails");
        if (message == WM_THROW) throw std::runtime_error("handler fails");
        if (message == WM_SCRIPT && script) {
            script(*this);
            return 1;
        }
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
};

using Probe = LifetimeProbe<ScriptedWindow>;

// A window kept by its owner: counts its final releases, deletes nothing.
class OwnedWindow : public ScriptedWindow {
public:
    int finalReleases = 0;

protected:
    void OnFinalRelease() override { ++finalReleases; }
};

// Runs the thread's messages until the window is gone.
void PumpWhileWindow(HWND hwnd)
{
    MSG msg{};
    const DWORD start = ::GetTickCount();
    while (::IsWindow(hwnd) && ::GetTickCount() - start < 5000) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class DispatchFrameTest : public ::testing::Test {
protected:
    void SetUp() override { lifetimetest::ResetOracles(); }
    void TearDown() override
    {
        EXPECT_EQ(CDispatchFrame::Depth(), 0);
        EXPECT_EQ(CDispatchFrame::PendingReleases(), 0);
    }
};

// Who destroys the window, and from where: each row ends with the object
// released once, with no call of it left on the stack, and no call reaching
// it afterwards. Where a handler of the object goes on after the window is
// gone, it still finds the object there.
TEST_F(DispatchFrameTest, AWindowObjectIsReleasedOnlyOnceNoCallOfItIsOnTheStack)
{
    struct Row {
        const char* who;
        // Destroys the probe's window; answers whether the code that ran on
        // after the destruction still found the object unreleased.
        std::function<bool(Probe& probe, ProbeRecord& record)> destroy;
    };
    const Row rows[] = {
        {"the test, from outside any window procedure",
         [](Probe& probe, ProbeRecord& record) {
             ::DestroyWindow(probe.Handle());
             return record.releases == 1;  // nothing of it was running: released at once
         }},
        {"its own handler, which goes on in the object",
         [](Probe& probe, ProbeRecord& record) {
             bool alive = false;
             probe.script = [&](ScriptedWindow& self) {
                 ::DestroyWindow(self.Handle());
                 alive = record.releases == 0 && self.Handle() == nullptr && static_cast<bool>(self.script);
             };
             ::SendMessageW(probe.Handle(), WM_SCRIPT, 0, 0);
             return alive;
         }},
        {"a WM_CLOSE taken by a nested loop in its own handler",
         [](Probe& probe, ProbeRecord& record) {
             bool alive = false;
             probe.script = [&](ScriptedWindow& self) {
                 const HWND hwnd = self.Handle();
                 ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
                 PumpWhileWindow(hwnd);
                 alive = record.releases == 0 && !::IsWindow(hwnd) && self.Handle() == nullptr;
             };
             ::SendMessageW(probe.Handle(), WM_SCRIPT, 0, 0);
             return alive;
         }},
        {"a nested loop run by another window's procedure, below a call of the probe",
         [](Probe& probe, ProbeRecord& record) {
             bool alive = false;
             ScriptedWindow box;
             box.CreatePopup();
             const HWND target = probe.Handle();
             box.script = [&](ScriptedWindow&) {
                 ::PostMessageW(target, WM_CLOSE, 0, 0);
                 PumpWhileWindow(target);
             };
             probe.script = [&](ScriptedWindow& self) {
                 ::SendMessageW(box.Handle(), WM_SCRIPT, 0, 0);  // the box's loop runs here
                 alive = record.releases == 0 && self.Handle() == nullptr;
             };
             ::SendMessageW(target, WM_SCRIPT, 0, 0);
             return alive;
         }},
        {"another thread that closes it while its handler waits in SendMessageTimeout",
         [](Probe& probe, ProbeRecord& record) {
             bool alive = false;
             ClosingPeer peer;
             probe.script = [&](ScriptedWindow& self) {
                 DWORD_PTR answer = 0;
                 ::SendMessageTimeoutW(peer.window(), ClosingPeer::WM_CLOSE_SENDER,
                                       reinterpret_cast<WPARAM>(self.Handle()), 0, SMTO_NORMAL, 5000, &answer);
                 alive = answer == ClosingPeer::kAnswer && record.releases == 0 && self.Handle() == nullptr;
             };
             ::SendMessageW(probe.Handle(), WM_SCRIPT, 0, 0);
             return alive;
         }},
    };
    for (const Row& row : rows) {
        ProbeRecord record;
        auto* probe = new Probe(&record);
        const HWND hwnd = probe->CreatePopup();
        ASSERT_NE(hwnd, nullptr) << row.who;
        EXPECT_TRUE(row.destroy(*probe, record)) << row.who;
        EXPECT_FALSE(::IsWindow(hwnd)) << row.who;
        EXPECT_EQ(record.releases, 1) << row.who;
        EXPECT_EQ(record.framesAtRelease, 0) << row.who;
        EXPECT_TRUE(record.deleted) << row.who;
        EXPECT_EQ(lifetimetest::LateCalls(), 0) << row.who;
    }
}

// An object its owner keeps gets its final release as a notice only; one its
// owner deletes first gets none, also when the release was still waiting.
TEST_F(DispatchFrameTest, AnOwnerKeepsOrDeletesItsWindowObject)
{
    {
        OwnedWindow window;
        const HWND hwnd = window.CreatePopup();
        ASSERT_NE(hwnd, nullptr);
        ::DestroyWindow(hwnd);
        EXPECT_EQ(window.finalReleases, 1);
        EXPECT_EQ(window.Handle(), nullptr);
    }
    {
        auto* window = new OwnedWindow;
        const HWND hwnd = window->CreatePopup();
        ASSERT_NE(hwnd, nullptr);
        delete window;  // with its window still there
        EXPECT_FALSE(::IsWindow(hwnd));
    }
    {
        // Destroyed and deleted inside another window's handler: the release
        // waiting for that handler to return is dropped with the object.
        ScriptedWindow outer;
        outer.CreatePopup();
        auto* inner = new OwnedWindow;
        inner->CreatePopup();
        int pendingInside = -1;
        outer.script = [&](ScriptedWindow&) {
            ::DestroyWindow(inner->Handle());
            pendingInside = CDispatchFrame::PendingReleases();
            delete inner;
        };
        ::SendMessageW(outer.Handle(), WM_SCRIPT, 0, 0);
        EXPECT_EQ(pendingInside, 1);
        ::DestroyWindow(outer.Handle());
    }
}

TEST_F(DispatchFrameTest, HandlersThatThrowAnswerAFailureAndTheWindowGoesOn)
{
    OwnedWindow failing;
    failing.throwAtCreate = true;
    EXPECT_EQ(failing.CreatePopup(), nullptr) << "a WM_CREATE that throws fails the creation";

    OwnedWindow window;
    const HWND hwnd = window.CreatePopup();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::SendMessageW(hwnd, WM_THROW, 0, 0), 0);
    int runs = 0;
    window.script = [&](ScriptedWindow&) { ++runs; };
    EXPECT_EQ(::SendMessageW(hwnd, WM_SCRIPT, 0, 0), 1) << "the window still answers";
    EXPECT_EQ(runs, 1);
    ::DestroyWindow(hwnd);
}

}  // namespace
